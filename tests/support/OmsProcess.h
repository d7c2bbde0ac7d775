// kivo-oms serving on a message bus, started by a test or a load run, and the seeded database
// they copy: seeding takes a while, more so under a sanitizer, so it is made once per build.
#pragma once

#include "ChildProcess.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include <unistd.h>

class OmsProcess
{
public:
    OmsProcess(std::string program, std::filesystem::path db, std::filesystem::path log)
        : m_program(std::move(program)), m_db(std::move(db)), m_log(std::move(log))
    {
    }

    // The server's bus credentials and the bus's certificate authority (a secured bus); without
    // them it serves an unsecured bus.
    void SetCredentials(std::filesystem::path credentials, std::filesystem::path ca)
    {
        m_credentials = std::move(credentials);
        m_ca = std::move(ca);
    }

    // Waits until it serves; false when it did not within the time.
    bool Start(const std::string& url, std::chrono::seconds patience = std::chrono::seconds(60))
    {
        const std::size_t from = m_process.Output().size();
        std::vector<std::string> argv = {m_program, "--db", m_db.string(), "--bus", url};
        if (m_credentials.empty())
            argv.push_back("--insecure-bus");
        else
            argv.insert(argv.end(), {"--bus-credentials", m_credentials.string(), "--bus-ca", m_ca.string()});
        m_process.Start(argv, m_log.string());
        const auto until = std::chrono::steady_clock::now() + patience;
        for (;;)
        {
            const std::string out = m_process.Output();
            if (out.size() > from && out.find("Serving on", from) != std::string::npos)
                return true;
            if (std::chrono::steady_clock::now() > until || !m_process.Running())
                return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    void Kill() { m_process.Kill(); }
    int Stop() { return m_process.Stop(); }
    std::string Log() const { return m_process.Output(); }

private:
    std::string m_program;
    std::filesystem::path m_db;
    std::filesystem::path m_log;
    std::filesystem::path m_credentials;
    std::filesystem::path m_ca;
    ChildProcess m_process;
};

// The database 'program' (kivo-oms) seeds, kept in 'cacheDir' until the program is built again.
// Seeding is deterministic, so two runs making it at once make the same file, and the rename
// puts one of them in place whole.
inline std::optional<std::filesystem::path> SeededOmsDatabase(const std::string& program,
                                                              const std::filesystem::path& cacheDir)
{
    const std::filesystem::path kept = cacheDir / "bus-tests-seeded.db";
    std::error_code error;
    if (std::filesystem::exists(kept, error) &&
        std::filesystem::last_write_time(kept, error) > std::filesystem::last_write_time(program, error))
        return kept;
    const std::filesystem::path making = kept.string() + "." + std::to_string(getpid());
    {
        ChildProcess seeding({program, "--db", making.string(), "init"}, making.string() + ".log");
        if (seeding.Wait(std::chrono::seconds(110)) != 0)
            return std::nullopt;
    }
    std::filesystem::remove(making.string() + ".log", error);
    std::filesystem::remove(making.string() + ".lock", error);
    std::filesystem::rename(making, kept, error);
    return error ? std::nullopt : std::optional(kept);
}
