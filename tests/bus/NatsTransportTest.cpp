#include "BusTestSupport.h"

#include "connect/BusSubjects.h"
#include "connect/ConnectKivo.h"
#include "connect/NatsServerEndpoint.h"
#include "connect/NatsTransport.h"
#include "connect/ReplyStream.h"

#include <nats/nats.h>

using bus_test::Collector;
using bus_test::WaitFor;
using connect::Message;

namespace
{

class ScriptedHandler : public connect::RequestHandler
{
public:
    void OnRequest(const Message& request, connect::ReplyStream& replies) override
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            requests.push_back(request);
            messageIds.push_back(replies.MessageId());
            senders.push_back(replies.Sender());
        }
        if (answer)
            answer(request, replies);
    }
    std::size_t Count()
    {
        std::lock_guard<std::mutex> guard(lock);
        return requests.size();
    }

    std::mutex lock;
    std::function<void(const Message&, connect::ReplyStream&)> answer;
    std::vector<Message> requests;
    std::vector<std::string> messageIds;
    std::vector<connect::Session> senders;
};

// A server and a terminal subscribed to one broker's requests that comes back to the bus long
// after the server does, so that what the server publishes meanwhile is found in the stream.
struct SlowTerminal
{
    SlowTerminal(const connect::BusOptions& serverOptions, const connect::BusOptions& options)
        : server(serverOptions), terminal(Slow(options))
    {
    }
    static connect::BusOptions Slow(connect::BusOptions options)
    {
        options.reconnectWait = std::chrono::milliseconds(3000);
        return options;
    }
    bool Subscribed()
    {
        return WaitFor([&] { return terminal.Connected() && server.Connected(); }) &&
               terminal.Subscribe(connect::SubscriptionFilter().Require(64056, "KIVO"), received.Delivery(),
                                  nullptr, nullptr);
    }

    connect::NatsServerEndpoint server;
    connect::NatsTransport terminal;
    Collector received;
};

class NatsTransportTest : public bus_test::BusTest
{
protected:
    // The terminal's options, and the server's. The terminal here subscribes with filters no
    // user's level has (the transport's own workings are tried, not a user's rights, which the
    // attack tests try), so it connects with the rights of the server.
    connect::BusOptions Options(std::chrono::milliseconds timeLimit = std::chrono::milliseconds(5000))
    {
        connect::BusOptions options = secured->ServerOptions();
        options.requestTimeLimit = timeLimit;
        return options;
    }
    connect::BusOptions ServerOptions() { return secured->ServerOptions(); }

    static connect::Envelope Request(const char* function, const char* key)
    {
        connect::Envelope envelope;
        envelope.messageId = connect::NewMessageId();
        envelope.session = {"CHECKER1", "KIVO", 0};
        envelope.body = Message().Add(0, function).Add(51803, key).ToWire();
        return envelope;
    }

    static Message Pending(const char* broker, const char* branch, const char* key)
    {
        return Message()
            .Add(54211, "auth pending")
            .Add(51803, key)
            .Add(63713, "340")
            .Add(64056, broker)
            .Add(64053, branch);
    }
};

