#include "oms/DecisionDesk.h"

#include "oms/ChangeApplier.h"
#include "oms/Digest.h"
#include "oms/FieldCatalogue.h"
#include "oms/FieldIds.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteSavepoint.h"

#include <algorithm>
#include <charconv>

namespace oms
{

namespace
{

std::string ValueOf(const connect::Message& message, std::int32_t id)
{
    const std::string* value = message.Value(id);
    return value ? *value : std::string();
}

std::optional<std::int64_t> KeyOf(const connect::Message& message)
{
    const std::string* text = message.Value(fid::kRequestKey);
    if (!text)
        return std::nullopt;
    std::int64_t key = 0;
    const char* end = text->data() + text->size();
    const auto [stop, why] = std::from_chars(text->data(), end, key);
    if (why != std::errc() || stop != end)
        return std::nullopt;
    return key;
}

// The fields of a decision message itself; anything else is an edited limit value.
bool IsDecisionField(std::int32_t id)
{
    return id == fid::kFunction || id == fid::kUser || id == fid::kAccount || id == fid::kChecker ||
           id == fid::kRequestKey || id == fid::kAuthType || id == fid::kStatus || id == fid::kReason;
}

std::string Describe(const RequestRecord& request)
{
    return "request " + std::to_string(request.key) + " (" + AuthTypeText(request.type) + " " +
           request.entity + ")";
}

std::string Joined(const std::vector<std::string>& values)
{
    std::string text;
    for (const std::string& value : values)
        text += (text.empty() ? "" : "|") + value;
    return text;
}

// What an applied change did, for the log: one field a line, its new and its old value.
std::string AppliedText(const std::vector<ChangedField>& changes)
{
    std::string text;
    for (const ChangedField& change : changes)
        text += std::to_string(change.id) + "\t" + Joined(change.values) + "\t" +
                (change.oldValues ? Joined(*change.oldValues) : std::string()) + "\n";
    return text;
}

std::string Capitalised(std::string text)
{
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z')
        text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

// The log's entry for the message, as far as the message itself tells it. The checker is who
// sent it: the bus's word, else his terminal's, else the message's.
DecisionEntry EntryFor(const connect::Message& message, const connect::ReplyStream& replies)
{
    DecisionEntry entry;
    entry.key = KeyOf(message);
    entry.checker = !replies.AuthenticatedUser().empty() ? replies.AuthenticatedUser()
                    : replies.Sender().Known()           ? replies.Sender().user
                                                         : ValueOf(message, fid::kChecker);
    entry.decidedAt = Store::Now();
    entry.messageId = replies.MessageId();
    entry.contentHash = Sha256Hex(message.ToWire());
    entry.reason = ValueOf(message, fid::kReason);
    return entry;
}

std::vector<std::pair<std::int32_t, std::string>> EditsOf(const connect::Message& message)
{
    std::vector<std::pair<std::int32_t, std::string>> edits;
    for (const connect::Message::Field& field : message.Fields())
    {
        if (!IsDecisionField(field.id))
            edits.emplace_back(field.id, field.values.front());
    }
    return edits;
}

// What the decision is, for the log: accept, update (accept with edits), reject, or the word
// the message said instead; and its edits, "id=value" joined by ';'.
void DescribeDecision(const std::string& status,
                      const std::vector<std::pair<std::int32_t, std::string>>& edits, DecisionEntry& entry)
{
    entry.decision = status == "accepted"   ? (edits.empty() ? "accept" : "update")
                     : status == "rejected" ? "reject"
                                            : status;
    for (const auto& [id, value] : edits)
        entry.edited += (entry.edited.empty() ? "" : ";") + std::to_string(id) + "=" + value;
}

// Whether the checker may decide this request as the message says it.
std::optional<Refusal> CheckRequest(const Caller& caller, const RequestRecord& request,
                                    const connect::Message& message, const DecisionEntry& entry, bool edited)
{
    const std::string what = Describe(request);
    if (!Authorisation::MaySee(caller, request))
        return Refusal{kStatusNotVisible, Capitalised(what) + " is not among the requests " + caller.user +
                                              " may see; nothing was done"};
    // Four eyes: ids are compared exactly, as the table holds them.
    if (request.maker == entry.checker)
        return Refusal{kStatusOwnRequest, Capitalised(what) + " was entered by " + entry.checker +
                                              ": a maker cannot authorise his own request"};
    if (request.status != kPending)
        return Refusal{kStatusAlreadyDecided, Capitalised(what) + " was already " + request.status + " by " +
                                                  request.decidedBy + " at " + request.decidedAt};
    if (!Authorisation::MayDecide(caller, request))
        return Refusal{kStatusNotAuthorised, caller.user + " may not decide " + AuthTypeText(request.type) +
                                                 " requests (his roles do not include " +
                                                 std::to_string(Authorisation::RoleFor(request)) +
                                                 "); nothing was done"};
    if (message.Has(fid::kAuthType) && ValueOf(message, fid::kAuthType) != std::to_string(request.type))
        return Refusal{kStatusBadMessage, "The decision says type " + ValueOf(message, fid::kAuthType) +
                                              ", but " + what + " is of type " +
                                              std::to_string(request.type) + "; nothing was done"};
    const std::int32_t entityField = IsUserType(request.type)      ? fid::kUser
                                     : IsAccountType(request.type) ? fid::kAccount
                                                                   : 0;
    if (entityField && message.Has(entityField) && ValueOf(message, entityField) != request.entity)
        return Refusal{kStatusBadMessage, "The decision names " + ValueOf(message, entityField) + ", but " +
                                              what + " is about " + request.entity + "; nothing was done"};
    if (edited && request.type != kRmsLimits)
        return Refusal{kStatusBadMessage, "Edited values are for RMS Limits requests only, and " + what +
                                              " is not one; nothing was done"};
    return std::nullopt;
}

// A rejection needs a reason, and one the console could have sent.
std::optional<Refusal> CheckReason(const std::string& reason)
{
    const bool blank = std::all_of(reason.begin(), reason.end(), [](char c) { return c == ' '; });
    if (blank)
        return Refusal{kStatusBadMessage, "A rejection needs its reason (32766); nothing was done"};
    if (reason.size() > kMaxReasonLength)
        return Refusal{kStatusBadMessage, "A rejection's reason is at most " +
                                              std::to_string(kMaxReasonLength) +
                                              " characters; nothing was done"};
    return std::nullopt;
}

} // namespace

DecisionDesk::Outcome DecisionDesk::Refuse(DecisionEntry& entry, int code, const std::string& text)
{
    // What a refused message brings is kept only in part: the log must not grow by what anyone
    // cares to send.
    entry.outcome = "refused";
    entry.checker = Authorisation::Bounded(entry.checker, 64);
    entry.decision = Authorisation::Bounded(entry.decision, 64);
    entry.reason = Authorisation::Bounded(entry.reason);
    entry.edited = Authorisation::Bounded(entry.edited);
    entry.statusCode = code;
    entry.statusText = Authorisation::Bounded(text, 2 * kMaxReasonLength);
    m_store.AppendDecision(entry);
    return Outcome{code, text, false};
}

std::optional<DecisionDesk::Outcome> DecisionDesk::AnswerSeenBefore(DecisionEntry& entry,
                                                                    const connect::Message& message)
{
    // The same message again: the answer it had, and nothing else. Another message under an id
    // that was used is not the same message, whatever its id says.
    const std::string messageId = entry.messageId;
    if (messageId.empty())
        return std::nullopt;
    const std::optional<DecisionEntry> before = m_store.DecisionByMessageId(messageId);
    if (!before)
        return std::nullopt;
    const bool same = (before->contentHash.empty() || before->contentHash == entry.contentHash) &&
                      before->checker == Authorisation::Bounded(entry.checker, 64);
    if (same)
        return Outcome{before->statusCode, before->statusText, true};
    entry.messageId.clear();
    entry.decision = ValueOf(message, fid::kStatus);
    return Refuse(entry, kStatusBadMessage,
                  "Message id " + Authorisation::Bounded(messageId, 64) +
                      " was used before for another message; nothing was done");
}

std::variant<Caller, Refusal> DecisionDesk::CheckMessage(const connect::Message& message,
                                                         const connect::ReplyStream& replies,
                                                         const DecisionEntry& entry)
{
    const std::string named = ValueOf(message, fid::kChecker);
    const std::string status = ValueOf(message, fid::kStatus);
    if (std::optional<Refusal> malformed = Authorisation::CheckShape(message, -1, kMaxConsoleMessage))
        return *malformed;
    // The checker is the sender, as the bus or his terminal says; the message may only agree
    // with him. Only a sender nobody vouches for (a tool) names himself.
    if (named.empty() && replies.AuthenticatedUser().empty() && !replies.Sender().Known())
        return Refusal{kStatusBadMessage, "A decision needs its checker (54294); nothing was done"};
    std::variant<Caller, Refusal> who = m_access.Identify(replies, named);
    if (std::holds_alternative<Refusal>(who))
        return who;
    const Caller& caller = std::get<Caller>(who);
    if (!named.empty() && named != caller.user)
        return Refusal{kStatusBadMessage, "The decision names checker " + Authorisation::Bounded(named, 64) +
                                              ", but it was sent by " + caller.user + "; nothing was done"};
    if (!entry.key)
        return Refusal{kStatusBadMessage, "A decision needs the request's key (51803); nothing was done"};
    if (status != "accepted" && status != "rejected")
        return Refusal{kStatusBadMessage, "A decision says \"accepted\" or \"rejected\" (10303), not \"" +
                                              Authorisation::Bounded(status, 64) + "\"; nothing was done"};
    return who;
}

std::variant<std::vector<ChangedField>, Refusal> DecisionDesk::ChangesWithEdits(const RequestRecord& request,
                                                                                const Edits& edits)
{
    std::vector<ChangedField> changes = m_store.Changes(request.key);
    if (edits.empty())
        return changes;
    const FieldValues current = m_store.Fields(EntityKind::Limits, request.entity);
    for (const auto& [id, value] : edits)
    {
        const FieldSpec* spec = FieldCatalogue::Find(EntityKind::Limits, id);
        if (!spec)
            return Refusal{kStatusBadMessage,
                           "Field " + std::to_string(id) + " is not a limit; nothing was done"};
        std::string error;
        const std::optional<std::string> normal = FieldCatalogue::Normalise(*spec, value, &error);
        if (!normal)
            return Refusal{kStatusBadMessage, "The edited " + error + "; nothing was done"};
        const auto it = std::find_if(changes.begin(), changes.end(),
                                     [id = id](const ChangedField& c) { return c.id == id; });
        if (it != changes.end())
            it->values = {*normal};
        else
        {
            const auto now = current.find(id);
            changes.push_back(ChangedField{
                id, {*normal}, now == current.end() ? std::nullopt : std::optional<Values>(now->second)});
        }
    }
    return changes;
}

std::optional<Refusal> DecisionDesk::Apply(const RequestRecord& request, const Edits& edits,
                                           DecisionEntry& entry)
{
    std::variant<std::vector<ChangedField>, Refusal> made = ChangesWithEdits(request, edits);
    if (Refusal* refused = std::get_if<Refusal>(&made))
        return *refused;
    const std::vector<ChangedField>& changes = std::get<std::vector<ChangedField>>(made);
    // Applied whole or not at all: a change that no longer fits leaves the entity as it was.
    std::optional<std::string> why;
    {
        SqliteSavepoint savepoint(m_store.Db());
        why = ChangeApplier(m_store).Apply(request, changes);
        if (!why)
            savepoint.Release();
    }
    if (why)
        return Refusal{kStatusCannotApply, Capitalised(Describe(request)) + " cannot be accepted: " + *why};
    entry.applied = AppliedText(changes);
    return std::nullopt;
}

DecisionDesk::Outcome DecisionDesk::Record(RequestRecord& request, const std::string& status,
                                           const Edits& edits, DecisionEntry& entry)
{
    request.status = status;
    request.decidedBy = entry.checker;
    request.decidedAt = entry.decidedAt;
    m_store.MarkDecided(request.key, request.status, request.decidedBy, request.decidedAt);
    entry.outcome = "applied";
    entry.statusCode = kStatusOk;
    entry.statusText = Capitalised(Describe(request)) + " " + status + " by " + entry.checker;
    if (status == "rejected")
        entry.statusText += ": " + entry.reason;
    else if (!edits.empty())
        entry.statusText +=
            " with " + std::to_string(edits.size()) + " edited limit" + (edits.size() == 1 ? "" : "s");
    m_store.AppendDecision(entry);
    m_store.AppendOutbox(PublishedForm(request));
    return Outcome{entry.statusCode, entry.statusText, false};
}

DecisionDesk::Outcome DecisionDesk::Decide(const connect::Message& message,
                                           const connect::ReplyStream& replies)
{
    DecisionEntry entry = EntryFor(message, replies);
    if (std::optional<Outcome> answered = AnswerSeenBefore(entry, message))
        return *answered;

    const std::string status = ValueOf(message, fid::kStatus);
    const Edits edits = EditsOf(message);
    DescribeDecision(status, edits, entry);
    const std::variant<Caller, Refusal> who = CheckMessage(message, replies, entry);
    if (const Refusal* refused = std::get_if<Refusal>(&who))
        return Refuse(entry, refused->code, refused->text);

    std::optional<RequestRecord> request = m_store.Request(*entry.key);
    if (!request)
        return Refuse(entry, kStatusNoRequest, "There is no request " + std::to_string(*entry.key));
    std::optional<Refusal> refused =
        CheckRequest(std::get<Caller>(who), *request, message, entry, !edits.empty());
    if (!refused)
        refused = status == "rejected" ? CheckReason(entry.reason) : Apply(*request, edits, entry);
    if (refused)
        return Refuse(entry, refused->code, refused->text);
    return Record(*request, status, edits, entry);
}

} // namespace oms
