// Who sends a message to the server, and what he may do. The server believes nothing a message
// says about its sender:
//
// - on the message bus the sender is the user the bus authenticated (the subject only his
//   credentials may publish on). His terminal's session may only agree with the server's own
//   users table; privilege level, broker, branch and roles come from that table, and a user
//   without a current bus grant, or not active, is refused;
// - in process (the terminal's embedded server) the terminal vouches for its one logged-in
//   user: his session is taken as it is, and the terminal checks his roles itself;
// - in process without a session (a tool, a test) the message names the user, who must be one
//   of the table's, by his exact id.
//
// Every decision and detail query is then checked against the request: the user must be
// allowed to see it at his level (the rule the subscriptions and recovery follow) and hold the
// role its type needs.
#pragma once

#include "connect/Message.h"
#include "connect/ReplyStream.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"
#include "protocol/Functions.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <variant>

namespace oms
{

// The roles a request type needs: users 60303 (investor users 60304), accounts 60304,
// limits 60302, as the console checks them before it lists a request.
inline constexpr int kRoleLimits = 60302;
inline constexpr int kRoleUsers = 60303;
inline constexpr int kRoleAccounts = 60304;

// The longest rejection reason a checker can type in the console.
inline constexpr std::size_t kMaxReasonLength = protocol::kMaxReasonLength;
// The longest message a terminal's console can build (its scratch buffer), and the longest a
// makers' tool may send (a file of requests).
inline constexpr std::size_t kMaxConsoleMessage = 4096;
inline constexpr std::size_t kMaxMakersMessage = 1024 * 1024;

struct Caller
{
    std::string user;
    int privilege = -1;
    std::string broker;
    std::string branch;
    std::set<int> roles;
    // The terminal in process vouches for him; his roles are the terminal's business.
    bool vouched = false;
};

struct Refusal
{
    int code = 0;
    std::string text;
};

class Authorisation
{
public:
    // 'busGrants': on the bus, a user must also hold a current grant in the store (a bus that
    // authenticates its users); off for an unsecured bus, where the subject is only a claim.
    Authorisation(Store& store, bool busGrants) : m_store(store), m_busGrants(busGrants) {}

    // Who sends the request. 'named' is the user the message itself names (the checker of a
    // decision, the asking user of a query), used only without a session and without a bus.
    std::variant<Caller, Refusal> Identify(const connect::ReplyStream& replies, const std::string& named);

    // The user as the server's table knows him; empty when there is no such user.
    std::optional<Caller> FromTable(const std::string& user);

    static bool MaySee(const Caller& caller, const RequestRecord& request);
    static int RoleFor(const RequestRecord& request);
    static bool MayDecide(const Caller& caller, const RequestRecord& request);
    // The privilege level a user has by his type, and the roles his role gives him.
    static int PrivilegeOfType(const std::string& type);
    static std::set<int> RolesOf(const std::string& role);

    // The message's shape, whatever it asks: no field with more values than one (but
    // 'multiValued'), and no larger than 'maxBytes' on the wire.
    static std::optional<Refusal> CheckShape(const connect::Message& message, std::int32_t multiValued,
                                             std::size_t maxBytes);
    // A text as it may be written into a log: at most 'limit' bytes, a longer one cut and marked.
    static std::string Bounded(const std::string& text, std::size_t limit = kMaxReasonLength);

private:
    Store& m_store;
    bool m_busGrants = false;
};

} // namespace oms
