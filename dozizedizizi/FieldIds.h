// The message field ids the console reads and writes: the protocol's, and the names the
// messaging layer has for four of them.
#pragma once

#include "protocol/FieldIds.h"

constexpr int MNM_STATUS = protocol::fid::kStatus;          // decision: "accepted" or "rejected"
constexpr int MNM_USER = protocol::fid::kUser;              // user identity
constexpr int MNM_ACCOUNT_ID = protocol::fid::kAccount;     // account identity
constexpr int MNM_SOURCE_USER_ID = protocol::fid::kChecker; // the deciding user
