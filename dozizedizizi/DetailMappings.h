// How the detail views show server values: flags, markers and lists become the words a
// checker reads. Every comparison is exact and case-sensitive, as the server sends them.
#pragma once

#include <string>
#include <utility>

// Shown for a new value the reply does not carry.
inline constexpr const char* kNotAvailable = "NA";

// "Y" is "Enabled"; anything else "Disabled".
std::string MapEnabledFlag(const std::string& value);
// A password is never shown: any value reads "Reset".
std::string MapReset(const std::string& value);
// "0" (no date) is "NA".
std::string MapZeroDate(const std::string& value);
// "-1" is "Default".
std::string MapDefaultMarker(const std::string& value);
// "OK" is "Yes"; anything else "NO".
std::string MapRouteFlag(const std::string& value);
// The product "ML" is shown under its full name "MLB", alone or after a "|" (but a list that
// starts with "|ML" is left as it is).
std::string MapProductList(const std::string& value);
// "Exchange:" followed by the segment's exchange code (nothing after it for an unknown segment).
std::string MapExchangeTitle(const std::string& segment);

// A client's square-off setting as its context ("Internet", "Offline") and whether square-off
// includes it ("Included", "Excluded"); two empty texts for an unknown setting.
std::pair<std::string, std::string> MapSquareOff(const std::string& value);
// "Y" is "YES", "N" is "NO"; anything else empty.
std::string MapSorEnabled(const std::string& value);

// Group-wise validation as the limit view shows it: "yes" is "E" (enabled), "no" is "D"
// (disabled); other texts as received.
std::string MapGroupWiseValidation(const std::string& value);
// The reverse, for an edited value sent back to the server: "E" is "yes", "D" is "no". The
// editor lets a checker type anything, so the server's own words and Y/N are taken too, in any
// case and between blanks; false for any other text, which must not reach the server.
bool GroupWiseValidationForServer(const std::string& display, std::string& serverText);
