#include "connect/NatsServerEndpoint.h"

#include "CallbackRegistry.h"
#include "NatsBus.h"
#include "connect/BusSubjects.h"
#include "connect/RequestBatch.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string_view>
#include <thread>
#include <vector>

namespace connect
{

namespace
{

// How many publications may wait for the bus's confirmation at once.
constexpr std::int64_t kPublishWindow = 512;

// The replies to a requester who takes them in batches (the transport's header says so) go out
// several to a bus message: each message's wire form is self-delimiting, so they are simply laid
// one after another. A batch goes when it reaches this size and with the closing reply; a Recover
// of a million requests then takes tens of thousands of bus messages instead of a million.
constexpr std::size_t kReplyBatchBytes = 32 * 1024;

// A reply is held for a batch this long at most, so that a handler that answers part and then
// works on (or waits) has its first replies seen meanwhile.
constexpr auto kReplyHoldLimit = std::chrono::milliseconds(5);

class ReplyBatch;

// Sends what batches have held for kReplyHoldLimit, from a thread of its own. Once stopped, it
// has a batch that starts holding send at once instead.
class ReplyFlusher
{
public:
    ReplyFlusher() : m_thread([this] { Run(); }) {}
    ~ReplyFlusher() { Stop(); }
    ReplyFlusher(const ReplyFlusher&) = delete;
    ReplyFlusher& operator=(const ReplyFlusher&) = delete;

    // False when stopped: the caller sends now.
    bool Hold(std::weak_ptr<ReplyBatch> batch)
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            if (m_stopping)
                return false;
            m_held.push_back(std::move(batch));
        }
        m_wake.notify_one();
        return true;
    }
    void Stop()
    {
        {
            std::lock_guard<std::mutex> guard(m_lock);
            m_stopping = true;
        }
        m_wake.notify_one();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    void Run();

    std::mutex m_lock;
    std::condition_variable m_wake;
    std::vector<std::weak_ptr<ReplyBatch>> m_held;
    bool m_stopping = false;
    std::thread m_thread;
};

// The replies of one request on their way to its inbox.
class ReplyBatch : public std::enable_shared_from_this<ReplyBatch>
{
public:
    ReplyBatch(natsConnection* connection, std::string replyTo, bool batched,
               std::shared_ptr<ReplyFlusher> flusher)
        : m_connection(connection), m_replyTo(std::move(replyTo)), m_batched(batched),
          m_flusher(std::move(flusher))
    {
    }
    void Add(const Message& reply)
    {
        const std::vector<std::uint8_t> bytes = reply.ToWire();
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_batched)
        {
            Publish(bytes);
            return;
        }
        const bool started = m_pending.empty();
        m_pending.insert(m_pending.end(), bytes.begin(), bytes.end());
        if (m_pending.size() >= kReplyBatchBytes || reply.Has(kClosingField) ||
            (started && !m_flusher->Hold(weak_from_this())))
            FlushLocked();
    }
    // What is still held goes now (a handler that answers later flushes with its closing reply).
    void Flush()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        FlushLocked();
    }

private:
    void FlushLocked()
    {
        if (m_pending.empty())
            return;
        Publish(m_pending);
        m_pending.clear();
    }
    void Publish(const std::vector<std::uint8_t>& bytes)
    {
        natsConnection_Publish(m_connection, m_replyTo.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    }

    natsConnection* m_connection;
    std::string m_replyTo;
    bool m_batched;
    std::shared_ptr<ReplyFlusher> m_flusher;
    std::mutex m_lock;
    std::vector<std::uint8_t> m_pending;
};

void ReplyFlusher::Run()
{
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;)
    {
        m_wake.wait(guard, [this] { return m_stopping || !m_held.empty(); });
        if (!m_stopping)
        {
            guard.unlock();
            std::this_thread::sleep_for(kReplyHoldLimit);
            guard.lock();
        }
        std::vector<std::weak_ptr<ReplyBatch>> due;
        due.swap(m_held);
        guard.unlock();
        for (const std::weak_ptr<ReplyBatch>& held : due)
        {
            if (const std::shared_ptr<ReplyBatch> batch = held.lock())
                batch->Flush();
        }
        guard.lock();
        if (m_stopping)
            return;
    }
}

} // namespace

