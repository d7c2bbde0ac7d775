// The road between the controls and a server, whatever carries it (in process, a message bus).
// A transport moves wire bytes only; the controls parse them and bring them to the
// user-interface thread.
#pragma once

#include "connect/Envelope.h"
#include "connect/SubscriptionFilter.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace connect
{

class Transport
{
public:
    // Called by the transport, on a thread of its own, with each message for one request or
    // subscription: one call at a time for the whole transport, in the order the server sent them.
    using Delivery = std::function<void(std::vector<std::uint8_t> wire)>;

    virtual ~Transport() = default;

    // The request's body goes to the server with its envelope (message id, sender's session).
    // Each reply goes to 'onReply', the closing reply last; then the transport forgets it.
    virtual bool SendRequest(Envelope request, Delivery onReply, int* err) = 0;
    // From the return on, every published message that matches goes to 'onMessage'.
    virtual bool Subscribe(const SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                           int* err) = 0;
    // Deliveries already under way may still be made; the controls drop them.
    virtual bool Unsubscribe(std::uint64_t id, int* err) = 0;
};

} // namespace connect
