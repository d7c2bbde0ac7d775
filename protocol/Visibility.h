// Who sees which requests: the fields a published request must carry, and the values some of
// them must have, for a user of a privilege level to see it. The server filters recoveries and
// the bus's subscriptions by it; the console subscribes with it.
#pragma once

#include "connect/SubscriptionFilter.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace protocol
{

struct Requirement
{
    std::int32_t field = 0;
    std::string value; // empty: the field must be there, with any value
};

// The requirements in the order they are subscribed; nothing for a level that sees no requests.
std::optional<std::vector<Requirement>> VisibilityRule(int privilege, const std::string& user,
                                                       const std::string& broker);

// The same as the filter the bus delivers by.
std::optional<connect::SubscriptionFilter> VisibilityFilter(int privilege, const std::string& user,
                                                            const std::string& broker);

} // namespace protocol