struct NatsServerEndpoint::Impl : std::enable_shared_from_this<Impl>
{
    struct Arrived
    {
        std::vector<std::uint8_t> bytes;
        std::string replyTo;
        std::string sender;
        bool batchedReplies = false;
    };

    explicit Impl(const BusOptions& options) : options(options)
    {
        bus = std::make_unique<detail::NatsBus>(options,
                                                [this]
                                                {
                                                    // A restarted bus may have lost the stream's
                                                    // definition with its storage.
                                                    streamKnown = false;
                                                });
    }

    static void OnRequest(natsConnection*, natsSubscription*, natsMsg* message, void* closure)
    {
        if (const std::shared_ptr<Impl> self = detail::CallbackRegistry<Impl>::Find(closure))
        {
            const auto* data = reinterpret_cast<const std::uint8_t*>(natsMsg_GetData(message));
            const char* reply = natsMsg_GetReply(message);
            // The sender is whoever the bus let publish on the subject: his own. His replies go
            // only to his own inbox, never where the message asks (another user's, say).
            const std::optional<std::string> sender =
                self->bus->Subjects().SenderOf(natsMsg_GetSubject(message));
            const std::string inbox = sender ? self->bus->Subjects().InboxOf(*sender) + "." : std::string();
            const bool answerable =
                sender && reply && std::string_view(reply).substr(0, inbox.size()) == inbox;
            if (!answerable)
            {
                natsMsg_Destroy(message);
                return;
            }
            const char* batched = nullptr;
            Arrived arrived{std::vector<std::uint8_t>(data, data + natsMsg_GetDataLength(message)), reply,
                            *sender,
                            natsMsgHeader_Get(message, kBatchedRepliesHeader, &batched) == NATS_OK &&
                                batched && std::string_view(batched) == "1"};
            {
                std::lock_guard<std::mutex> guard(self->lock);
                self->queue.push_back(std::move(arrived));
            }
            self->ready.notify_one();
        }
        natsMsg_Destroy(message);
    }

    void Work()
    {
        for (;;)
        {
            std::vector<Arrived> taken;
            {
                std::unique_lock<std::mutex> guard(lock);
                // While idle, the stream is seen to: terminals follow it before anything is
                // published, and a bus (or a cluster that lost its quorum) may come without it.
                while (!stopping && queue.empty())
                {
                    if (!ready.wait_for(guard, std::chrono::milliseconds(250),
                                        [this] { return stopping || !queue.empty(); }) &&
                        !streamKnown && bus->Connected())
                    {
                        guard.unlock();
                        streamKnown = bus->EnsureStream();
                        guard.lock();
                    }
                }
                if (stopping)
                    return;
                while (!queue.empty() && taken.size() < kMaxBatch)
                {
                    taken.push_back(std::move(queue.front()));
                    queue.pop_front();
                }
            }
            std::vector<IncomingRequest> requests;
            requests.reserve(taken.size());
            std::vector<std::shared_ptr<ReplyBatch>> batches;
            batches.reserve(taken.size());
            for (Arrived& arrived : taken)
            {
                IncomingRequest request;
                // An envelope that cannot be read leaves an empty body, which the batch closes
                // as a malformed request.
                if (std::optional<Envelope> envelope = Envelope::FromBytes(arrived.bytes))
                    request.envelope = std::move(*envelope);
                request.authenticatedUser = std::move(arrived.sender);
                batches.push_back(std::make_shared<ReplyBatch>(bus->Connection(), std::move(arrived.replyTo),
                                                               arrived.batchedReplies, flusher));
                request.sink = [batch = batches.back()](const Message& reply) { batch->Add(reply); };
                requests.push_back(std::move(request));
            }
            ServeRequests(handler, requests);
            for (const std::shared_ptr<ReplyBatch>& batch : batches)
                batch->Flush();
        }
    }

