// One maker's request as the store keeps it, and the fields it changes.
#pragma once

#include "oms/FieldCatalogue.h"
#include "protocol/Functions.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace oms
{

// Authorisation types.
enum AuthType : int
{
    kAddUser = 339,
    kModifyUser = 340,
    kDeleteUser = 365,
    kAddClient = 353,
    kModifyClient = 354,
    kDeleteAccount = 366,
    kRmsLimits = 360
};

inline constexpr const char* kPending = protocol::kAuthPending;
inline constexpr const char* kAccepted = protocol::kAccepted;
inline constexpr const char* kRejected = protocol::kRejected;
inline constexpr const char* kInvestorClient = "INVESTOR_CLIENT";

struct RequestRecord
{
    std::int64_t key = 0;
    int type = 0;
    EntityKind kind = EntityKind::User;
    std::string entity; // a user id, an account id, or a limit owner ("client:KVC10001")
    std::string category;
    std::string maker;
    // What the request is published with, so that subscription filters can choose it.
    std::string broker;
    std::string branch;       // empty for a broker's own limits
    std::string accountGroup; // an account group's limits only
    std::string user;         // user requests, a dealer's limits, an investor client's user
    std::string account;      // account requests, a client's limits
    std::string status = kPending;
    std::string enteredAt;
    std::string decidedBy;
    std::string decidedAt;
};

struct ChangedField
{
    std::int32_t id = 0;
    std::vector<std::string> values;                   // the new value(s)
    std::optional<std::vector<std::string>> oldValues; // before the change; none for a new entity
};

// "ADD USER" and the others, as a checker reads them in a message.
const char* AuthTypeText(int type);
bool IsUserType(int type);
bool IsAccountType(int type);

} // namespace oms
