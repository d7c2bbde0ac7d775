// The transport of a terminal on the message bus. Requests go to the user's own request subject
// with a private reply inbox under the user's inbox; a request whose closing reply does not come within the time limit is
// closed by the library (kStatusTimedOut), and one sent while no server listens, or while the
// bus is unreachable, at once (kStatusNoServer). Published messages come from the bus's
// persistent stream on subjects that carry the filterable fields, so each subscription's
// filter is a subject pattern and the bus does the choosing: each subscription has a consumer of
// its own on the stream, which a secured bus lets it make only with its user's filter. Each
// subscription remembers the last stream sequence it saw and, whenever its consumer may have
// missed something (the bus restarted, a message did not arrive), carries on from the next one
// with a new consumer: nothing published meanwhile is missed or delivered twice.
//
// The bus may be absent when the transport starts; it connects when the bus comes, and a
// subscription made before that starts with what is published from then on.
#pragma once

#include "connect/BusOptions.h"
#include "connect/Transport.h"

#include <memory>
#include <string>

namespace connect
{

class NatsTransport final : public Transport
{
public:
    // Throws std::invalid_argument, with a message for the user, for a URL the bus cannot take
    // or options without a user.
    explicit NatsTransport(const BusOptions& options);
    // Closes the connection; no delivery is made after this returns.
    ~NatsTransport() override;
    NatsTransport(const NatsTransport&) = delete;
    NatsTransport& operator=(const NatsTransport&) = delete;

    bool SendRequest(Envelope request, Delivery onReply, int* err) override;
    bool Subscribe(const SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                   int* err) override;
    bool Unsubscribe(std::uint64_t id, int* err) override;

    bool Connected() const;
    // Why the bus is not reachable in its own words (credentials refused, say); empty when it
    // said nothing.
    std::string LastError() const;
    // True when every subscription receives from the bus (none waits for the bus to come back).
    bool SubscriptionsLive() const;
    const BusOptions& Options() const;

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
};

} // namespace connect