TEST_F(NatsTransportTest, RepliesReachTheRequesterInOrderWithTheEnvelopeAtTheServer)
{
    ScriptedHandler server;
    server.answer = [](const Message& request, connect::ReplyStream& replies)
    {
        for (const char* part : {"1", "2", "3"})
            replies.Reply(Message().Add(51803, *request.Value(51803)).Add(1, part));
        replies.Close(0, "done");
    };
    connect::NatsServerEndpoint endpoint(ServerOptions());
    endpoint.Serve(server);
    connect::NatsTransport terminal(Options());
    ASSERT_TRUE(WaitFor([&] { return terminal.Connected() && endpoint.Connected(); }));

    // Two requests at once: each gets its own replies, in order, its closing reply last.
    Collector first, second;
    const connect::Envelope sent = Request("om_get_auth_user_details", "100001");
    int err = -1;
    ASSERT_TRUE(terminal.SendRequest(sent, first.Delivery(), &err));
    EXPECT_EQ(err, OTP_OK);
    ASSERT_TRUE(terminal.SendRequest(Request("om_get_auth_user_details", "100002"), second.Delivery(), &err));
    ASSERT_TRUE(WaitFor([&] { return first.Count() == 4 && second.Count() == 4; }));
    EXPECT_EQ(first.Values(1), (std::vector<std::string>{"1", "2", "3", "-"}));
    EXPECT_EQ(first.Values(51803), (std::vector<std::string>{"100001", "100001", "100001", "-"}));
    EXPECT_EQ(second.Values(51803), (std::vector<std::string>{"100002", "100002", "100002", "-"}));
    const Message closing = first.Messages().back();
    EXPECT_EQ(*closing.Value(connect::kClosingField, 0), "0");
    EXPECT_EQ(*closing.Value(connect::kReplyFunctionField), "om_get_auth_user_details");

    std::lock_guard<std::mutex> guard(server.lock);
    ASSERT_EQ(server.requests.size(), 2u);
    EXPECT_EQ(server.requests[0].ToWire(), sent.body);
    EXPECT_EQ(server.messageIds[0], sent.messageId);
    EXPECT_EQ(server.senders[0], sent.session);
    EXPECT_NE(server.messageIds[0], server.messageIds[1]);
}

// A client of the bus's own library with the given login: counts the messages that arrive on a
// subject and sends requests as they come, without the transport's header.
class RawClient
{
public:
    explicit RawClient(const connect::BusOptions& login)
    {
        natsOptions* options = nullptr;
        natsOptions_Create(&options);
        natsOptions_SetURL(options, login.url.c_str());
        natsOptions_SetUserInfo(options, login.user.c_str(), login.password.c_str());
        natsOptions_SetSecure(options, true);
        natsOptions_LoadCATrustedCertificates(options, login.caFile.c_str());
        natsConnection_Connect(&m_connection, options);
        natsOptions_Destroy(options);
    }
    ~RawClient()
    {
        natsSubscription_Destroy(m_subscription);
        natsConnection_Destroy(m_connection);
    }
    void Count(const std::string& subject)
    {
        natsConnection_Subscribe(
            &m_subscription, m_connection, subject.c_str(),
            [](natsConnection*, natsSubscription*, natsMsg* message, void* closure)
            {
                ++static_cast<RawClient*>(closure)->m_counted;
                natsMsg_Destroy(message);
            },
            this);
        natsConnection_FlushTimeout(m_connection, 2000);
    }
    int Counted() const { return m_counted; }
    void Send(const std::string& subject, const std::string& reply, const connect::Envelope& request)
    {
        const std::vector<std::uint8_t> bytes = request.ToBytes();
        natsConnection_PublishRequest(m_connection, subject.c_str(), reply.c_str(), bytes.data(),
                                      static_cast<int>(bytes.size()));
        natsConnection_FlushTimeout(m_connection, 2000);
    }

private:
    natsConnection* m_connection = nullptr;
    natsSubscription* m_subscription = nullptr;
    std::atomic<int> m_counted{0};
};

