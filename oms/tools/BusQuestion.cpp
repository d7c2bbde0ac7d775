#include "BusQuestion.h"

#include "connect/Envelope.h"
#include "connect/NatsTransport.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace oms::tools
{

std::string BusAnswer::Status() const
{
    const std::string* status = replies.empty() ? nullptr : replies.back().Value(connect::kClosingField, 0);
    return status ? *status : std::string();
}

std::string BusAnswer::Text() const
{
    const std::size_t count = replies.empty() ? 0 : replies.back().ValueCount(connect::kClosingField);
    return count ? *replies.back().Value(connect::kClosingField, count - 1) : std::string();
}

BusAnswer AskOverBus(const connect::BusOptions& options, const connect::Message& body)
{
    connect::NatsTransport transport(options);
    // The connection is made in the background; give it a moment before the request is sent.
    for (int i = 0; i < 200 && !transport.Connected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    connect::Envelope envelope;
    envelope.messageId = connect::NewMessageId();
    envelope.body = body.ToWire();
    std::mutex lock;
    std::condition_variable done;
    BusAnswer answer;
    transport.SendRequest(
        envelope,
        [&](std::vector<std::uint8_t> wire)
        {
            std::optional<connect::Message> reply = connect::Message::FromWire(wire);
            std::lock_guard<std::mutex> guard(lock);
            answer.replies.push_back(reply ? *reply : connect::Message());
            done.notify_all();
        },
        nullptr);
    std::unique_lock<std::mutex> guard(lock);
    done.wait(guard,
              [&] { return !answer.replies.empty() && answer.replies.back().Has(connect::kClosingField); });
    return answer;
}

} // namespace oms::tools
