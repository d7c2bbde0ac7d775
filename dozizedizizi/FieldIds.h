// Message field ids the console reads and writes.
#pragma once

// The ids the messaging layer has names for.
constexpr int MNM_STATUS = 10303;         // decision: "accepted" or "rejected"
constexpr int MNM_USER = 31003;           // user identity
constexpr int MNM_ACCOUNT_ID = 54001;     // account identity
constexpr int MNM_SOURCE_USER_ID = 54294; // the deciding user

// The others, under names of our own.
namespace field_id
{
constexpr int kFunctionName = 0;          // server function of an outgoing message
constexpr int kClosingStatus = 32766;     // closing-reply status; in a rejection, the reason
constexpr int kReplyFunctionName = 32767; // server function a reply answers
constexpr int kRequestKey = 51803;
constexpr int kCategory = 54036;        // category of the entity
constexpr int kPublishedStatus = 54211; // status of a published request
constexpr int kMaker = 54247;           // maker of a request; requesting user of a query
constexpr int kAuthType = 63713;
constexpr int kAccountGroup = 64052;
constexpr int kBranch = 64053;
constexpr int kBroker = 64056;
} // namespace field_id