TEST_F(NatsTransportTest, ManyRepliesTravelSeveralToABusMessageToARequesterWhoTakesThem)
{
    constexpr int kReplies = 3000;
    ScriptedHandler server;
    server.answer = [](const Message&, connect::ReplyStream& replies)
    {
        for (int i = 0; i < kReplies; ++i)
            replies.Reply(Message().Add(1, std::to_string(i)).Add(2, std::string(40, 'x')));
        replies.Close(0, "done");
    };
    connect::NatsServerEndpoint endpoint(ServerOptions());
    endpoint.Serve(server);
    connect::NatsTransport terminal(Options());
    ASSERT_TRUE(WaitFor([&] { return terminal.Connected() && endpoint.Connected(); }));
    const connect::BusSubjects subjects("kivo");
    const std::string inbox = subjects.InboxOf(connect::BusSubjects::kServerUser);
    RawClient spy(ServerOptions());
    spy.Count(inbox + ".>");

    // Every reply, in order, the closing one last, in a handful of bus messages (about 200 KB
    // in batches of 32 KB, and what the hold limit sends early).
    Collector replies;
    ASSERT_TRUE(
        terminal.SendRequest(Request("om_get_functionality_details", "1"), replies.Delivery(), nullptr));
    ASSERT_TRUE(WaitFor([&] { return replies.Count() == kReplies + 1; }));
    std::vector<std::string> expected;
    for (int i = 0; i < kReplies; ++i)
        expected.push_back(std::to_string(i));
    expected.push_back("-");
    EXPECT_EQ(replies.Values(1), expected);
    EXPECT_EQ(*replies.Messages().back().Value(connect::kClosingField, 0), "0");
    EXPECT_LT(spy.Counted(), kReplies / 20);

    // A requester that does not say he takes them so gets one reply a bus message.
    RawClient plain(ServerOptions());
    RawClient counter(ServerOptions());
    counter.Count(inbox + ".plain");
    plain.Send(subjects.RequestsFrom(connect::BusSubjects::kServerUser), inbox + ".plain",
               Request("om_get_functionality_details", "2"));
    EXPECT_TRUE(WaitFor([&] { return counter.Counted() == kReplies + 1; }));
}

TEST_F(NatsTransportTest, ARequestNobodyAnswersEndsWithTheLibrarysClosingReply)
{
    // No server on the subject: closed at once as "no server".
    connect::NatsTransport terminal(Options(std::chrono::milliseconds(300)));
    ASSERT_TRUE(WaitFor([&] { return terminal.Connected(); }));
    Collector nobody;
    ASSERT_TRUE(terminal.SendRequest(Request("om_get_auth_user_details", "1"), nobody.Delivery(), nullptr));
    ASSERT_TRUE(WaitFor([&] { return nobody.Count() == 1; }));
    EXPECT_EQ(*nobody.Messages()[0].Value(connect::kClosingField, 0),
              std::to_string(connect::kStatusNoServer));
    EXPECT_EQ(*nobody.Messages()[0].Value(connect::kReplyFunctionField), "om_get_auth_user_details");

    // A server that answers part and then nothing: the request is closed when its time is up, and
    // what the server sends later is dropped.
    ScriptedHandler server;
    server.answer = [&](const Message&, connect::ReplyStream& replies)
    {
        replies.Reply(Message().Add(1, "part"));
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        replies.Reply(Message().Add(1, "late"));
        replies.Close(0, "late");
    };
    connect::NatsServerEndpoint endpoint(ServerOptions());
    endpoint.Serve(server);
    ASSERT_TRUE(WaitFor([&] { return endpoint.Connected(); }));
    Collector slow;
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(terminal.SendRequest(Request("om_get_auth_limits_details", "2"), slow.Delivery(), nullptr));
    ASSERT_TRUE(WaitFor([&] { return slow.Count() == 2; }));
    const auto waited = std::chrono::steady_clock::now() - started;
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_EQ(slow.Count(), 2u);
    EXPECT_EQ(slow.Values(1)[0], "part");
    const Message closing = slow.Messages()[1];
    EXPECT_EQ(*closing.Value(connect::kClosingField, 0), std::to_string(connect::kStatusTimedOut));
    EXPECT_EQ(*closing.Value(connect::kReplyFunctionField), "om_get_auth_limits_details");
    EXPECT_GE(waited, std::chrono::milliseconds(300));
}

