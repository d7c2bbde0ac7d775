#include "oms/Publication.h"

#include "oms/FieldIds.h"

namespace oms
{

connect::Message PublishedForm(const RequestRecord& request)
{
    connect::Message message;
    message.Add(fid::kPublishedStatus, request.status)
        .Add(fid::kRequestKey, std::to_string(request.key))
        .Add(fid::kAuthType, std::to_string(request.type))
        .Add(fid::kCategory, request.category)
        .Add(fid::kMaker, request.maker)
        .Add(fid::kBroker, request.broker);
    if (!request.branch.empty())
        message.Add(fid::kBranch, request.branch);
    if (!request.accountGroup.empty())
        message.Add(fid::kAccountGroup, request.accountGroup);
    if (!request.user.empty())
        message.Add(fid::kUser, request.user);
    if (!request.account.empty())
        message.Add(fid::kAccount, request.account);
    if (!request.decidedBy.empty())
        message.Add(fid::kChecker, request.decidedBy);
    return message;
}

} // namespace oms
