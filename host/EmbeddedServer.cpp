#include "host/EmbeddedServer.h"

#include "oms/DataFolder.h"

#include <chrono>
#include <random>

namespace host
{

EmbeddedServer::EmbeddedServer(const ServerOptions& options, const UserProfile& profile, bool scripted,
                               connect::InProcessTransport& transport)
    : m_transport(transport)
{
    oms::OmsServer::Options serverOptions;
    serverOptions.databasePath = options.database.empty() ? oms::DefaultDatabasePath() : options.database;
    serverOptions.fresh = options.fresh;
    m_server = std::make_unique<oms::OmsServer>(serverOptions, transport);
    const double every = options.makerEvery < 0 ? (scripted ? 0.0 : 5.0) : options.makerEvery;
    if (every > 0)
        m_generator = std::make_unique<oms::RequestGenerator>(
            *m_server, std::chrono::milliseconds(static_cast<long long>(every * 1000)), profile.userId,
            std::random_device{}());
}

EmbeddedServer::~EmbeddedServer()
{
    m_generator.reset();
    m_transport.SetRequestHandler(nullptr);
    // A request already with the server finishes before the server goes.
    m_transport.WaitIdle();
    m_server->Stop();
}

void EmbeddedServer::Start()
{
    m_server->Start();
    m_transport.SetRequestHandler(m_server.get());
    if (m_generator)
        m_generator->Start();
}

std::string EmbeddedServer::Describe() const
{
    return std::string("Order server: ") + (m_server->WasCreated() ? "created and seeded " : "database ") +
           m_server->DatabasePath();
}

} // namespace host
