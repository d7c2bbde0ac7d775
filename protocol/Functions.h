// The functions the server answers (field 0 of a request, given back in field 32767 of each of
// its replies), and the states a published request is in.
#pragma once

namespace protocol
{

inline constexpr const char* kUserDetailsFunction = "om_get_auth_user_details";
inline constexpr const char* kAccountDetailsFunction = "om_get_auth_account_details";
inline constexpr const char* kLimitsDetailsFunction = "om_get_auth_limits_details";
inline constexpr const char* kDecisionFunction = "om_authenticate_functionality";
inline constexpr const char* kRecoveryFunction = "om_get_functionality_details";
inline constexpr const char* kStatusFunction = "om_get_server_status";
inline constexpr const char* kEnterFunction = "om_enter_requests";

// Field 54211 of a published request; 10303 of a decision carries the last two.
inline constexpr const char* kAuthPending = "auth pending";
inline constexpr const char* kAccepted = "accepted";
inline constexpr const char* kRejected = "rejected";

// The longest reason of a rejection the server keeps (bytes).
inline constexpr int kMaxReasonLength = 500;

} // namespace protocol
