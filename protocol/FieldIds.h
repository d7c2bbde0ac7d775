// The message fields of the terminal's conversation with the server, by what they mean. The
// console, the server and the terminal read them from here, so that a field has one id everywhere.
#pragma once

#include "connect/Message.h"

#include <cstdint>

namespace protocol::fid
{

constexpr std::int32_t kFunction = 0;   // the server function a request calls
constexpr std::int32_t kStatus = 10303; // a decision: "accepted" or "rejected"
constexpr std::int32_t kPassword = 30004;
constexpr std::int32_t kUser = 31003; // a user's id
// A closing reply's status; in a rejection, the reason.
constexpr std::int32_t kClosingStatus = connect::kClosingField;
constexpr std::int32_t kReason = kClosingStatus;
constexpr std::int32_t kReplyFunction = connect::kReplyFunctionField; // the function a reply answers
constexpr std::int32_t kRequestKey = 51803;
constexpr std::int32_t kAccount = 54001;         // an account's id
constexpr std::int32_t kCategory = 54036;        // the entity's category (a user's type)
constexpr std::int32_t kPublishedStatus = 54211; // "auth pending", "accepted" or "rejected"
constexpr std::int32_t kMaker = 54247;           // a request's maker; the asking user of a query
constexpr std::int32_t kChecker = 54294;         // the deciding user
constexpr std::int32_t kExchanges = 63001;       // one segment name per exchange a user trades on
constexpr std::int32_t kTransPassword = 63211;
constexpr std::int32_t kAuthType = 63713;
constexpr std::int32_t kSegments = 64021; // an account's segment names joined by '|'
constexpr std::int32_t kAccountGroup = 64052;
constexpr std::int32_t kBranch = 64053;
constexpr std::int32_t kBroker = 64056;
// Limits: 64174 "OK" lets a terminal show the adhoc margin 64158.
constexpr std::int32_t kAdhocMargin = 64158;
constexpr std::int32_t kAdhocGate = 64174;

} // namespace protocol::fid
