// A change as a maker enters it: who, what kind of request, about which entity, and the fields
// with their new values as text (a field of several values lists them separated by '|').
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace oms
{

struct MakerRequest
{
    std::string maker;
    int type = 0;       // 339, 340, 365, 353, 354, 366 or 360
    std::string entity; // a user id, an account id, or a limit owner such as "client:KVC10001"
    // Field name (or id) and value, in the order given.
    std::vector<std::pair<std::string, std::string>> fields;
};

} // namespace oms
