// One connection to the message bus and its persistent stream, shared by the terminal's
// transport and the server's endpoint. The connection is made in the background when the bus
// is not there yet, and made again whenever it is lost, for as long as the owner lives.
#pragma once

#include "connect/BusOptions.h"
#include "connect/BusSubjects.h"

#include <nats/nats.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace connect::detail
{

class NatsBus
{
public:
    // Called on a thread of the messaging library whenever the connection is made or made
    // again: what lived on the bus's side (consumers of the stream) may be gone.
    using ConnectedHandler = std::function<void()>;
    // Called on a thread of the messaging library when the bus refuses something the
    // connection did (a subject it may not publish on), with the bus's words.
    using RefusalHandler = std::function<void(const std::string& text)>;

    // Called on a thread of the messaging library when the connection is lost.
    using DisconnectedHandler = std::function<void()>;

    // Throws std::invalid_argument with a message for the user when the options are unusable.
    NatsBus(const BusOptions& options, ConnectedHandler onConnected, RefusalHandler onRefused = {},
            DisconnectedHandler onDisconnected = {});
    // Closes the connection; no callback of it runs after this returns.
    ~NatsBus();
    NatsBus(const NatsBus&) = delete;
    NatsBus& operator=(const NatsBus&) = delete;

    natsConnection* Connection() const { return m_connection; }
    jsCtx* JetStream() const { return m_jetStream; }
    const BusSubjects& Subjects() const { return m_subjects; }
    const BusOptions& Options() const { return m_options; }
    bool Connected() const;
    // Why the connection is not made, in the bus's words (a refused login, say); empty when
    // nothing was said.
    std::string LastError() const;

    // Makes the stream of published messages when the bus does not have it. False, with the
    // reason, when the bus cannot be asked or refuses.
    bool EnsureStream(std::string* error = nullptr);
    // The stream's last sequence number (0 for an empty stream) and when it was made (which
    // tells a stream made again, numbering from 1, from the one seen before); false when it
    // cannot be read, with 'missing' set when the bus has no such stream (yet).
    bool StreamState(std::uint64_t& lastSequence, std::int64_t& created, std::string* error = nullptr,
                     bool* missing = nullptr);

    static std::string StatusText(natsStatus status);

private:
    jsStreamConfig StreamConfig(const std::string& name, const char* (&subjects)[1]) const;
    struct Gate;
    static void OnConnected(natsConnection* connection, void* closure);
    static void OnDisconnected(natsConnection* connection, void* closure);
    static void OnError(natsConnection* connection, natsSubscription* subscription, natsStatus status,
                        void* closure);

    BusOptions m_options;
    BusSubjects m_subjects;
    std::shared_ptr<Gate> m_gate;
    void* m_closure = nullptr;
    natsConnection* m_connection = nullptr;
    jsCtx* m_jetStream = nullptr;
    std::mutex m_streamLock;
};

} // namespace connect::detail
