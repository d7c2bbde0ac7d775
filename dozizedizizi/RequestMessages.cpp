#include "dozizedizizi/RequestMessages.h"

#include "base/PluginGlobals.h"
#include "base/TabbedLog.h"
#include "dozizedizizi/AuthTypes.h"
#include "dozizedizizi/DetailMappings.h"
#include "dozizedizizi/FieldIds.h"
#include "dozizedizizi/MakeCheckStruct.h"
#include "dozizedizizi/OutgoingMessage.h"

#include <vector>

namespace
{

// What is logged when a step fails: a text (with "%s" standing for the message's function) at a
// log level; no text, no line.
struct Failure
{
    const char* text = nullptr;
    int level = 1;
};

struct Field
{
    int id;
    std::string value;
    Failure failure;
};

constexpr Failure kSilent{};
constexpr Failure kRequestFailure{"Request failure", 2};

void Report(const Failure& failure, const char* functionName)
{
    if (!failure.text)
        return;
    std::string text = failure.text;
    if (const std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, functionName);
    AddToTabbedLog(std::move(text), failure.level);
}

struct MessagePlan
{
    const char* functionName;
    Failure onStart;
    Failure onFunction;
    std::vector<Field> fields;
    Failure onSend;
    const char* sentText;
};

int Run(const sMCConnection* connection, const MessagePlan& plan)
{
    OutgoingMessage message(connection);
    if (!message.Start())
    {
        Report(plan.onStart, plan.functionName);
        return 0;
    }
    if (!message.Add(protocol::fid::kFunction, plan.functionName))
    {
        Report(plan.onFunction, plan.functionName);
        return 0;
    }
    for (const Field& field : plan.fields)
    {
        if (!message.Add(field.id, field.value))
        {
            Report(field.failure, plan.functionName);
            return 0;
        }
    }
    if (!message.Send())
    {
        Report(plan.onSend, plan.functionName);
        return 0;
    }
    AddToTabbedLog(plan.sentText, 2);
    return 1;
}

// The entity goes as the user for user requests and as the account for client requests; the
// other types carry it in their key alone.
void AddEntity(std::vector<Field>& fields, const sMakeCheckStruct& request)
{
    const std::string& type = request.m_strAuthType;
    if (type == AUTH_ADD_USER || type == AUTH_MODIFY_USER)
        fields.push_back({MNM_USER, request.m_strEntity, {"MNM_USER failed while sending %s"}});
    else if (type == AUTH_ADD_CLIENT || type == AUTH_MODIFY_CLIENT)
        fields.push_back({MNM_ACCOUNT_ID, request.m_strEntity, {"MNM_ACCOUNT_ID failed while sending %s"}});
}

constexpr int kGroupWiseValidation = 64037;

// The limit editor shows the group-wise validation flag as "E" or "D"; the server reads "yes" and
// "no". The editor takes any text, so one the server would not understand is refused here, before
// anything is built, and stays in the edited values to be corrected.
bool ServerFormOfEditedValue(int fieldId, const std::string& text, std::string& serverText)
{
    if (fieldId != kGroupWiseValidation)
    {
        serverText = text;
        return true;
    }
    if (GroupWiseValidationForServer(text, serverText))
        return true;
    AddToTabbedLog("GroupWise Validation must be E or D, not \"" + text + "\"; nothing was sent", 1);
    return false;
}

} // namespace

int SendDetailsQuery(const sMCConnection* connection, const char* functionName,
                     const sMakeCheckStruct& request, const char* sentText, std::string& detailKey)
{
    OutgoingMessage message(connection);
    if (!message.Start())
    {
        AddToTabbedLog("Messaging failure.", 2);
        return 0;
    }
    if (!message.Add(protocol::fid::kFunction, functionName))
        return 0;
    if (!message.Add(protocol::fid::kMaker, g_strUserId) ||
        !message.Add(protocol::fid::kRequestKey, request.m_strKey))
    {
        AddToTabbedLog("Request failure", 2);
        return 0;
    }
    detailKey = request.m_strKey;
    if (!message.Send())
    {
        AddToTabbedLog("Request failure", 2);
        return 0;
    }
    AddToTabbedLog(sentText, 2);
    return 1;
}

int SendAcceptMessage(const sMCConnection* connection, const sMakeCheckStruct& request)
{
    MessagePlan plan{protocol::kDecisionFunction,
                     kSilent,
                     kSilent,
                     {},
                     {"Failed while sending %s"},
                     "Request sent to Accept Authentication"};
    AddEntity(plan.fields, request);
    plan.fields.push_back({MNM_SOURCE_USER_ID, g_strUserId, {"MNM_SOURCE_USER_ID failed while sending %s"}});
    plan.fields.push_back({protocol::fid::kRequestKey, request.m_strKey, {"51803 failed while sending %s"}});
    plan.fields.push_back({protocol::fid::kAuthType, request.m_strAuthType, kRequestFailure});
    plan.fields.push_back({MNM_STATUS, "accepted", {"MNM_STATUS failed while sending %s"}});
    return Run(connection, plan);
}

int SendRejectMessage(const sMCConnection* connection, const sMakeCheckStruct& request,
                      const std::string& reason)
{
    MessagePlan plan{protocol::kDecisionFunction, {"Failed while sending %s"},
                     {"Failed while sending %s"}, {},
                     {"Failed while sending %s"}, "Request sent to Reject Authentication"};
    AddEntity(plan.fields, request);
    plan.fields.push_back({MNM_SOURCE_USER_ID, g_strUserId, {"MNM_USER Failed while sending %s"}});
    plan.fields.push_back({protocol::fid::kClosingStatus, reason, kRequestFailure});
    plan.fields.push_back({protocol::fid::kAuthType, request.m_strAuthType, kRequestFailure});
    plan.fields.push_back({protocol::fid::kRequestKey, request.m_strKey, {"51803 Failed while sending %s"}});
    plan.fields.push_back({MNM_STATUS, "rejected", {"MNM_STATUS Failed while sending %s"}});
    return Run(connection, plan);
}

int SendUpdateMessage(const sMCConnection* connection, const std::string& key, const CEditedValueMap& values)
{
    MessagePlan plan{protocol::kDecisionFunction,
                     kSilent,
                     kSilent,
                     {},
                     {"Failed while sending %s"},
                     "Request sent to Update RMS Limits Authentication"};
    plan.fields.push_back({MNM_SOURCE_USER_ID, g_strUserId, {"MNM_SOURCE_USER_ID failed while sending %s"}});
    plan.fields.push_back({protocol::fid::kRequestKey, key, {"51803 failed while sending %s"}});
    plan.fields.push_back({protocol::fid::kAuthType, std::string(AUTH_RMS_LIMITS), kRequestFailure});
    plan.fields.push_back({MNM_STATUS, "accepted", {"MNM_STATUS failed while sending %s"}});
    for (auto position = values.GetStartPosition(); position;)
    {
        int fieldId = 0;
        std::string text;
        values.GetNextAssoc(position, fieldId, text);
        std::string serverText;
        if (!ServerFormOfEditedValue(fieldId, text, serverText))
            return 0;
        plan.fields.push_back({fieldId, serverText, {"MNM_STATUS failed while sending %s"}});
    }
    return Run(connection, plan);
}

int SendRecoverMessage(const sMCConnection* connection)
{
    MessagePlan plan{protocol::kRecoveryFunction, kSilent, kSilent, {}, {"Failed while sending %s"},
                     "Request sent to Recovery"};
    plan.fields.push_back({MNM_USER, g_strUserId, {"MNM_SOURCE_USER_ID failed while sending %s"}});
    return Run(connection, plan);
}
