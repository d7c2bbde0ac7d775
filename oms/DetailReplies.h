// The data reply to a detail query: each field the request concerns, value 0 the new value and
// value 1 the value before the change where the request changes a field.
#pragma once

#include "connect/Message.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"

#include <vector>

namespace oms
{

class DetailReplies
{
public:
    explicit DetailReplies(Store& store) : m_store(store) {}

    // A new user or account: every field it is added with, new values only. A modification: the
    // entity's id, then each changed field with its new and its old value. A deletion: the
    // entity's id, name, broker and branch as they stand. Limits: the owner, then each changed
    // limit with its new and old value.
    connect::Message Build(const RequestRecord& request, const std::vector<ChangedField>& changes);

private:
    connect::Message UserReply(const RequestRecord& request, const std::vector<ChangedField>& changes);
    connect::Message AccountReply(const RequestRecord& request, const std::vector<ChangedField>& changes);
    connect::Message LimitsReply(const RequestRecord& request, const std::vector<ChangedField>& changes);

    Store& m_store;
};

} // namespace oms