TEST_F(NatsTransportTest, ARequestWhileTheBusIsDownIsClosedAtOnceAndTheTerminalComesBackWithIt)
{
    bus->Stop();
    connect::NatsTransport terminal(Options());
    EXPECT_FALSE(terminal.Connected());
    Collector refused;
    ASSERT_TRUE(
        terminal.SendRequest(Request("om_get_functionality_details", "1"), refused.Delivery(), nullptr));
    ASSERT_TRUE(WaitFor([&] { return refused.Count() == 1; }, std::chrono::milliseconds(2000)));
    const Message closing = refused.Messages()[0];
    EXPECT_EQ(*closing.Value(connect::kClosingField, 0), std::to_string(connect::kStatusNoServer));
    EXPECT_NE(closing.Value(connect::kClosingField, 1)->find("not reachable"), std::string::npos);

    // A subscription made before the bus is there starts when it comes; one made before the
    // server made its stream reads that stream from its first message.
    Collector published;
    ASSERT_TRUE(terminal.Subscribe(connect::SubscriptionFilter().Require(51803), published.Delivery(),
                                   nullptr, nullptr));
    ASSERT_TRUE(bus->Start());
    ASSERT_TRUE(WaitFor([&] { return terminal.Connected(); }));
    EXPECT_FALSE(terminal.SubscriptionsLive());
    connect::NatsServerEndpoint endpoint(ServerOptions());
    ASSERT_TRUE(WaitFor([&] { return endpoint.Publish(Pending("KIVO", "KIVO-MUM", "100001")); }));
    ASSERT_TRUE(WaitFor([&] { return terminal.SubscriptionsLive() && published.Count() == 1; }));
}

