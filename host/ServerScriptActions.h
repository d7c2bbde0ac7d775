// Host-script actions about the embedded order server: a maker enters a request, and the
// script checks what the server holds. See docs/host.md.
#pragma once

#include "host/HostApp.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace host
{

class ServerScriptActions
{
public:
    explicit ServerScriptActions(CKivoHostApp& app) : m_app(app) {}

    // Nothing when the action is not one of these; otherwise whether it held.
    std::optional<bool> Run(const std::string& action, const std::string& argument);
    // "last" is the key of the request the script entered last, "last-1" the one before ...
    std::optional<std::int64_t> Key(const std::string& word) const;

private:
    CKivoHostApp& m_app;
    std::vector<std::int64_t> m_entered;
};

} // namespace host
