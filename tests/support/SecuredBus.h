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

#include <filesystem>
#include <memory>
#include <string>
#include <thread>

class SecuredBus
{
public:
    // 'database' is the server's database (a copy of the seeded one), which the grants go into.
    SecuredBus(std::filesystem::path folder, std::filesystem::path database)
        : m_folder(std::move(folder)), m_database(std::move(database)), m_store(Open())
    {
        oms::bus::BusAccess::Settings settings;
        settings.storage = m_folder / "bus" / "store";
        Access().Init(settings);
        // The users the tests speak as, before the bus starts; others are given access (and the
        // bus reloads) when first asked for.
        for (const char* user : {"CHECKER1", "CHECKER2", "MAKER1", "MAKER2", "KV1001", "ADMIN1", "KIVO-MUM"})
            Access().Grant(user);
        // Into the file itself, so that a copy of it carries the grants.
        m_store->Db().ResetAll();
        m_store->Db().Execute("PRAGMA wal_checkpoint(TRUNCATE)");
        m_process = std::make_unique<NatsServerProcess>(m_folder / "bus", Access().ConfigFile());
    }

    NatsServerProcess& Process() { return *m_process; }
    bool Start() { return m_process->Start(); }
    std::string Url() const { return m_process->Url(); }
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
            m_process->Reload();
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
        m_process->Reload();
    }

private:
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
};
