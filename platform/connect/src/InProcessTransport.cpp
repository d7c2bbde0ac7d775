#include "connect/InProcessTransport.h"

#include "connect/ConnectKivo.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace connect
{

struct InProcessTransport::Impl
{
    struct Subscription
    {
        SubscriptionFilter filter;
        Delivery deliver;
    };

    std::mutex lock;
    std::condition_variable workReady;
    std::condition_variable idle;
    std::deque<std::function<void()>> work;
    bool busy = false;
    bool stopping = false;
    RequestHandler* handler = nullptr;

    // Guarded apart from the work queue so that subscribing never waits for a request to finish.
    std::mutex subscriptionLock;
    std::map<std::uint64_t, Subscription> subscriptions;
    std::uint64_t lastSubscription = 0;

    std::thread thread;

    void Enqueue(std::function<void()> item)
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            work.push_back(std::move(item));
        }
        workReady.notify_one();
    }

    void Run()
    {
        for (;;)
        {
            std::function<void()> item;
            {
                std::unique_lock<std::mutex> guard(lock);
                workReady.wait(guard, [this] { return stopping || !work.empty(); });
                if (stopping)
                    return;
                item = std::move(work.front());
                work.pop_front();
                busy = true;
            }
            item();
            {
                std::lock_guard<std::mutex> guard(lock);
                busy = false;
                if (work.empty())
                    idle.notify_all();
            }
        }
    }

    void HandleRequest(const std::vector<std::uint8_t>& bytes, const Delivery& onReply)
    {
        wire::Error error = wire::Error::None;
        const std::optional<Message> request = Message::FromWire(bytes, &error);
        const std::string* function = request ? request->Value(kRequestFunctionField) : nullptr;
        ReplyStream replies(function ? *function : std::string(),
                            [&onReply](const Message& reply) { onReply(reply.ToWire()); });
        if (!request)
        {
            replies.Close(kStatusMalformedRequest,
                          std::string("malformed request: ") + wire::ErrorText(error));
            return;
        }
        RequestHandler* current = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            current = handler;
        }
        if (!current)
        {
            replies.Close(kStatusNoServer, "no server is answering requests");
            return;
        }
        // The server is someone else's code: whatever it does, the requester gets its closing reply.
        try
        {
            current->OnRequest(*request, replies);
        }
        catch (const std::exception& failure)
        {
            replies.Close(kStatusHandlerFailed, std::string("the server failed: ") + failure.what());
        }
        catch (...)
        {
            replies.Close(kStatusHandlerFailed, "the server failed");
        }
        replies.Close(kStatusNotClosed, "the server did not close the request");
    }

    void Dispatch(const Message& message)
    {
        const std::vector<std::uint8_t> bytes = message.ToWire();
        std::vector<Delivery> matching;
        {
            std::lock_guard<std::mutex> guard(subscriptionLock);
            for (const auto& [id, subscription] : subscriptions)
            {
                if (subscription.filter.Matches(message))
                    matching.push_back(subscription.deliver);
            }
        }
        for (const Delivery& deliver : matching)
            deliver(bytes);
    }
};

InProcessTransport::InProcessTransport(RequestHandler* handler) : m_impl(std::make_unique<Impl>())
{
    m_impl->handler = handler;
    m_impl->thread = std::thread([impl = m_impl.get()] { impl->Run(); });
}

InProcessTransport::~InProcessTransport()
{
    {
        std::lock_guard<std::mutex> guard(m_impl->lock);
        m_impl->stopping = true;
        m_impl->work.clear();
    }
    m_impl->workReady.notify_all();
    m_impl->thread.join();
    m_impl->idle.notify_all();
}

void InProcessTransport::SetRequestHandler(RequestHandler* handler)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    m_impl->handler = handler;
}

void InProcessTransport::WaitIdle()
{
    if (std::this_thread::get_id() == m_impl->thread.get_id())
        return;
    std::unique_lock<std::mutex> guard(m_impl->lock);
    m_impl->idle.wait(guard, [this] { return m_impl->stopping || (m_impl->work.empty() && !m_impl->busy); });
}

void InProcessTransport::Publish(const Message& message)
{
    m_impl->Enqueue([impl = m_impl.get(), message] { impl->Dispatch(message); });
}

bool InProcessTransport::SendRequest(std::vector<std::uint8_t> request, Delivery onReply, int* err)
{
    if (!onReply)
    {
        if (err)
            *err = OTP_ERR_NULL_ARGUMENT;
        return false;
    }
    m_impl->Enqueue([impl = m_impl.get(), request = std::move(request), onReply = std::move(onReply)]
                    { impl->HandleRequest(request, onReply); });
    if (err)
        *err = OTP_OK;
    return true;
}

bool InProcessTransport::Subscribe(const SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                                   int* err)
{
    if (!onMessage)
    {
        if (err)
            *err = OTP_ERR_NULL_ARGUMENT;
        return false;
    }
    std::lock_guard<std::mutex> guard(m_impl->subscriptionLock);
    const std::uint64_t created = ++m_impl->lastSubscription;
    m_impl->subscriptions.emplace(created, Impl::Subscription{filter, std::move(onMessage)});
    if (id)
        *id = created;
    if (err)
        *err = OTP_OK;
    return true;
}

bool InProcessTransport::Unsubscribe(std::uint64_t id, int* err)
{
    std::lock_guard<std::mutex> guard(m_impl->subscriptionLock);
    const bool found = m_impl->subscriptions.erase(id) == 1;
    if (err)
        *err = found ? OTP_OK : OTP_ERR_BAD_ARGUMENT;
    return found;
}

} // namespace connect
