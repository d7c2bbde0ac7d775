// A NATS server with persistent streams, on a free loopback port, for one test. Stopping and
// starting it again keeps its port and its storage, as a restarted bus would.
#pragma once

#include "ChildProcess.h"

#include <filesystem>
#include <string>

class NatsServerProcess
{
public:
    // The program, from the build's configuration; empty when it was not found.
    static std::string Program()
    {
#ifdef KIVO_NATS_SERVER
        return KIVO_NATS_SERVER;
#else
        return "";
#endif
    }
    static bool Available()
    {
        return !Program().empty() && std::filesystem::exists(Program());
    }

    // 'folder' keeps the server's storage ("store") and log. With 'config' (a secured bus's
    // configuration from kivo-oms bus init, whose storage must be that folder) the server takes
    // its TLS, users and storage from there; the address and port are this object's.
    explicit NatsServerProcess(std::filesystem::path folder, std::filesystem::path config = {})
        : m_folder(std::move(folder)), m_config(std::move(config))
    {
        std::filesystem::create_directories(m_folder / "store");
    }

    // Valid once the server has started.
    std::string Url() const
    {
        return (m_config.empty() ? "nats://127.0.0.1:" : "tls://127.0.0.1:") + std::to_string(m_port);
    }
    int Port() const
    {
        return m_port;
    }

    // Starts the server and waits until it takes connections; false when it does not. The
    // first start lets the server choose a free port (no race with another program picking the
    // same one); later starts ask for that port again.
    bool Start(std::chrono::milliseconds patience = std::chrono::milliseconds(20000))
    {
        const std::string logPath = (m_folder / "nats-server.log").string();
        const std::size_t from = Output().size();
        std::vector<std::string> argv = {Program(), "-a", "127.0.0.1", "-p", m_port ? std::to_string(m_port) : "-1"};
        // A configuration names its storage itself (the folder's, see SecuredBus).
        if (m_config.empty())
            argv.insert(argv.end(), {"-js", "-sd", (m_folder / "store").string()});
        else
            argv.insert(argv.end(), {"-c", m_config.string()});
        m_process.Start(argv, logPath);
        const auto until = std::chrono::steady_clock::now() + patience;
        while (std::chrono::steady_clock::now() < until)
        {
            const std::string log = Output().substr(std::min(from, Output().size()));
            if (log.find("Server is ready") != std::string::npos)
            {
                const std::string listening = "Listening for client connections on 127.0.0.1:";
                const std::size_t at = log.find(listening);
                if (at == std::string::npos)
                    return false;
                m_port = std::stoi(log.substr(at + listening.size()));
                return true;
            }
            if (!m_process.Running())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Stop()
    {
        m_process.Stop();
    }
    void Kill()
    {
        m_process.Kill();
    }
    // Tells the server to read its configuration again (a secured bus's changed users).
    void Reload()
    {
        if (m_process.Pid() > 0)
            kill(m_process.Pid(), SIGHUP);
    }
    std::string Log() const
    {
        return Output();
    }

private:
    std::string Output() const
    {
        return m_process.Output();
    }

    std::filesystem::path m_folder;
    std::filesystem::path m_config;
    int m_port = 0;
    ChildProcess m_process;
};
