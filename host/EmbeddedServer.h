// The order-management server inside the terminal: it answers the requests that come through
// the in-process transport, publishes through it, and a maker generator enters requests while
// the terminal runs.
#pragma once

#include "connect/InProcessTransport.h"
#include "host/HostOptions.h"
#include "oms/OmsServer.h"
#include "oms/RequestGenerator.h"

#include <memory>
#include <string>

namespace host
{

class EmbeddedServer
{
public:
    // Opens (or creates and seeds) the database. Throws oms::StoreError, with its message for
    // the user, when the database cannot be used; nothing is changed then.
    EmbeddedServer(const ServerOptions& options, const UserProfile& profile, bool scripted,
                   connect::InProcessTransport& transport);
    // Stops the generator and takes the server off the transport.
    ~EmbeddedServer();
    EmbeddedServer(const EmbeddedServer&) = delete;
    EmbeddedServer& operator=(const EmbeddedServer&) = delete;

    // Publishes what waits in the outbox, then answers requests; the generator starts.
    void Start();

    oms::OmsServer& Server() { return *m_server; }
    // Null when no maker's requests are generated.
    oms::RequestGenerator* Generator() { return m_generator.get(); }
    // A line for the log: which database, and whether it was made now.
    std::string Describe() const;

private:
    connect::InProcessTransport& m_transport;
    std::unique_ptr<oms::OmsServer> m_server;
    std::unique_ptr<oms::RequestGenerator> m_generator;
};

} // namespace host
