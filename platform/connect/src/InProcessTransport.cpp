#include "connect/InProcessTransport.h"

#include "connect/ConnectKivo.h"
#include "connect/RequestBatch.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <variant>

namespace connect
{

struct InProcessTransport::Impl
{
    struct Subscription
    {
        SubscriptionFilter filter;
        Delivery deliver;
    };
    struct RequestWork
    {
        Envelope envelope;
        Delivery onReply;
    };
    struct PublishWork
    {
        Message message;
    };
    using Work = std::variant<RequestWork, PublishWork>;

    std::mutex lock;
    std::condition_variable workReady;
    std::condition_variable idle;
    std::deque<Work> work;
    bool busy = false;
    bool stopping = false;
    RequestHandler* handler = nullptr;

    // Guarded apart from the work queue so that subscribing never waits for a request to finish.
    std::mutex subscriptionLock;
    std::map<std::uint64_t, Subscription> subscriptions;
    std::uint64_t lastSubscription = 0;

    std::thread thread;

    void Enqueue(Work item)
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
            // Either one publication, or the requests at the front of the queue, up to a batch.
            std::vector<Work> taken;
            {
                std::unique_lock<std::mutex> guard(lock);
                workReady.wait(guard, [this] { return stopping || !work.empty(); });
                if (stopping)
                    return;
                do
                {
                    taken.push_back(std::move(work.front()));
                    work.pop_front();
                } while (std::holds_alternative<RequestWork>(taken.front()) && taken.size() < kMaxBatch &&
                         !work.empty() && std::holds_alternative<RequestWork>(work.front()));
                busy = true;
            }
            if (auto* published = std::get_if<PublishWork>(&taken.front()))
                Dispatch(published->message);
            else
                HandleRequests(taken);
            {
                std::lock_guard<std::mutex> guard(lock);
                busy = false;
                if (work.empty())
                    idle.notify_all();
            }
        }
    }

    void HandleRequests(std::vector<Work>& taken)
    {
        RequestHandler* current = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            current = handler;
        }
        std::vector<IncomingRequest> requests;
        requests.reserve(taken.size());
        for (Work& item : taken)
        {
            RequestWork& request = std::get<RequestWork>(item);
            requests.push_back(IncomingRequest{std::move(request.envelope),
                                               [onReply = std::move(request.onReply)](const Message& reply)
                                               { onReply(reply.ToWire()); },
                                               {}});
        }
        ServeRequests(current, requests);
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

bool InProcessTransport::Publish(const Message& message)
{
    m_impl->Enqueue(Impl::PublishWork{message});
    return true;
}

bool InProcessTransport::SendRequest(Envelope request, Delivery onReply, int* err)
{
    if (!onReply)
    {
        if (err)
            *err = OTP_ERR_NULL_ARGUMENT;
        return false;
    }
    m_impl->Enqueue(Impl::RequestWork{std::move(request), std::move(onReply)});
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
