// Authorisation types of pending requests: code, the text of the "Auth Type" column, and the role
// a checker needs to see requests of that type.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::string_view AUTH_ADD_USER = "339";
inline constexpr std::string_view AUTH_MODIFY_USER = "340";
inline constexpr std::string_view AUTH_DELETE_USER = "365";
inline constexpr std::string_view AUTH_ADD_CLIENT = "353";
inline constexpr std::string_view AUTH_MODIFY_CLIENT = "354";
inline constexpr std::string_view AUTH_DELETE_ACCOUNT = "366";
inline constexpr std::string_view AUTH_RMS_LIMITS = "360";

// The category that turns a user request into a client matter.
inline constexpr std::string_view CATEGORY_INVESTOR_CLIENT = "INVESTOR_CLIENT";

constexpr int ROLE_RMS_LIMITS = 60302;
constexpr int ROLE_USERS = 60303;
constexpr int ROLE_CLIENTS = 60304;

// Display text of a type code; empty for a code the console does not know.
std::string GetAuthTypeText(std::string_view code);

// Role the checker needs for a request of this type and entity category; 0 when none is needed.
int GetAuthTypeRole(std::string_view code, std::string_view category);
