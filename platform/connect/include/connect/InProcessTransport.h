// The transport of a terminal that embeds its server: the server side runs on a thread of its
// own, as it would across a network, and talks to the controls only through wire bytes.
// The window library's backend must stay installed while the transport lives, because its
// deliveries wake the user-interface loop.
#pragma once

#include "connect/Publisher.h"
#include "connect/RequestHandler.h"
#include "connect/Transport.h"

#include <memory>

namespace connect
{

class InProcessTransport final : public Transport, public Publisher
{
public:
    static constexpr std::size_t kMaxBatch = 64;

    // 'handler' (not owned, may be null) answers requests; it can also be set later.
    explicit InProcessTransport(RequestHandler* handler = nullptr);
    // Stops the server thread; work still queued is dropped.
    ~InProcessTransport() override;
    InProcessTransport(const InProcessTransport&) = delete;
    InProcessTransport& operator=(const InProcessTransport&) = delete;

    // Thread-safe. A request already with the old handler finishes there.
    void SetRequestHandler(RequestHandler* handler);
    // Blocks until the server thread has done everything queued so far (returns at once when
    // called from the server thread itself).
    void WaitIdle();

    bool Publish(const Message& message) override;

    // Requests waiting together reach the handler as one batch (RequestHandler::OnRequests),
    // at most kMaxBatch at a time.
    bool SendRequest(Envelope request, Delivery onReply, int* err) override;
    bool Subscribe(const SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                   int* err) override;
    bool Unsubscribe(std::uint64_t id, int* err) override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace connect
