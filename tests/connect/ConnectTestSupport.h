// What the messaging tests share: a message built the way the plug-in builds one, a receiver
// that keeps what it was given, and a server whose answers each test scripts.
#pragma once

#include "connect/ConnectKivo.h"
#include "connect/ControlFactory.h"
#include "connect/DarvRxNotifierBase.h"
#include "connect/InProcessTransport.h"
#include "connect/Message.h"
#include "connect/MessageHandle.h"
#include "connect/RequestHandler.h"
#include "winlib/testing/Driver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace connect_test
{

// A message handle and scratch buffer, started and filled through the library's C functions.
class OutgoingMessage
{
public:
    explicit OutgoingMessage(int size = OTP_SCRATCH_SIZE)
    {
        EXPECT_TRUE(otp_ctor_primecb(&m_message, nullptr));
        EXPECT_TRUE(otp_open_scratch(&m_buffer, size, nullptr));
    }
    ~OutgoingMessage()
    {
        otp_dtor_primecb(m_message, nullptr);
        otp_close_scratch(m_buffer, nullptr);
    }
    OutgoingMessage(const OutgoingMessage&) = delete;
    OutgoingMessage& operator=(const OutgoingMessage&) = delete;

    OutgoingMessage& Start()
    {
        std::memset(m_buffer, 0, 4);
        EXPECT_TRUE(otp_start_msg(m_message, m_buffer, nullptr));
        return *this;
    }
    OutgoingMessage& Add(int fieldId, const char* value)
    {
        int err = -1;
        EXPECT_TRUE(otp_add_data_as_cstring(m_message, fieldId, 1, value, &err)) << "field " << fieldId;
        EXPECT_EQ(err, OTP_OK);
        return *this;
    }

    MnmHndl Handle() const { return m_message; }
    BufHndl Buffer() const { return m_buffer; }
    unsigned char* Bytes() const { return reinterpret_cast<unsigned char*>(m_buffer); }

private:
    MnmHndl m_message = nullptr;
    BufHndl m_buffer = nullptr;
};

class RecordingReceiver : public CDarvRxNotifierBase
{
public:
    struct Received
    {
        connect::Message message;
        void* control = nullptr;
        void* handle = nullptr;
        std::thread::id thread;
    };

    void OnStatus(int status, const char* text) override { statuses.emplace_back(status, text ? text : ""); }
    void OnMessage(void* a, MnmHndl message, void* b) override
    {
        const std::optional<connect::Message> read = connect::ToMessage(message);
        ASSERT_TRUE(read.has_value());
        received.push_back(Received{*read, a, b, std::this_thread::get_id()});
        if (onMessage)
            onMessage(message);
    }

    std::vector<Received> received;
    std::vector<std::pair<int, std::string>> statuses;
    std::function<void(MnmHndl)> onMessage;
};

// Answers as the test says. Runs on the transport's server thread; the test reads what it kept
// only after waiting for the transport to be idle.
class ScriptedServer : public connect::RequestHandler
{
public:
    void OnRequest(const connect::Message& request, connect::ReplyStream& replies) override
    {
        requests.push_back(request);
        messageIds.push_back(replies.MessageId());
        senders.push_back(replies.Sender());
        thread = std::this_thread::get_id();
        if (answer)
            answer(request, replies);
    }

    std::function<void(const connect::Message&, connect::ReplyStream&)> answer;
    std::vector<connect::Message> requests;
    std::vector<std::string> messageIds;
    std::vector<connect::Session> senders;
    std::thread::id thread;
};

// Controls of a factory on the in-process transport to a scripted server, with one receiver.
class TransportFixture : public ::testing::Test
{
protected:
    // Declared first so that it goes last: the transport's thread wakes the driver's backend.
    winlib::testing::Driver driver;
    ScriptedServer server;
    connect::InProcessTransport transport{&server};
    connect::ControlFactory factory{transport};
    RecordingReceiver receiver;
};

} // namespace connect_test
