// Applies checkers' decisions exactly once: accept (the change is applied to its entity),
// reject (with its reason) and update (accept with edited limit values). A decision is refused
// with its reason when its sender is not who it says or may not decide the request (his level
// does not show it him, his roles do not cover its type, it is his own), when the request was
// decided already, or when the message contradicts the request or is malformed. Every decision
// message, applied or refused, goes into the append-only log with its message id and the hash
// of its contents, so that the same message arriving again is answered as the first time and
// changes nothing, while another message under a used id is refused.
#pragma once

#include "connect/Envelope.h"
#include "connect/Message.h"
#include "connect/ReplyStream.h"
#include "oms/Authorisation.h"
#include "oms/Store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace oms
{

class DecisionDesk
{
public:
    struct Outcome
    {
        int code = 0;          // ServerStatus
        std::string text;      // what the checker is told
        bool repeated = false; // the message had been received before; nothing was done now
    };

    DecisionDesk(Store& store, Authorisation& access) : m_store(store), m_access(access) {}

    // Runs inside the caller's transaction; the caller commits, then answers and publishes.
    // 'replies' says who sent the message (Authorisation::Identify) and under which id.
    Outcome Decide(const connect::Message& message, const connect::ReplyStream& replies);

private:
    // Edited limit values a decision brings, by field id, as the message has them.
    using Edits = std::vector<std::pair<std::int32_t, std::string>>;

    Outcome Refuse(DecisionEntry& entry, int code, const std::string& text);
    // The answer to a message whose id was seen before; nothing when the id is new.
    std::optional<Outcome> AnswerSeenBefore(DecisionEntry& entry, const connect::Message& message);
    // Who decides, when the message is well formed, names him rightly and says what it decides.
    std::variant<Caller, Refusal> CheckMessage(const connect::Message& message,
                                               const connect::ReplyStream& replies,
                                               const DecisionEntry& entry);
    // An acceptance's changes applied to the entity, whole or not at all.
    std::optional<Refusal> Apply(const RequestRecord& request, const Edits& edits, DecisionEntry& entry);
    std::variant<std::vector<ChangedField>, Refusal> ChangesWithEdits(const RequestRecord& request,
                                                                      const Edits& edits);
    // The request decided, the decision logged and the request's new state queued for publication.
    Outcome Record(RequestRecord& request, const std::string& status, const Edits& edits,
                   DecisionEntry& entry);

    Store& m_store;
    Authorisation& m_access;
};

} // namespace oms
