// The message by which a request is published (when it is entered and when it is decided) and
// by which recovery lists it: the fields that terminals list it by and that subscription
// filters choose it by.
#pragma once

#include "connect/Message.h"
#include "oms/RequestRecord.h"

#include <string>

namespace oms
{

// 54211 status, 51803 key, 63713 type, 54036 category, 54247 maker, 64056 broker, and where
// the request has them 64053 branch, 64052 account group, 31003 user, 54001 account; a decided
// request also names its checker (54294).
connect::Message PublishedForm(const RequestRecord& request);

} // namespace oms
