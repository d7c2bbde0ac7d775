// The envelope around each request: a message id of its own, the sender's session, requests
// waiting together handed over as one batch, and the closing replies the host watches.
#include "ConnectTestSupport.h"

#include "connect/Envelope.h"

#include <set>

using connect::Envelope;
using connect::Message;
using connect::ReplyStream;
using connect_test::OutgoingMessage;
using connect_test::RecordingReceiver;

namespace
{

TEST(EnvelopeTest, BytesRoundTripWithAndWithoutASession)
{
    const Envelope full{"abc-1", {"CHECKER1", "KIVO", 2}, Message().Add(0, "f").ToWire()};
    const std::optional<Envelope> read = Envelope::FromBytes(full.ToBytes());
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, full);

    const Envelope bare{"", {}, Message().Add(0, "g").ToWire()};
    EXPECT_EQ(Envelope::FromBytes(bare.ToBytes()), bare);
    // Without a user there is no session, whatever else was set.
    const Envelope brokerOnly{"x", {"", "KIVO", 0}, Message().Add(0, "g").ToWire()};
    EXPECT_FALSE(Envelope::FromBytes(brokerOnly.ToBytes())->session.Known());
}

TEST(EnvelopeTest, AMalformedHeaderOrAMissingBodyIsRefused)
{
    const std::vector<std::uint8_t> good = Envelope{"id", {}, Message().Add(0, "f").ToWire()}.ToBytes();
    connect::wire::Error error = connect::wire::Error::None;
    // The header alone: no body follows.
    const std::size_t headerSize = 4 + connect::wire::ReadWord(good.data());
    EXPECT_FALSE(Envelope::FromBytes(std::span(good).first(headerSize), &error));
    EXPECT_EQ(error, connect::wire::Error::Truncated);
    EXPECT_FALSE(Envelope::FromBytes(std::span(good).first(3), &error));

    std::vector<std::uint8_t> badHeader = good;
    badHeader[headerSize - 1] = 'x'; // the id's terminator
    EXPECT_FALSE(Envelope::FromBytes(badHeader, &error));
    EXPECT_EQ(error, connect::wire::Error::MissingTerminator);

    // A privilege that is not wholly a number reads as none.
    Message header;
    header.Add(1, "id").Add(2, "U").Add(3, "B").Add(4, "2x");
    std::vector<std::uint8_t> bytes = header.ToWire();
    const std::vector<std::uint8_t> body = Message().Add(0, "f").ToWire();
    bytes.insert(bytes.end(), body.begin(), body.end());
    EXPECT_EQ(Envelope::FromBytes(bytes)->session.privilege, -1);
}

TEST(EnvelopeTest, MessageIdsNeverRepeat)
{
    std::set<std::string> ids;
    for (int i = 0; i < 10000; ++i)
        ids.insert(connect::NewMessageId());
    EXPECT_EQ(ids.size(), 10000u);
}

class BatchingServer : public connect::RequestHandler
{
public:
    void OnRequest(const Message&, ReplyStream& replies) override { replies.Close(0, "single"); }
    void OnRequests(std::span<const Request> batch) override
    {
        batches.push_back(batch.size());
        if (throwOnBatch)
            throw std::runtime_error("store gone");
        for (const Request& request : batch)
            request.replies->Close(0, *request.message->Value(51803));
    }
    std::vector<std::size_t> batches;
    bool throwOnBatch = false;
};

class EnvelopeTransportTest : public connect_test::TransportFixture
{
protected:
    void Send(CDarvRxControl* control, const char* key)
    {
        OutgoingMessage out;
        out.Start().Add(0, "om_authenticate_functionality").Add(51803, key);
        ASSERT_EQ(control->Send(nullptr, out.Handle(), 0, nullptr), 1);
    }
};

