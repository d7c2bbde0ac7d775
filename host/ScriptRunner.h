// Host actions from a script, for headless runs and end-to-end tests. One action a line;
// '#' starts a comment. See docs/host.md for the actions.
#pragma once

#include "host/HostApp.h"
#include "host/ServerScriptActions.h"

#include <functional>
#include <string>
#include <vector>

namespace host
{

class ScriptRunner
{
public:
    explicit ScriptRunner(CKivoHostApp& app) : m_app(app), m_server(app) {}
    // Runs every line; returns 0 when all actions and expectations held, 1 otherwise.
    int Run(const std::vector<std::string>& lines);
    int RunFile(const std::string& path);
    const std::vector<std::string>& Failures() const { return m_failures; }
    // Writes a window's image to a PNG file; set where a screen backend draws real pixels.
    std::function<bool(HWND, const std::string&)> m_saveWindow;

private:
    bool Execute(const std::string& action, const std::string& argument);
    void Settle();

    CKivoHostApp& m_app;
    ServerScriptActions m_server;
    std::vector<std::string> m_failures;
};

} // namespace host
