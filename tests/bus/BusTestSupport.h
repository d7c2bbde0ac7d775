// What the message-bus tests share: a secured NATS server of their own on a free loopback port
// (its users given credentials by the server's own provisioning, on a copy of the seeded
// database), a collector of what a transport delivers, and waiting for something to happen.
#pragma once

#include "connect/Message.h"
#include "connect/Transport.h"
#include "support/NatsServerProcess.h"
#include "support/OmsProcess.h"
#include "support/SecuredBus.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace bus_test
{

// Polls until 'done' holds or the time is up; the result of the last poll.
inline bool WaitFor(const std::function<bool()>& done,
                    std::chrono::milliseconds patience = std::chrono::milliseconds(10000))
{
    const auto until = std::chrono::steady_clock::now() + patience;
    while (!done())
    {
        if (std::chrono::steady_clock::now() > until)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// Keeps every message a transport delivers, from whatever thread.
class Collector
{
public:
    connect::Transport::Delivery Delivery()
    {
        return [this](std::vector<std::uint8_t> wire)
        {
            std::optional<connect::Message> message = connect::Message::FromWire(wire);
            std::lock_guard<std::mutex> guard(m_lock);
            m_messages.push_back(message ? *message : connect::Message().Add(-1, "malformed"));
        };
    }
    std::vector<connect::Message> Messages() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_messages;
    }
    std::size_t Count() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_messages.size();
    }
    // Value 0 of the field in each message, in order ("-" where absent).
    std::vector<std::string> Values(std::int32_t field) const
    {
        std::vector<std::string> values;
        for (const connect::Message& message : Messages())
            values.push_back(message.Value(field) ? *message.Value(field) : "-");
        return values;
    }

private:
    mutable std::mutex m_lock;
    std::vector<connect::Message> m_messages;
};

class BusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!NatsServerProcess::Available())
            GTEST_SKIP() << "nats-server is not installed (scripts/deps installs it); the bus tests need it";
        // A copy of one seeded database: seeding takes long, more so under a sanitizer.
        const std::optional<std::filesystem::path> seeded =
            SeededOmsDatabase(KIVO_OMS_PROGRAM, KIVO_TEST_CACHE_DIR);
        ASSERT_TRUE(seeded);
        std::filesystem::copy_file(*seeded, folder.Path() / "oms.db");
        secured = std::make_unique<SecuredBus>(folder.Path(), folder.Path() / "oms.db");
        bus = &secured->Process();
        ASSERT_TRUE(bus->Start()) << bus->Log();
    }

    // A user's options on the bus, with his credentials.
    connect::BusOptions OptionsFor(const std::string& user) { return secured->OptionsFor(user); }

    ScopedTempDir folder;
    std::unique_ptr<SecuredBus> secured;
    NatsServerProcess* bus = nullptr;
};

} // namespace bus_test
