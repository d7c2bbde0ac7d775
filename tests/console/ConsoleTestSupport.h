// The console on the test host with a scripted server: each test decides what the server
// publishes and how it answers, and reads back the wire bytes of everything the console sent.
#pragma once

#include "base/PluginGlobals.h"
#include "connect/Message.h"
#include "connect/ReceivedMessage.h"
#include "connect/RequestHandler.h"
#include "dozizedizizi/DozizEdizizi.h"
#include "plugin/Exports.h"
#include "plugin/TestHost.h"

#include <gtest/gtest.h>

#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

// Rectangles read as (left, top, right, bottom) in failure messages.
inline void PrintTo(const CRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

// Answers requests as the test says; without a script, every request is closed at once.
class ScriptedServer : public connect::RequestHandler
{
public:
    using Script = std::function<void(const connect::Message& request, connect::ReplyStream& replies)>;

    void SetScript(Script script)
    {
        std::lock_guard lock(m_mutex);
        m_script = std::move(script);
    }

    void OnRequest(const connect::Message& request, connect::ReplyStream& replies) override
    {
        std::lock_guard lock(m_mutex);
        if (m_script)
            m_script(request, replies);
        else
            replies.Close(0, "OK");
    }

private:
    std::mutex m_mutex;
    Script m_script;
};

// A field as the tests compare it: its id and its values.
using WireField = std::pair<int, std::vector<std::string>>;
using WireFields = std::vector<WireField>;

inline WireFields FieldsOf(const connect::Message& message)
{
    WireFields fields;
    for (const auto& field : message.Fields())
        fields.emplace_back(field.id, field.values);
    return fields;
}

// A published request of the type by the maker, with its status and key.
inline connect::Message PublishedRequest(const std::string& status, const std::string& key,
                                         const std::string& type, const std::string& maker = "MAKER1")
{
    connect::Message message;
    message.Add(54211, status).Add(51803, key).Add(63713, type).Add(54247, maker);
    return message;
}

class ConsoleTest : public ::testing::Test
{
protected:
    explicit ConsoleTest(const std::function<void()>& beforeWindows = {}) : host(beforeWindows)
    {
        host.transport.SetRequestHandler(&server);
    }
    ~ConsoleTest() override { host.transport.SetRequestHandler(nullptr); }

    // The console as the terminal starts it, with the user's identity, and subscribed for the
    // published requests of the user's privilege level.
    CDozizEdizizi& OpenConsole()
    {
        InitKivoPlugin(nullptr, "Terminal", nullptr, "");
        if (g_pDozizEdizizi)
            g_pDozizEdizizi->SubscribeRequests();
        Settle();
        EXPECT_NE(g_pDozizEdizizi, nullptr);
        TestHost().log.clear();
        host.wire.Clear();
        winlib::Observed().Clear();
        return *g_pDozizEdizizi;
    }

    // Lets the server thread finish and the user-interface thread take what it delivered.
    void Settle()
    {
        for (int round = 0; round < 3; ++round)
        {
            host.transport.WaitIdle();
            host.driver.Pump();
        }
    }

    void Publish(const connect::Message& message)
    {
        host.transport.Publish(message);
        Settle();
    }

    std::vector<connect::Message> Sent() const { return host.wire.RequestMessages(); }
    const std::vector<std::string>& Log() const { return TestHost().log; }
    std::size_t BeepCount() const { return winlib::Observed().beeps.size(); }

    ScriptedServer server; // outlives the transport's use of it
    PluginFixture host;
};
