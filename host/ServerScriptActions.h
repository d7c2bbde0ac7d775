// Host-script actions about the embedded order server: a maker enters a request, and the
// script checks what the server holds. See docs/host.md.
#pragma once

#include "host/HostApp.h"
#include "host/ScriptActions.h"

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

    // Puts these actions into the script's table.
    void AddActions(ScriptActionTable& table);
    // "last" is the key of the request the script entered last, "last-1" the one before ...
    std::optional<std::int64_t> Key(const std::string& word) const;

private:
    // An action on the embedded server, given the argument's words.
    using Step = bool (ServerScriptActions::*)(oms::OmsServer& server, const std::string& action,
                                               const std::string& argument,
                                               const std::vector<std::string>& words);
    ScriptAction OnServer(Step step);
    bool Enter(oms::OmsServer& server, const std::string& action, const std::string& argument,
               const std::vector<std::string>& words);
    bool ExpectRequest(oms::OmsServer& server, const std::string& action, const std::string& argument,
                       const std::vector<std::string>& words);
    bool ExpectDecisions(oms::OmsServer& server, const std::string& action, const std::string& argument,
                         const std::vector<std::string>& words);
    bool ExpectField(oms::OmsServer& server, const std::string& action, const std::string& argument,
                     const std::vector<std::string>& words);

    CKivoHostApp& m_app;
    std::vector<std::int64_t> m_entered;
};

} // namespace host
