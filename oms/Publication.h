// The message by which a request is published (when it is entered and when it is decided) and
// by which recovery lists it: the fields that terminals list it by and that subscription
// filters choose it by.
#pragma once

#include "connect/Message.h"
#include "connect/SubscriptionFilter.h"
#include "oms/RequestRecord.h"

#include <string>

namespace oms
{

// 54211 status, 51803 key, 63713 type, 54036 category, 54247 maker, 64056 broker, and where
// the request has them 64053 branch, 64052 account group, 31003 user, 54001 account; a decided
// request also names its checker (54294).
connect::Message PublishedForm(const RequestRecord& request);

// Which published requests a user of this privilege level sees: level 0 every request, 1 the
// requests of the broker whose code is the user's id, 2 the requests of the branch whose code is
// the user's id within his broker, 4 the requests about the user himself; any other level none.
// The same filters terminals subscribe with, so that recovery lists exactly what the
// subscription would have brought.
std::optional<connect::SubscriptionFilter> VisibilityFilter(int privilege, const std::string& user,
                                                            const std::string& broker);

} // namespace oms