    // Publications go out with a jsCtx of their own, whose confirmations come to OnStored.
    void StartPublishing(const std::shared_ptr<Impl>& self)
    {
        publishClosure = detail::CallbackRegistry<Impl>::Register(self);
        jsOptions settings;
        jsOptions_Init(&settings);
        settings.Wait = options.publishTimeLimit.count();
        settings.PublishAsync.MaxPending = kPublishWindow;
        settings.PublishAsync.StallWait = options.publishTimeLimit.count();
        settings.PublishAsync.AckHandler = &Impl::OnStored;
        settings.PublishAsync.AckHandlerClosure = publishClosure;
        natsConnection_JetStream(&publishing, bus->Connection(), &settings);
    }

    void StopPublishing()
    {
        detail::CallbackRegistry<Impl>::Forget(publishClosure);
        publishClosure = nullptr;
        jsCtx_Destroy(publishing);
        publishing = nullptr;
    }

    static void OnStored(jsCtx*, natsMsg* message, jsPubAck* stored, jsPubAckErr* failed, void* closure)
    {
        if (const std::shared_ptr<Impl> self = detail::CallbackRegistry<Impl>::Find(closure))
        {
            const char* id = nullptr;
            natsMsgHeader_Get(message, "Nats-Msg-Id", &id);
            std::lock_guard<std::mutex> guard(self->storeLock);
            const auto it = id ? self->waiting.find(id) : self->waiting.end();
            if (it != self->waiting.end())
            {
                self->outcome[it->second] = stored ? kStored : kNotStored;
                self->waiting.erase(it);
            }
            if (failed && failed->Err == NATS_NO_RESPONDERS)
                self->streamKnown = false;
        }
        natsMsg_Destroy(message);
    }

    // Publishes the messages with a window of confirmations outstanding; how many of them, from
    // the first, the bus confirmed it stored.
    std::size_t PublishAll(std::span<const Message> messages)
    {
        if (!bus->Connected() || !publishing)
            return 0;
        if (!streamKnown)
        {
            if (!bus->EnsureStream())
                return 0;
            streamKnown = true;
        }
        {
            std::lock_guard<std::mutex> guard(storeLock);
            waiting.clear();
            outcome.assign(messages.size(), kWaiting);
        }
        jsPubOptions wait;
        jsPubOptions_Init(&wait);
        wait.MaxWait = options.publishTimeLimit.count();
        // A request's publications (its subject is the same in every state) never wait together:
        // the bus stores them in the order they were sent, and the next one goes only once the
        // one before is stored, so that no outcome ever comes before its "auth pending".
        std::set<std::string> subjectsWaiting;
        for (std::size_t i = 0; i < messages.size(); ++i)
        {
            const std::vector<std::uint8_t> bytes = messages[i].ToWire();
            const std::string subject = bus->Subjects().PublishedSubject(messages[i]);
            if (subjectsWaiting.count(subject))
            {
                if (js_PublishAsyncComplete(publishing, &wait) != NATS_OK || StoredPrefix() < i)
                    break;
                subjectsWaiting.clear();
            }
            const std::string id = BusSubjects::PublicationId(bytes);
            {
                std::lock_guard<std::mutex> guard(storeLock);
                waiting.emplace(id, i);
            }
            natsMsg* message = nullptr;
            natsMsg_Create(&message, subject.c_str(), nullptr, reinterpret_cast<const char*>(bytes.data()),
                           static_cast<int>(bytes.size()));
            // The bus drops a publication whose id it stored within its window: one published
            // again after a crash is kept once.
            natsMsgHeader_Set(message, "Nats-Msg-Id", id.c_str());
            const natsStatus status = js_PublishMsgAsync(publishing, &message, nullptr);
            natsMsg_Destroy(message);
            if (status != NATS_OK)
            {
                std::lock_guard<std::mutex> guard(storeLock);
                waiting.erase(id);
                break;
            }
            subjectsWaiting.insert(subject);
        }
        js_PublishAsyncComplete(publishing, &wait);
        const std::size_t stored = StoredPrefix();
        std::lock_guard<std::mutex> guard(storeLock);
        waiting.clear();
        return stored;
    }

