#include "oms/Authorisation.h"

#include "oms/BusGrants.h"
#include "oms/FieldIds.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"
#include "protocol/Visibility.h"

namespace oms
{

namespace
{

constexpr std::int32_t kRoleField = 64060;
constexpr std::int32_t kUserStatusField = 63213;

std::string LevelText(int privilege, const std::string& broker)
{
    return "level " + std::to_string(privilege) + " of broker " + (broker.empty() ? "(none)" : broker);
}

} // namespace

int Authorisation::PrivilegeOfType(const std::string& type)
{
    if (type == "ADMIN" || type == "RMS")
        return 0;
    if (type == "BROKER_ADMIN")
        return 1;
    if (type == "BRANCH_ADMIN")
        return 2;
    return 4;
}

std::set<int> Authorisation::RolesOf(const std::string& role)
{
    // Those who check: the administration, the checkers, and the broker's and branch's
    // administrators for their own; a risk manager checks limits only. Makers, dealers and
    // investors check nothing.
    if (role == "Administrator" || role == "Checker" || role == "Broker Admin" || role == "Branch Admin")
        return {kRoleLimits, kRoleUsers, kRoleAccounts};
    if (role == "Risk Manager")
        return {kRoleLimits};
    return {};
}

std::optional<Caller> Authorisation::FromTable(const std::string& user)
{
    if (user.empty())
        return std::nullopt;
    // One read for every message on the bus: the columns and the two fields that decide.
    SqliteStatement& q =
        m_store.Db()
            .Prepare("SELECT e.broker, COALESCE(e.branch, ''), e.category, "
                     "(SELECT value FROM entity_fields f WHERE f.kind = 'user' AND f.entity = e.id "
                     "AND f.field = ?2), "
                     "(SELECT value FROM entity_fields f WHERE f.kind = 'user' AND f.entity = e.id "
                     "AND f.field = ?3) "
                     "FROM entities e WHERE e.kind = 'user' AND e.id = ?1")
            .Bind(1, user)
            .Bind(2, std::int64_t{kRoleField})
            .Bind(3, std::int64_t{kUserStatusField});
    if (!q.Step())
        return std::nullopt;
    Caller caller;
    caller.user = user;
    caller.broker = q.Text(0);
    caller.branch = q.Text(1);
    caller.privilege = PrivilegeOfType(q.Text(2));
    caller.roles = RolesOf(q.OptionalText(3).value_or(""));
    // A user who is suspended or closed acts as nobody.
    const std::string status = q.OptionalText(4).value_or("");
    q.Reset();
    if (!status.empty() && status != "Active")
    {
        caller.privilege = -1;
        caller.roles.clear();
    }
    return caller;
}

std::variant<Caller, Refusal> Authorisation::Identify(const connect::ReplyStream& replies,
                                                      const std::string& named)
{
    const connect::Session& session = replies.Sender();
    const std::string& proven = replies.AuthenticatedUser();
    if (proven.empty())
    {
        if (session.Known())
            return Caller{session.user, session.privilege, session.broker, "", {}, true};
        if (named.empty())
            return Refusal{kStatusUnknownUser, "The request does not say who asks"};
        std::optional<Caller> caller = FromTable(named);
        if (!caller)
            return Refusal{kStatusUnknownUser, Bounded(named, 64) + " is not a user of this server"};
        return *caller;
    }

    // On the bus: the user the bus let send on his own subject, as the table knows him.
    if (session.Known() && session.user != proven)
        return Refusal{kStatusBadMessage, "The request came on " + proven +
                                              "'s connection, but its session names " +
                                              Bounded(session.user, 64) + "; nothing was done"};
    std::optional<Caller> caller = FromTable(proven);
    if (!caller)
        return Refusal{kStatusUnknownUser, proven + " is not a user of this server"};
    if (m_busGrants && !BusGrants(m_store.Db()).Current(proven))
        return Refusal{kStatusNotAuthorised,
                       proven + " has no access to the message bus (it was revoked, or never "
                                "given); nothing was done"};
    if (caller->privilege < 0)
        return Refusal{kStatusNotAuthorised,
                       proven + " is not an active user of this server; nothing was done"};
    // The terminal's own claims must be what the server knows: a terminal that claims more
    // than its user has is refused rather than corrected, so that the claim shows in the log.
    if (session.Known() && (session.privilege != caller->privilege || session.broker != caller->broker))
        return Refusal{kStatusNotAuthorised, "The terminal of " + proven + " claims " +
                                                 LevelText(session.privilege, Bounded(session.broker, 64)) +
                                                 ", but this server knows " + proven + " at " +
                                                 LevelText(caller->privilege, caller->broker) +
                                                 "; nothing was done"};
    return *caller;
}

bool Authorisation::MaySee(const Caller& caller, const RequestRecord& request)
{
    const std::optional<connect::SubscriptionFilter> filter =
        protocol::VisibilityFilter(caller.privilege, caller.user, caller.broker);
    return filter && filter->Matches(PublishedForm(request));
}

int Authorisation::RoleFor(const RequestRecord& request)
{
    if (IsUserType(request.type))
        return request.category == kInvestorClient ? kRoleAccounts : kRoleUsers;
    if (IsAccountType(request.type))
        return kRoleAccounts;
    return kRoleLimits;
}

bool Authorisation::MayDecide(const Caller& caller, const RequestRecord& request)
{
    return caller.vouched || caller.roles.count(RoleFor(request)) > 0;
}

std::optional<Refusal> Authorisation::CheckShape(const connect::Message& message, std::int32_t multiValued,
                                                 std::size_t maxBytes)
{
    const std::size_t size = message.ToWire().size();
    if (size > maxBytes)
        return Refusal{kStatusBadMessage, "The message is " + std::to_string(size) +
                                              " bytes, more than the " + std::to_string(maxBytes) +
                                              " this function takes; nothing was done"};
    for (const connect::Message::Field& field : message.Fields())
    {
        if (field.values.size() > 1 && field.id != multiValued)
            return Refusal{kStatusBadMessage, "Field " + std::to_string(field.id) + " holds " +
                                                  std::to_string(field.values.size()) +
                                                  " values where one belongs; nothing was done"};
    }
    return std::nullopt;
}

std::string Authorisation::Bounded(const std::string& text, std::size_t limit)
{
    if (text.size() <= limit)
        return text;
    return text.substr(0, limit) + "... (" + std::to_string(text.size()) + " bytes)";
}

} // namespace oms
