#include "dozizedizizi/MCRxr.h"

#include "base/PluginGlobals.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/MessageFields.h"
#include "dozizedizizi/RequestMessages.h"

namespace
{

// The closing reply of a request carries its status in 32766; the status itself changes nothing
// here, only the end of the stream does.
bool IsClosingReply(MnmHndl message)
{
    int count = 0;
    return GetFieldValueCount(message, protocol::fid::kClosingStatus, count);
}

} // namespace

// Status notifications carry nothing the console acts on.
void CMCRxr::OnStatus(int, const char*) {}

void CMCRxr::OnMessage(void*, MnmHndl message, void*)
{
    std::string name;
    if (!ReadFieldText(message, protocol::fid::kReplyFunction, 0, name) || !g_pDozizEdizizi)
        return;
    if (name == protocol::kUserDetailsFunction || name == protocol::kAccountDetailsFunction ||
        name == protocol::kLimitsDetailsFunction)
    {
        // The closing reply ends the view: every section opened and the columns fitted.
        if (IsClosingReply(message))
            g_pDozizEdizizi->CompleteDetailView();
        else
            g_pDozizEdizizi->AddDetails(name, message);
    }
    else if (name == protocol::kRecoveryFunction)
    {
        // Recovery sends every pending request again, each as if it had been published.
        if (!IsClosingReply(message))
            g_pDozizEdizizi->HandlePublishMsg(message);
    }
}