    std::size_t StoredPrefix()
    {
        std::lock_guard<std::mutex> guard(storeLock);
        std::size_t stored = 0;
        while (stored < outcome.size() && outcome[stored] == kStored)
            ++stored;
        return stored;
    }

    void StopServing()
    {
        natsSubscription* intake = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
            intake = subscription;
            subscription = nullptr;
        }
        ready.notify_all();
        detail::CallbackRegistry<Impl>::Forget(closure);
        closure = nullptr;
        if (intake)
        {
            natsSubscription_Unsubscribe(intake);
            natsSubscription_Destroy(intake);
        }
        if (worker.joinable())
            worker.join();
        if (flusher)
            flusher->Stop();
    }

    BusOptions options;
    std::unique_ptr<detail::NatsBus> bus;
    std::atomic<bool> streamKnown{false};

    // The publications of the batch in hand: what waits for the bus's word, by publication id.
    static constexpr char kWaiting = 0;
    static constexpr char kStored = 1;
    static constexpr char kNotStored = 2;
    jsCtx* publishing = nullptr;
    void* publishClosure = nullptr;
    std::mutex storeLock;
    std::multimap<std::string, std::size_t> waiting;
    std::vector<char> outcome;

    std::mutex lock;
    std::condition_variable ready;
    std::deque<Arrived> queue;
    bool stopping = false;
    RequestHandler* handler = nullptr;
    natsSubscription* subscription = nullptr;
    void* closure = nullptr;
    std::thread worker;
    std::shared_ptr<ReplyFlusher> flusher;
};

NatsServerEndpoint::NatsServerEndpoint(const BusOptions& options) : m_impl(std::make_shared<Impl>(options))
{
    m_impl->StartPublishing(m_impl);
}

NatsServerEndpoint::~NatsServerEndpoint()
{
    Stop();
    m_impl->StopPublishing();
    m_impl->bus.reset();
}

const BusOptions& NatsServerEndpoint::Options() const
{
    return m_impl->options;
}

bool NatsServerEndpoint::Connected() const
{
    return m_impl->bus->Connected();
}

void NatsServerEndpoint::Serve(RequestHandler& handler)
{
    Impl& impl = *m_impl;
    if (impl.worker.joinable())
        return;
    impl.handler = &handler;
    impl.stopping = false;
    impl.flusher = std::make_shared<ReplyFlusher>();
    impl.worker = std::thread([&impl] { impl.Work(); });
    impl.closure = detail::CallbackRegistry<Impl>::Register(m_impl);
    const std::string subject = impl.bus->Subjects().AllRequests();
    natsConnection_Subscribe(&impl.subscription, impl.bus->Connection(), subject.c_str(), &Impl::OnRequest,
                             impl.closure);
    // Serving once the bus knows of it: a request sent after the return finds the server.
    // (While the bus is away the subscription is made when it comes.) The stream is there from
    // now on too, so that terminals can follow it before anything is published.
    if (impl.bus->Connected())
    {
        natsConnection_FlushTimeout(impl.bus->Connection(), 2000);
        impl.streamKnown = impl.bus->EnsureStream();
    }
}

void NatsServerEndpoint::Stop()
{
    m_impl->StopServing();
}

bool NatsServerEndpoint::Publish(const Message& message)
{
    return m_impl->PublishAll(std::span<const Message>(&message, 1)) == 1;
}

std::size_t NatsServerEndpoint::PublishAll(std::span<const Message> messages)
{
    return m_impl->PublishAll(messages);
}

} // namespace connect
