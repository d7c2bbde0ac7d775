#include "protocol/Visibility.h"

#include "protocol/FieldIds.h"

namespace protocol
{

// Level 0 sees every broker's requests; a broker (1) those of his own broker id, which is his
// user id; a branch administrator (2) his branch's within his broker; a dealer or an investor (4)
// those about himself.
std::optional<std::vector<Requirement>> VisibilityRule(int privilege, const std::string& user,
                                                       const std::string& broker)
{
    switch (privilege)
    {
    case 0:
        return std::vector<Requirement>{{fid::kBroker, ""}, {fid::kAuthType, ""}, {fid::kRequestKey, ""}};
    case 1:
        return std::vector<Requirement>{{fid::kAuthType, ""}, {fid::kBroker, user}, {fid::kRequestKey, ""}};
    case 2:
        return std::vector<Requirement>{
            {fid::kBroker, broker}, {fid::kAuthType, ""}, {fid::kBranch, user}, {fid::kRequestKey, ""}};
    case 4:
        return std::vector<Requirement>{{fid::kAuthType, ""}, {fid::kUser, user}, {fid::kRequestKey, ""}};
    default:
        return std::nullopt;
    }
}

std::optional<connect::SubscriptionFilter> VisibilityFilter(int privilege, const std::string& user,
                                                            const std::string& broker)
{
    const std::optional<std::vector<Requirement>> rule = VisibilityRule(privilege, user, broker);
    if (!rule)
        return std::nullopt;
    connect::SubscriptionFilter filter;
    for (const Requirement& requirement : *rule)
        filter.Require(requirement.field, requirement.value);
    return filter;
}

} // namespace protocol