TEST_F(NatsTransportTest, EachSubscriptionGetsWhatItsFilterAdmitsOnce)
{
    connect::NatsServerEndpoint server(ServerOptions());
    connect::NatsTransport terminal(Options());
    ASSERT_TRUE(WaitFor([&] { return terminal.Connected() && server.Connected(); }));
    Collector all, kivo, mumbai, investors;
    std::uint64_t mumbaiId = 0;
    ASSERT_TRUE(terminal.Subscribe(connect::SubscriptionFilter().Require(64056).Require(63713).Require(51803),
                                   all.Delivery(), nullptr, nullptr));
    ASSERT_TRUE(terminal.Subscribe(connect::SubscriptionFilter().Require(63713).Require(64056, "KIVO"),
                                   kivo.Delivery(), nullptr, nullptr));
    ASSERT_TRUE(
        terminal.Subscribe(connect::SubscriptionFilter().Require(64056, "KIVO").Require(64053, "KIVO-MUM"),
                           mumbai.Delivery(), &mumbaiId, nullptr));
    // A field the subject does not carry: checked when the message arrives.
    ASSERT_TRUE(terminal.Subscribe(connect::SubscriptionFilter().Require(54036, "INVESTOR_CLIENT"),
                                   investors.Delivery(), nullptr, nullptr));

    ASSERT_TRUE(server.Publish(Pending("KIVO", "KIVO-MUM", "100001")));
    ASSERT_TRUE(server.Publish(Pending("KIVO", "KIVO-DEL", "100002")));
    ASSERT_TRUE(server.Publish(Pending("ASHV", "ASHV-AMD", "100003").Add(54036, "INVESTOR_CLIENT")));
    // The same publication again (a server that restarted): stored once.
    ASSERT_TRUE(server.Publish(Pending("KIVO", "KIVO-MUM", "100001")));
    ASSERT_TRUE(server.Publish(Pending("KIVO", "KIVO-MUM", "100004").Add(54036, "RETAIL")));
    ASSERT_TRUE(WaitFor([&] { return all.Count() == 4; }));
    ASSERT_TRUE(WaitFor([&] { return kivo.Count() == 3 && mumbai.Count() == 2 && investors.Count() == 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(all.Values(51803), (std::vector<std::string>{"100001", "100002", "100003", "100004"}));
    EXPECT_EQ(kivo.Values(51803), (std::vector<std::string>{"100001", "100002", "100004"}));
    EXPECT_EQ(mumbai.Values(51803), (std::vector<std::string>{"100001", "100004"}));
    EXPECT_EQ(investors.Values(51803), (std::vector<std::string>{"100003"}));

    // Dropped: nothing more arrives there.
    int err = -1;
    ASSERT_TRUE(terminal.Unsubscribe(mumbaiId, &err));
    EXPECT_FALSE(terminal.Unsubscribe(mumbaiId, &err));
    EXPECT_EQ(err, OTP_ERR_BAD_ARGUMENT);
    ASSERT_TRUE(server.Publish(Pending("KIVO", "KIVO-MUM", "100005")));
    ASSERT_TRUE(WaitFor([&] { return all.Count() == 5; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(mumbai.Count(), 2u);
}

TEST_F(NatsTransportTest, NothingPublishedIsLostOrRepeatedAcrossARestartOfTheBus)
{
    SlowTerminal both(ServerOptions(), Options());
    ASSERT_TRUE(both.Subscribed());
    connect::NatsServerEndpoint& server = both.server;
    connect::NatsTransport& terminal = both.terminal;
    Collector& received = both.received;
    std::vector<std::string> expected;
    int next = 100001;
    const auto publish = [&](const char* broker)
    {
        const std::string key = std::to_string(next++);
        if (!server.Publish(Pending(broker, "B", key.c_str())))
            return false;
        if (std::string(broker) == "KIVO")
            expected.push_back(key);
        return true;
    };
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(publish(i % 2 ? "ASHV" : "KIVO"));
    ASSERT_TRUE(WaitFor([&] { return received.Count() == expected.size(); }));

    bus->Stop();
    // The server cannot store anything while the bus is down, and says so.
    ASSERT_TRUE(WaitFor([&] { return !server.Connected(); }));
    EXPECT_FALSE(server.Publish(Pending("KIVO", "B", "1")));
    ASSERT_TRUE(bus->Start());
    // Published before the terminal is back on the bus: it finds them in the stream.
    ASSERT_TRUE(WaitFor([&] { return publish("KIVO"); }));
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(publish(i % 2 ? "KIVO" : "ASHV"));
    EXPECT_FALSE(terminal.SubscriptionsLive());
    ASSERT_TRUE(WaitFor([&] { return terminal.SubscriptionsLive() && received.Count() >= expected.size(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(received.Values(51803), expected);
}

TEST_F(NatsTransportTest, ABusThatLostItsStorageIsFollowedFromTheStartOfItsNewStream)
{
    SlowTerminal both(ServerOptions(), Options());
    ASSERT_TRUE(both.Subscribed());
    connect::NatsServerEndpoint& server = both.server;
    Collector& received = both.received;
    std::vector<std::string> expected;
    const auto publish = [&](int key)
    {
        expected.push_back(std::to_string(key));
        return WaitFor([&] { return server.Publish(Pending("KIVO", "KIVO-MUM", expected.back().c_str())); });
    };
    for (int key = 100001; key <= 100005; ++key)
        ASSERT_TRUE(publish(key));
    ASSERT_TRUE(WaitFor([&] { return received.Count() == 5; }));

    // The bus comes back without its storage: its new stream numbers from 1 again, and every
    // message in it is one the terminal has not seen, those numbered at or below the last one
    // it saw before as much as those above.
    bus->Stop();
    std::filesystem::remove_all(folder.Path() / "bus" / "store");
    std::filesystem::create_directories(folder.Path() / "bus" / "store");
    ASSERT_TRUE(bus->Start()) << bus->Log();
    for (int key = 100006; key <= 100013; ++key)
        ASSERT_TRUE(publish(key));
    ASSERT_TRUE(WaitFor([&] { return received.Count() >= expected.size(); })) << received.Count();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(received.Values(51803), expected);
}

} // namespace
