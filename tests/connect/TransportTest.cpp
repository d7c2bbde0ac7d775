#include "ConnectTestSupport.h"

#include "connect/ReplyStream.h"

#include <memory>

using connect::Message;
using connect::ReplyStream;
using connect_test::OutgoingMessage;
using connect_test::RecordingReceiver;

namespace
{

class TransportTest : public connect_test::TransportFixture
{
protected:
    // Sends a request the way the plug-in does; returns the request handle.
    void* SendQuery(CDarvRxControl* control, const char* function, const char* key = "K1")
    {
        OutgoingMessage out;
        out.Start().Add(0, function).Add(54247, "CHECKER").Add(51803, key);
        void* handle = nullptr;
        int err = -1;
        EXPECT_EQ(control->Send(&handle, out.Handle(), 0, &err), 1);
        EXPECT_EQ(err, OTP_OK);
        return handle;
    }

    void* SubscribeTo(CDarvRxControl* control, std::vector<int> ids, std::vector<std::string> values)
    {
        void* handle = nullptr;
        int err = -1;
        EXPECT_EQ(control->Subscribe(&handle, ids.data(), values, static_cast<int>(ids.size()), control,
                                     false, 0, true, &err),
                  1);
        return handle;
    }

    static Message Published(const char* broker, const char* key)
    {
        return Message().Add(54211, "auth pending").Add(64056, broker).Add(63713, "339").Add(51803, key);
    }

