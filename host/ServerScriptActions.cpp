#include "host/ServerScriptActions.h"

#include "oms/FieldCatalogue.h"
#include "oms/MakerCommand.h"
#include "oms/MakerError.h"

#include <iostream>

namespace host
{

namespace
{
std::optional<oms::EntityKind> KindNamed(const std::string& word)
{
    if (word == "user")
        return oms::EntityKind::User;
    if (word == "account")
        return oms::EntityKind::Account;
    if (word == "limits")
        return oms::EntityKind::Limits;
    return std::nullopt;
}
} // namespace

std::optional<std::int64_t> ServerScriptActions::Key(const std::string& word) const
{
    std::size_t back = 0;
    const bool last = word == "last" || word.rfind("last-", 0) == 0;
    const std::string number = word == "last" ? "0" : last ? word.substr(5) : word;
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 18)
        return std::nullopt;
    if (!last)
        return std::stoll(number);
    back = std::stoul(number);
    if (back >= m_entered.size())
        return std::nullopt;
    return m_entered[m_entered.size() - 1 - back];
}

void ServerScriptActions::AddActions(ScriptActionTable& table)
{
    table.Add("maker", OnServer(&ServerScriptActions::Enter));
    table.Add("expect-request", OnServer(&ServerScriptActions::ExpectRequest));
    table.Add({"expect-decisions", "expect-reason"}, OnServer(&ServerScriptActions::ExpectDecisions));
    table.Add({"expect-field", "expect-no-field"}, OnServer(&ServerScriptActions::ExpectField));
}

ScriptAction ServerScriptActions::OnServer(Step step)
{
    // Every one of these needs the embedded server, and reads its argument as a maker's words.
    return [this, step](const std::string& action, const std::string& argument)
    {
        EmbeddedServer* embedded = m_app.Server();
        if (!embedded)
        {
            std::cerr << "kivo-host script: " << action << " needs the embedded server\n";
            return false;
        }
        std::string error;
        const auto words = oms::MakerCommand::Split(argument, &error);
        if (!words)
        {
            std::cerr << "kivo-host script: " << error << "\n";
            return false;
        }
        return (this->*step)(embedded->Server(), action, argument, *words);
    };
}

bool ServerScriptActions::Enter(oms::OmsServer& server, const std::string&, const std::string&,
                                const std::vector<std::string>& words)
{
    std::string error;
    const auto request = oms::MakerCommand::Parse(words, "", &error);
    if (!request)
    {
        std::cerr << "kivo-host script: " << error << "\n";
        return false;
    }
    try
    {
        m_entered.push_back(server.Enter(*request));
        return true;
    }
    catch (const oms::MakerError& refused)
    {
        std::cerr << "kivo-host script: the server refused the request: " << refused.what() << "\n";
        return false;
    }
}

bool ServerScriptActions::ExpectRequest(oms::OmsServer& server, const std::string&,
                                        const std::string& argument, const std::vector<std::string>& words)
{
    // expect-request KEY STATUS, the status as published ("auth pending", "accepted" ...).
    const std::optional<std::int64_t> key = words.empty() ? std::nullopt : Key(words.front());
    const std::size_t space = argument.find(' ');
    const std::string status = space == std::string::npos ? "" : argument.substr(space + 1);
    if (!key)
        return false;
    bool held = false;
    server.WithStore(
        [&](oms::Store& store)
        {
            const std::optional<oms::RequestRecord> request = store.Request(*key);
            held = request && request->status == status;
            if (!held)
                std::cerr << "kivo-host script: request " << *key << " is "
                          << (request ? request->status : std::string("not there")) << "\n";
        });
    return held;
}

bool ServerScriptActions::ExpectDecisions(oms::OmsServer& server, const std::string& action,
                                          const std::string& argument, const std::vector<std::string>& words)
{
    // expect-decisions KEY APPLIED REFUSED: how the decision log holds the request's
    // decisions; expect-reason KEY TEXT: the reason of its applied decision.
    const std::optional<std::int64_t> key = words.empty() ? std::nullopt : Key(words.front());
    if (!key)
        return false;
    std::vector<oms::DecisionEntry> log;
    server.WithStore([&](oms::Store& store) { log = store.Decisions(*key); });
    int applied = 0;
    std::string reason;
    for (const oms::DecisionEntry& entry : log)
    {
        if (entry.outcome == "applied")
        {
            ++applied;
            reason = entry.reason;
        }
    }
    const int refused = static_cast<int>(log.size()) - applied;
    if (action == "expect-reason")
    {
        const std::size_t space = argument.find(' ');
        const std::string wanted = space == std::string::npos ? "" : argument.substr(space + 1);
        if (reason != wanted)
            std::cerr << "kivo-host script: request " << *key << " was decided with the reason '" << reason
                      << "'\n";
        return applied == 1 && reason == wanted;
    }
    const std::string counts = std::to_string(applied) + " " + std::to_string(refused);
    const std::string wanted = words.size() == 3 ? words[1] + " " + words[2] : "";
    if (counts != wanted)
        std::cerr << "kivo-host script: request " << *key << " has " << applied << " applied and " << refused
                  << " refused decisions\n";
    return counts == wanted;
}

bool ServerScriptActions::ExpectField(oms::OmsServer& server, const std::string& action, const std::string&,
                                      const std::vector<std::string>& words)
{
    // expect-field KIND ID FIELD VALUE, expect-no-field KIND ID FIELD: value 0 of the entity's field.
    if (words.size() < 3 || !KindNamed(words[0]))
        return false;
    const oms::EntityKind kind = *KindNamed(words[0]);
    const oms::FieldSpec* spec = oms::FieldCatalogue::Find(kind, words[2]);
    if (!spec)
        return false;
    std::optional<std::string> value;
    server.WithStore(
        [&](oms::Store& store)
        {
            const oms::FieldValues fields = store.Fields(kind, words[1]);
            if (const auto it = fields.find(spec->id); it != fields.end() && !it->second.empty())
                value = it->second.front();
        });
    if (action == "expect-no-field")
        return !value;
    // The value is the rest of the line, so that "name Asha Rao" needs no quotes.
    std::string expected;
    for (std::size_t i = 3; i < words.size(); ++i)
        expected += (i > 3 ? " " : "") + words[i];
    if (value != expected)
        std::cerr << "kivo-host script: " << words[0] << " " << words[1] << " " << spec->key << " is "
                  << (value ? "'" + *value + "'" : std::string("absent")) << "\n";
    return value == expected;
}

} // namespace host
