// A secured message bus for one test or load run, set up as a deployment sets up its own: the
// server's provisioning code (kivo-oms bus ...) makes the certificate authority, the bus's TLS
// certificate, the server's credentials and the users' on a copy of the seeded database, and a
// nats-server of its own runs with that configuration on a free loopback port. Every program
// that connects (the server, terminals, makers, hostile clients) does so with credentials.
#pragma once

#include "NatsServerProcess.h"
#include "connect/BusOptions.h"
#include "oms/Store.h"
#include "oms/bus/BusAccess.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <vector>
#include <thread>

class SecuredBus
{
public:
    // 'database' is the server's database (a copy of the seeded one), which the grants go into.
    // With 'nodes' the bus is a cluster of that many nodes on free loopback ports.
    SecuredBus(std::filesystem::path folder, std::filesystem::path database, int nodes = 0)
        : m_folder(std::move(folder)), m_database(std::move(database)), m_store(Open())
    {
        oms::bus::BusAccess::Settings settings;
        settings.storage = m_folder / "bus" / "store";
        settings.nodes = nodes;
        if (nodes > 0)
            settings.listen = "127.0.0.1:" + std::to_string(FreePorts(nodes));
        Access().Init(settings);
        // The users the tests speak as, before the bus starts; others are given access (and the
        // bus reloads) when first asked for.
        for (const char* user :
             {"CHECKER1", "CHECKER2", "MAKER1", "MAKER2", "MAKER3", "KV1001", "ADMIN1", "KIVO-MUM", "KIVO-DEL"})
            Access().Grant(user);
        // Into the file itself, so that a copy of it carries the grants.
        m_store->Db().ResetAll();
        m_store->Db().Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        m_process = std::make_unique<NatsServerProcess>(m_folder / "bus", Access().ConfigFile());
        for (int n = 1; n <= nodes; ++n)
        {
            m_nodes.push_back(std::make_unique<NatsServerProcess>(m_folder / ("node" + std::to_string(n)),
                                                                  Access().NodeConfigFile(n)));
            m_nodes.back()->TakeAddressFromConfig();
        }
    }

    NatsServerProcess& Process() { return m_nodes.empty() ? *m_process : *m_nodes.front(); }
    // Node n of a cluster, from 1.
    NatsServerProcess& Node(int n) { return *m_nodes.at(static_cast<std::size_t>(n - 1)); }
    int Nodes() const { return static_cast<int>(m_nodes.size()); }
    bool Start()
    {
        if (m_nodes.empty())
            return m_process->Start();
        // A cluster starts whole: each node waits for the others' routes.
        bool started = true;
        for (const auto& node : m_nodes)
            started = node->Start() && started;
        return started;
    }
    std::string Url() { return m_nodes.empty() ? m_process->Url() : Access().ClusterUrl(); }
    const std::filesystem::path& Database() const { return m_database; }

    // Bus options of a user: given credentials the first time they are asked for.
    connect::BusOptions OptionsFor(const std::string& user)
    {
        const std::filesystem::path file = CredentialsOf(user);
        connect::BusOptions options;
        options.url = Url();
        options.caFile = CaFile().string();
        options.LoadCredentials(file.string());
        options.clientName = user;
        return options;
    }
    connect::BusOptions ServerOptions()
    {
        connect::BusOptions options;
        options.url = Url();
        options.caFile = CaFile().string();
        options.LoadCredentials(Access().ServerCredentialsFile().string());
        options.clientName = "kivo-oms";
        return options;
    }
    std::filesystem::path CredentialsOf(const std::string& user)
    {
        const std::filesystem::path file = Access().CredentialsFile(user);
        if (!std::filesystem::exists(file))
        {
            Access().Grant(user);
            // The bus reads its users again in a moment; a connection made before may be refused.
            ReloadAll();
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
        return file;
    }
    std::filesystem::path ServerCredentials() { return Access().ServerCredentialsFile(); }
    std::filesystem::path CaFile() { return Access().CaFile(); }

    // Takes the user's access away and has the running bus read its users again.
    void Revoke(const std::string& user)
    {
        Access().Revoke(user);
        ReloadAll();
    }

private:
    void ReloadAll()
    {
        if (m_nodes.empty())
            m_process->Reload();
        for (const auto& node : m_nodes)
            node->Reload();
    }
    // A run of ports free now for a cluster's nodes: the clients' from the one returned on, the
    // routes' a thousand above. (Another program may take one in between; the start then fails.)
    static int FreePorts(int count)
    {
        std::mt19937 random(std::random_device{}());
        for (int attempt = 0; attempt < 100; ++attempt)
        {
            const int base = std::uniform_int_distribution<int>(20000, 50000)(random);
            bool free = true;
            for (int n = 0; n < count && free; ++n)
                free = PortFree(base + n) && PortFree(base + 1000 + n);
            if (free)
                return base;
        }
        return 24222;
    }
    // No socket of this machine uses the port (the kernel's table of them, whatever their state).
    static bool PortFree(int port)
    {
        char hex[8];
        std::snprintf(hex, sizeof hex, ":%04X", port);
        for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"})
        {
            std::ifstream in(table);
            for (std::string line; std::getline(in, line);)
            {
                // "  sl  local_address rem_address st ...": the local address is the second field.
                std::istringstream fields(line);
                std::string slot;
                std::string local;
                fields >> slot >> local;
                if (local.size() > 5 && local.compare(local.size() - 5, 5, hex) == 0)
                    return false;
            }
        }
        return true;
    }

    oms::bus::BusAccess Access() { return oms::bus::BusAccess(*m_store, m_folder / "bus-config"); }
    // Opened beside the server (which may be running), as kivo-oms bus does.
    std::unique_ptr<oms::Store> Open() const
    {
        oms::Store::Options options;
        options.serverLock = false;
        return oms::Store::Open(m_database.string(), options);
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_database;
    std::unique_ptr<oms::Store> m_store;
    std::unique_ptr<NatsServerProcess> m_process;
    std::vector<std::unique_ptr<NatsServerProcess>> m_nodes;
};