    static std::vector<std::string> Keys(const RecordingReceiver& receiver)
    {
        std::vector<std::string> keys;
        for (const auto& r : receiver.received)
            keys.push_back(r.message.Value(51803) ? *r.message.Value(51803) : "-");
        return keys;
    }
};

TEST_F(TransportTest, RepliesArriveInOrderOnTheUiThreadOnlyWhenThePumpRuns)
{
    server.answer = [](const Message& request, ReplyStream& replies)
    {
        for (const char* part : {"1", "2", "3"})
            replies.Reply(Message().Add(51803, *request.Value(51803)).Add(1, part));
        replies.Close(0, "done");
    };
    CDarvRxControl* control = factory.Create(&receiver);
    void* handle = SendQuery(control, "om_get_auth_user_details", "KEY7");
    transport.WaitIdle();
    EXPECT_TRUE(receiver.received.empty());

    driver.Pump();
    ASSERT_EQ(server.requests.size(), 1u);
    EXPECT_EQ(server.requests[0],
              Message().Add(0, "om_get_auth_user_details").Add(54247, "CHECKER").Add(51803, "KEY7"));
    EXPECT_NE(server.thread, std::this_thread::get_id());

    ASSERT_EQ(receiver.received.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
    {
        const auto& reply = receiver.received[i];
        EXPECT_EQ(reply.thread, std::this_thread::get_id());
        EXPECT_EQ(reply.control, static_cast<void*>(control));
        EXPECT_EQ(reply.handle, handle);
        EXPECT_EQ(*reply.message.Value(32767), "om_get_auth_user_details");
        EXPECT_EQ(reply.message.Has(32766), i == 3);
        if (i < 3)
        {
            EXPECT_EQ(*reply.message.Value(1), std::to_string(i + 1));
        }
    }
    EXPECT_EQ(receiver.received[3].message.Find(32766)->values, (std::vector<std::string>{"0", "done"}));
}

TEST_F(TransportTest, EveryRequestIsClosedEvenWhenTheServerDoesNot)
{
    CDarvRxControl* control = factory.Create(&receiver);
    server.answer = [](const Message&, ReplyStream& replies) { replies.Reply(Message().Add(1, "partial")); };
    SendQuery(control, "forgets");
    transport.WaitIdle();
    server.answer = [](const Message&, ReplyStream&) { throw std::runtime_error("disk full"); };
    SendQuery(control, "throws");
    transport.WaitIdle();
    transport.SetRequestHandler(nullptr);
    SendQuery(control, "nobody");
    transport.WaitIdle();
    // Bytes that are no message still get a closing reply, not silence.
    std::vector<std::vector<std::uint8_t>> raw;
    ASSERT_TRUE(transport.SendRequest(
        connect::Envelope{"id", {}, {1, 2, 3}}, [&raw](std::vector<std::uint8_t> w) { raw.push_back(w); },
        nullptr));
    transport.WaitIdle();
    driver.Pump();

    ASSERT_EQ(receiver.received.size(), 4u);
    EXPECT_EQ(*receiver.received[0].message.Value(1), "partial");
    const auto status = [this](std::size_t i) { return *receiver.received[i].message.Value(32766, 0); };
    EXPECT_EQ(status(1), std::to_string(connect::kStatusNotClosed));
    EXPECT_EQ(status(2), std::to_string(connect::kStatusHandlerFailed));
    EXPECT_EQ(*receiver.received[2].message.Value(32766, 1), "the server failed: disk full");
    EXPECT_EQ(status(3), std::to_string(connect::kStatusNoServer));
    ASSERT_EQ(raw.size(), 1u);
    EXPECT_EQ(*Message::FromWire(raw[0])->Value(32766), std::to_string(connect::kStatusMalformedRequest));
}

TEST_F(TransportTest, RepliesGoToTheControlAndRequestTheyBelongTo)
{
    RecordingReceiver other;
    CDarvRxControl* first = factory.Create(&receiver);
    CDarvRxControl* second = factory.Create(&other);
    server.answer = [](const Message& request, ReplyStream& replies)
    { replies.Close(0, "ok", Message().Add(51803, *request.Value(51803))); };
    void* a = SendQuery(first, "f", "A");
    SendQuery(second, "f", "B");
    void* c = SendQuery(first, "f", "C");
    EXPECT_NE(a, c);
    transport.WaitIdle();
    driver.Pump();
    EXPECT_EQ(Keys(receiver), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Keys(other), (std::vector<std::string>{"B"}));
    EXPECT_EQ(receiver.received[1].handle, c);
}

TEST_F(TransportTest, PublishedMessagesReachOnlyMatchingSubscriptionsInOrder)
{
    RecordingReceiver all;
    CDarvRxControl* control = factory.Create(&receiver);
    CDarvRxControl* everything = factory.Create(&all);
    void* handle = SubscribeTo(control, {64056, 63713, 51803}, {"BRK1", "", ""});
    SubscribeTo(everything, {}, {});

    transport.Publish(Published("BRK1", "K1"));
    transport.Publish(Published("BRK2", "K2"));
    transport.Publish(Message().Add(64056, "BRK1").Add(63713, "339"));
    transport.Publish(Message().AddValues(64056, {"BRK9", "BRK1"}).Add(63713, "339").Add(51803, "K4"));
    transport.Publish(Published("BRK1", "K5").Add(99, "extra"));
    transport.Publish(Published("BRK1", ""));
    transport.WaitIdle();
    EXPECT_TRUE(receiver.received.empty());
    driver.Pump();

    EXPECT_EQ(Keys(receiver), (std::vector<std::string>{"K1", "K5", ""}));
    EXPECT_EQ(receiver.received[0].handle, handle);
    EXPECT_EQ(receiver.received[0].thread, std::this_thread::get_id());
    EXPECT_EQ(Keys(all), (std::vector<std::string>{"K1", "K2", "-", "K4", "K5", ""}));
}

TEST_F(TransportTest, UnsubscribingStopsDeliveriesAlreadyQueued)
{
    CDarvRxControl* control = factory.Create(&receiver);
    void* first = SubscribeTo(control, {51803}, {""});
    SubscribeTo(control, {63713}, {""});
    transport.Publish(Published("B", "K1"));
    transport.WaitIdle();
    // Dropping one subscription leaves the other's delivery in place.
    EXPECT_EQ(control->Unsubscribe(static_cast<int>(reinterpret_cast<std::uintptr_t>(first))), 1);
    driver.Pump();
    EXPECT_EQ(Keys(receiver), (std::vector<std::string>{"K1"}));

    transport.Publish(Published("B", "K2"));
    transport.WaitIdle();
    EXPECT_EQ(control->Unsubscribe(0), 1);
    transport.Publish(Published("B", "K3"));
    transport.WaitIdle();
    driver.Pump();
    EXPECT_EQ(Keys(receiver), (std::vector<std::string>{"K1"}));

    EXPECT_EQ(control->Unsubscribe(0), 1);
    EXPECT_EQ(control->Unsubscribe(12345), 0);
}

TEST_F(TransportTest, AControlGivenBackReachesItsReceiverNoMore)
{
    auto owned = std::make_unique<RecordingReceiver>();
    CDarvRxControl* control = factory.Create(owned.get());
    server.answer = [](const Message&, ReplyStream& replies) { replies.Close(0, "ok"); };
    SendQuery(control, "f");
    SubscribeTo(control, {}, {});
    transport.Publish(Published("B", "K"));
    transport.WaitIdle();

    EXPECT_TRUE(factory.Owns(control));
    EXPECT_TRUE(factory.GiveBack(control));
    EXPECT_FALSE(factory.Owns(control));
    EXPECT_FALSE(factory.GiveBack(control));
    owned.reset();
    EXPECT_GT(driver.Pump(), 0);
    EXPECT_FALSE(factory.Owns(&receiver));
    EXPECT_EQ(factory.Create(nullptr), nullptr);
}

TEST_F(TransportTest, TheHostCanTakePublishedMessagesItself)
{
    std::vector<std::string> hostKeys;
    const auto keep = [&hostKeys](MnmHndl message)
    {
        const char* key = nullptr;
        hostKeys.push_back(otp_get_data_as_cstring(message, 51803, 0, &key, nullptr) ? key : "-");
    };
    std::uint64_t id = 0;
    ASSERT_TRUE(factory.Subscribe(connect::SubscriptionFilter().Require(64056, "HOST"), keep, &id));
    // A control whose matches go to the host while its replies still go to its receiver.
    CDarvRxControl* control = factory.Create(&receiver, keep);
    SubscribeTo(control, {64056}, {"PLUGIN"});
    server.answer = [](const Message&, ReplyStream& replies) { replies.Close(0, "ok"); };
    SendQuery(control, "f");

    transport.Publish(Published("HOST", "H1"));
    transport.Publish(Published("PLUGIN", "P1"));
    transport.WaitIdle();
    driver.Pump();
    EXPECT_EQ(hostKeys, (std::vector<std::string>{"H1", "P1"}));
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_TRUE(receiver.received[0].message.Has(32766));

    EXPECT_TRUE(factory.Unsubscribe(id));
    EXPECT_FALSE(factory.Unsubscribe(id));
    transport.Publish(Published("HOST", "H2"));
    transport.WaitIdle();
    driver.Pump();
    EXPECT_EQ(hostKeys.size(), 2u);
}

TEST_F(TransportTest, InconsistentRequestsAndSubscriptionsAreRefused)
{
    CDarvRxControl* control = factory.Create(&receiver);
    CDarvRxControl* other = factory.Create(&receiver);
    const int ids[] = {1, 2};
    int err = OTP_OK;
    EXPECT_EQ(control->Subscribe(nullptr, ids, {"a"}, 2, control, false, 0, true, &err), 0);
    EXPECT_EQ(err, OTP_ERR_BAD_ARGUMENT);
    EXPECT_EQ(control->Subscribe(nullptr, ids, {"a", ""}, 2, other, false, 0, true, &err), 0);
    EXPECT_EQ(err, OTP_ERR_BAD_ARGUMENT);

    MnmHndl notStarted = nullptr;
    ASSERT_TRUE(otp_ctor_primecb(&notStarted, nullptr));
    EXPECT_EQ(control->Send(nullptr, notStarted, 0, &err), 0);
    EXPECT_EQ(err, OTP_ERR_NOT_STARTED);
    otp_dtor_primecb(notStarted, nullptr);
    EXPECT_EQ(control->Send(nullptr, notStarted, 0, &err), 0);
    EXPECT_EQ(err, OTP_ERR_BAD_HANDLE);
    transport.WaitIdle();
    EXPECT_TRUE(server.requests.empty());
}

// A transport of the test's own, to bring bytes that no server of ours would send.
class RawTransport : public connect::Transport
{
public:
    bool SendRequest(connect::Envelope, Delivery onReply, int*) override
    {
        replies = std::move(onReply);
        return true;
    }
    bool Subscribe(const connect::SubscriptionFilter&, Delivery, std::uint64_t*, int*) override
    {
        return false;
    }
    bool Unsubscribe(std::uint64_t, int*) override { return false; }
    Delivery replies;
};

TEST(RawTransportTest, AMalformedDeliveryIsDroppedAndTheReceiverTold)
{
    winlib::testing::Driver driver;
    RawTransport raw;
    connect::ControlFactory factory(raw);
    RecordingReceiver receiver;
    CDarvRxControl* control = factory.Create(&receiver);
    OutgoingMessage out;
    out.Start().Add(0, "f");
    ASSERT_EQ(control->Send(nullptr, out.Handle(), 0, nullptr), 1);
    ASSERT_TRUE(raw.replies);

    std::vector<std::uint8_t> bad = Message().Add(1, "x").ToWire();
    bad.back() = 'x';
    std::thread(
        [&]
        {
            raw.replies(bad);
            raw.replies(Message().Add(32766, "0").ToWire());
        })
        .join();
    EXPECT_TRUE(receiver.statuses.empty());
    driver.Pump();
    ASSERT_EQ(receiver.statuses.size(), 1u);
    EXPECT_EQ(receiver.statuses[0].first, DARV_STATUS_MESSAGE_REJECTED);
    EXPECT_EQ(receiver.statuses[0].second, connect::wire::ErrorText(connect::wire::Error::MissingTerminator));
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_TRUE(receiver.received[0].message.Has(32766));
    // The host's subscription fails when the transport refuses it.
    EXPECT_FALSE(factory.Subscribe(
        connect::SubscriptionFilter(), [](MnmHndl) {}, nullptr));
}

} // namespace
