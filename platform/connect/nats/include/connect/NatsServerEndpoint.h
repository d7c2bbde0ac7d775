// The server's side of the message bus: it takes requests from every user's request subject and
// hands those that wait together to the request handler as one batch (as the in-process
// transport does), each with the user whose subject it came on as its authenticated sender,
// sends each reply to that user's inbox in order, and publishes into the bus's persistent
// stream. A request that asks for its replies anywhere but the sender's own inbox is dropped. A publication counts as made only when the bus has stored it; each
// carries an id made from its bytes, so a publication made again after a crash is stored once.
#pragma once

#include "connect/BusOptions.h"
#include "connect/Publisher.h"
#include "connect/RequestHandler.h"

#include <cstddef>
#include <memory>

namespace connect
{

class NatsServerEndpoint final : public Publisher
{
public:
    static constexpr std::size_t kMaxBatch = 64;

    // Throws std::invalid_argument, with a message for the user, for a URL the bus cannot take.
    // Connects in the background when the bus is not there yet.
    explicit NatsServerEndpoint(const BusOptions& options);
    // Stops serving; no callback runs after this returns.
    ~NatsServerEndpoint() override;
    NatsServerEndpoint(const NatsServerEndpoint&) = delete;
    NatsServerEndpoint& operator=(const NatsServerEndpoint&) = delete;

    // From now on requests on the server's subject go to 'handler', on a thread of the endpoint.
    void Serve(RequestHandler& handler);
    // Takes no more requests; the batch in hand is finished first.
    void Stop();

    // False, and nothing stored, while the bus is unreachable or does not confirm in time.
    bool Publish(const Message& message) override;
    // Up to a window of publications wait for the bus's confirmation at once; those about one
    // request (one subject) one after the other. How many, from the first, were stored.
    std::size_t PublishAll(std::span<const Message> messages) override;

    bool Connected() const;
    const BusOptions& Options() const;

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
};

} // namespace connect
