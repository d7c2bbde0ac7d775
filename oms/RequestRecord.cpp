#include "oms/RequestRecord.h"

namespace oms
{

const char* AuthTypeText(int type)
{
    switch (type)
    {
    case kAddUser:
        return "ADD USER";
    case kModifyUser:
        return "MODIFY USER";
    case kDeleteUser:
        return "DELETE USER";
    case kAddClient:
        return "ADD CLIENT";
    case kModifyClient:
        return "MODIFY CLIENT";
    case kDeleteAccount:
        return "DELETE Account";
    case kRmsLimits:
        return "RMS Limits";
    default:
        return "unknown";
    }
}

bool IsUserType(int type)
{
    return type == kAddUser || type == kModifyUser || type == kDeleteUser;
}

bool IsAccountType(int type)
{
    return type == kAddClient || type == kModifyClient || type == kDeleteAccount;
}

} // namespace oms
