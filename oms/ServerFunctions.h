// The functions the server answers (field 0 of a request, given back in field 32767 of each of
// its replies): the terminal reads them to tell which answers confirm what its user did.
#pragma once

namespace oms
{

inline constexpr const char* kUserDetailsFunction = "om_get_auth_user_details";
inline constexpr const char* kAccountDetailsFunction = "om_get_auth_account_details";
inline constexpr const char* kLimitsDetailsFunction = "om_get_auth_limits_details";
inline constexpr const char* kDecisionFunction = "om_authenticate_functionality";
inline constexpr const char* kRecoveryFunction = "om_get_functionality_details";
inline constexpr const char* kStatusFunction = "om_get_server_status";

} // namespace oms
