// Applies checkers' decisions exactly once: accept (the change is applied to its entity),
// reject (with its reason) and update (accept with edited limit values). A decision by the
// request's own maker, on a request already decided, or that contradicts the request is refused
// with its reason. Every decision message, applied or refused, goes into the append-only log
// with its message id, so that the same message arriving again is answered as the first time
// and changes nothing.
#pragma once

#include "connect/Envelope.h"
#include "connect/Message.h"
#include "oms/Store.h"

#include <string>

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

    explicit DecisionDesk(Store& store) : m_store(store) {}

    // Runs inside the caller's transaction; the caller commits, then answers and publishes.
    // 'sender' is the session the transport vouches for; without one the message's own 54294
    // names the checker.
    Outcome Decide(const connect::Message& message, const std::string& messageId,
                   const connect::Session& sender);

private:
    Outcome Refuse(DecisionEntry& entry, int code, const std::string& text);

    Store& m_store;
};

} // namespace oms