TEST_F(EnvelopeTransportTest, EachRequestCarriesItsOwnIdAndTheFactorysSession)
{
    server.answer = [](const Message&, ReplyStream& replies) { replies.Close(0, "ok"); };
    CDarvRxControl* control = factory.Create(&receiver);
    Send(control, "1");
    factory.SetSession({"CHECKER1", "KIVO", 2});
    Send(control, "2");
    Send(factory.Create(&receiver), "3");
    transport.WaitIdle();

    ASSERT_EQ(server.messageIds.size(), 3u);
    EXPECT_EQ(std::set<std::string>(server.messageIds.begin(), server.messageIds.end()).size(), 3u);
    EXPECT_FALSE(server.messageIds[0].empty());
    EXPECT_FALSE(server.senders[0].Known());
    EXPECT_EQ(server.senders[1], (connect::Session{"CHECKER1", "KIVO", 2}));
    EXPECT_EQ(server.senders[2], server.senders[1]);
}

TEST_F(EnvelopeTransportTest, RequestsWaitingTogetherArriveAsOneBatchInOrder)
{
    BatchingServer batching;
    transport.SetRequestHandler(&batching);
    CDarvRxControl* control = factory.Create(&receiver);
    // Hold the server thread so that the requests queue up behind a publication.
    std::mutex gate;
    gate.lock();
    std::uint64_t id = 0;
    ASSERT_TRUE(transport.Subscribe(
        connect::SubscriptionFilter(),
        [&gate](std::vector<std::uint8_t>) { std::lock_guard<std::mutex> hold(gate); }, &id, nullptr));
    transport.Publish(Message().Add(1, "hold"));
    for (int i = 0; i < 70; ++i)
        Send(control, std::to_string(i).c_str());
    gate.unlock();
    transport.WaitIdle();
    driver.Pump();

    // Never more than the batch limit at once, everything answered, in order.
    EXPECT_EQ(batching.batches, (std::vector<std::size_t>{connect::InProcessTransport::kMaxBatch, 6}));
    ASSERT_EQ(receiver.received.size(), 70u);
    for (std::size_t i = 0; i < 70; ++i)
        EXPECT_EQ(*receiver.received[i].message.Value(32766, 1), std::to_string(i));
}

TEST_F(EnvelopeTransportTest, ABatchThatFailsClosesEveryRequestInIt)
{
    BatchingServer batching;
    batching.throwOnBatch = true;
    transport.SetRequestHandler(&batching);
    CDarvRxControl* control = factory.Create(&receiver);
    Send(control, "1");
    transport.WaitIdle();
    driver.Pump();
    ASSERT_EQ(receiver.received.size(), 1u);
    EXPECT_EQ(*receiver.received[0].message.Value(32766), std::to_string(connect::kStatusHandlerFailed));
    EXPECT_EQ(*receiver.received[0].message.Value(32766, 1), "the server failed: store gone");
}

TEST_F(EnvelopeTransportTest, TheClosingObserverSeesEveryClosingReplyFirst)
{
    std::vector<std::string> seen;
    factory.SetClosingObserver(
        [&](const Message& closing)
        {
            // The receiver has not had it yet.
            seen.push_back(*closing.Value(32766, 1) + "/" + std::to_string(receiver.received.size()));
        });
    server.answer = [](const Message& request, ReplyStream& replies)
    {
        replies.Reply(Message().Add(1, "data"));
        replies.Close(7, "refused " + *request.Value(51803));
    };
    CDarvRxControl* control = factory.Create(&receiver);
    Send(control, "A");
    Send(control, "B");
    transport.WaitIdle();
    driver.Pump();
    EXPECT_EQ(seen, (std::vector<std::string>{"refused A/1", "refused B/3"}));
    EXPECT_EQ(receiver.received.size(), 4u);
}

TEST_F(EnvelopeTransportTest, TheFactoryKnowsWhetherAControlHasSubscribed)
{
    CDarvRxControl* control = factory.Create(&receiver);
    EXPECT_FALSE(factory.AnyControlSubscribed());
    const int ids[] = {51803};
    ASSERT_EQ(control->Subscribe(nullptr, ids, {""}, 1, control, false, 0, true, nullptr), 1);
    EXPECT_TRUE(factory.AnyControlSubscribed());
    control->Unsubscribe(0);
    EXPECT_FALSE(factory.AnyControlSubscribed());
}

} // namespace
