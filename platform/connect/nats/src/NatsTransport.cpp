#include "connect/NatsTransport.h"

#include "CallbackRegistry.h"
#include "NatsBus.h"
#include "connect/ConnectKivo.h"
#include "connect/ReplyStream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace connect
{

namespace
{

using Clock = std::chrono::steady_clock;
// How often the keeper looks again at subscriptions that wait for the bus.
constexpr auto kRetryInterval = std::chrono::milliseconds(250);
// Ordered consumers report that they are alive this often when there is nothing to send.
constexpr std::int64_t kHeartbeatNanos = 1000000000LL;

int Fail(int* err, int code)
{
    if (err)
        *err = code;
    return false;
}

// The function a request calls (its field 0), which every reply names; empty when unreadable.
std::string FunctionOf(const std::vector<std::uint8_t>& body)
{
    const std::optional<Message> message = Message::FromWire(body);
    const std::string* function = message ? message->Value(kRequestFunctionField) : nullptr;
    return function ? *function : std::string();
}

bool IsClosing(const std::uint8_t* data, std::size_t size)
{
    std::vector<wire::FieldView> fields;
    if (wire::Parse(std::span<const std::uint8_t>(data, size), &fields) != wire::Error::None)
        return false;
    return std::any_of(fields.begin(), fields.end(),
                       [](const wire::FieldView& field) { return field.id == kClosingField; });
}

} // namespace

struct NatsTransport::Impl : std::enable_shared_from_this<Impl>
{
    struct PendingRequest
    {
        Delivery onReply;
        std::string function;
        Clock::time_point deadline;
    };
    // A closing reply the library gives itself, waiting for the keeper to deliver it.
    struct LibraryClosing
    {
        Delivery onReply;
        std::string function;
        int status = 0;
        std::string text;
    };
    // What a subscription's callback finds through its closure.
    struct SubscriptionRef
    {
        std::weak_ptr<Impl> impl;
        std::uint64_t id = 0;
    };
    struct Subscription
    {
        SubscriptionFilter filter;
        bool exact = false; // the subject pattern says the whole filter
        std::string subject;
        Delivery deliver;
        bool started = false; // lastSequence is known
        std::uint64_t lastSequence = 0;
        natsSubscription* handle = nullptr;
        bool live = false; // started: its ordered consumer receives, and comes back with the bus
        // What arrived since the connection was made again, held until the stream is found to
        // be the one read before (then delivered) or a new one (then read again from its start).
        std::vector<std::vector<std::uint8_t>> held;
        std::shared_ptr<SubscriptionRef> ref;
        void* closure = nullptr;
    };

    explicit Impl(const BusOptions& options) : options(options) {}

    void Start()
    {
        const std::weak_ptr<Impl> weak = weak_from_this();
        bus = std::make_unique<detail::NatsBus>(options,
                                                [weak]
                                                {
                                                    if (const auto self = weak.lock())
                                                        self->OnConnected();
                                                });
        natsInbox* created = nullptr;
        natsInbox_Create(&created);
        inbox = created ? created : "_INBOX.kivo";
        natsInbox_Destroy(created);
        inboxClosure = detail::CallbackRegistry<Impl>::Register(shared_from_this());
        const std::string pattern = inbox + ".*";
        natsConnection_Subscribe(&inboxSubscription, bus->Connection(), pattern.c_str(), &Impl::OnReply,
                                 inboxClosure);
        keeper = std::thread([this] { Keep(); });
    }

    void Shutdown()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            stopping = true;
        }
        wake.notify_all();
        if (keeper.joinable())
            keeper.join();
        detail::CallbackRegistry<Impl>::Forget(inboxClosure);
        std::map<std::uint64_t, Subscription> gone;
        {
            std::lock_guard<std::mutex> guard(lock);
            gone.swap(subscriptions);
        }
        for (auto& [id, subscription] : gone)
            Drop(subscription);
        for (natsSubscription* handle : retired)
            natsSubscription_Destroy(handle);
        natsSubscription_Destroy(inboxSubscription);
        bus.reset();
    }

    static void Drop(Subscription& subscription)
    {
        detail::CallbackRegistry<SubscriptionRef>::Forget(subscription.closure);
        if (subscription.handle)
        {
            natsSubscription_Unsubscribe(subscription.handle);
            natsSubscription_Destroy(subscription.handle);
            subscription.handle = nullptr;
        }
    }

    void OnConnected()
    {
        // A subscription that receives already carries on by itself: its ordered consumer makes
        // itself again from the sequence after the last one it delivered when the bus comes
        // back (replacing it from here races with that inside the library). Those that wait
        // for the bus start now. A bus that lost its storage has a new stream, numbered from 1
        // again; the keeper looks.
        {
            std::lock_guard<std::mutex> guard(lock);
            ++connections;
            streamCheckDue = true;
        }
        wake.notify_all();
    }

    // After the connection was made again: when the stream is the one read before, what
    // arrived meanwhile is delivered; when it is a new one (the bus lost its storage), every
    // subscription reads it again from its first message, in order, and the consumers that
    // wait for the old numbers are retired.
    void CheckStream()
    {
        std::uint64_t connection = 0;
        {
            std::lock_guard<std::mutex> guard(lock);
            connection = connections;
        }
        std::uint64_t last = 0;
        std::int64_t created = 0;
        if (!bus->Connected() || !bus->EnsureStream() || !bus->StreamState(last, created))
            return; // tried again at the keeper's next round
        {
            // Deliveries wait meanwhile, so that what was held goes before anything newer.
            std::lock_guard<std::mutex> delivering(deliveryLock);
            std::vector<std::pair<Delivery, std::vector<std::vector<std::uint8_t>>>> held;
            {
                std::lock_guard<std::mutex> guard(lock);
                if (connection != connections)
                    return; // connected again meanwhile: the next round looks at that connection
                streamCheckDue = false;
                confirmedConnection = connection;
                const bool same = streamCreated == 0 || created == streamCreated;
                streamCreated = created;
                for (auto& [id, subscription] : subscriptions)
                {
                    if (same)
                    {
                        if (!subscription.held.empty())
                            held.emplace_back(subscription.deliver, std::move(subscription.held));
                        subscription.held.clear();
                        continue;
                    }
                    if (subscription.handle)
                    {
                        retired.push_back(subscription.handle);
                        subscription.handle = nullptr;
                    }
                    subscription.live = false;
                    subscription.lastSequence = 0;
                    subscription.held.clear();
                }
            }
            for (auto& [deliver, messages] : held)
            {
                for (std::vector<std::uint8_t>& bytes : messages)
                    deliver(std::move(bytes));
            }
        }
        // The retired subscriptions are kept until the transport goes, so that a late delivery
        // from one is known by its address; the keeper starts the subscriptions again. They are
        // not unsubscribed here: their ordered consumers may be making themselves again inside
        // the library at this moment, and unsubscribing one then read the consumer's name after
        // the library had freed it. Their consumers went with the old stream.
    }

    // Replies come to the inbox, each request on its own subject under it.
    static void OnReply(natsConnection*, natsSubscription*, natsMsg* message, void* closure)
    {
        if (const std::shared_ptr<Impl> self = detail::CallbackRegistry<Impl>::Find(closure))
            self->Reply(message);
        natsMsg_Destroy(message);
    }

    void Reply(natsMsg* message)
    {
        const char* subject = natsMsg_GetSubject(message);
        const char* dot = subject ? std::strrchr(subject, '.') : nullptr;
        if (!dot)
            return;
        const std::uint64_t id = std::strtoull(dot + 1, nullptr, 10);
        const auto* data = reinterpret_cast<const std::uint8_t*>(natsMsg_GetData(message));
        const auto size = static_cast<std::size_t>(natsMsg_GetDataLength(message));

        std::lock_guard<std::mutex> delivering(deliveryLock);
        PendingRequest request;
        bool closing = false;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = pending.find(id);
            if (it == pending.end())
                return; // closed already (timed out); a late reply has nowhere to go
            closing = natsMsg_IsNoResponders(message) || IsClosing(data, size);
            request = closing ? std::move(it->second) : it->second;
            if (closing)
                pending.erase(it);
        }
        if (natsMsg_IsNoResponders(message))
            CloseByLibrary(request.onReply, request.function, kStatusNoServer,
                           "no server is answering requests");
        else
            request.onReply(std::vector<std::uint8_t>(data, data + size));
    }

    static void CloseByLibrary(const Delivery& onReply, const std::string& function, int status,
                               const std::string& text)
    {
        ReplyStream(function, [&onReply](const Message& reply) { onReply(reply.ToWire()); })
            .Close(status, text);
    }

    static void OnPublished(natsConnection*, natsSubscription* handle, natsMsg* message, void* closure)
    {
        if (const std::shared_ptr<SubscriptionRef> ref =
                detail::CallbackRegistry<SubscriptionRef>::Find(closure))
        {
            if (const std::shared_ptr<Impl> self = ref->impl.lock())
                self->Published(ref->id, handle, message);
        }
        natsMsg_Destroy(message);
    }

    void Published(std::uint64_t id, natsSubscription* handle, natsMsg* message)
    {
        jsMsgMetaData* meta = nullptr;
        if (natsMsg_GetMetaData(&meta, message) != NATS_OK)
            return;
        const std::uint64_t sequence = meta->Sequence.Stream;
        jsMsgMetaData_Destroy(meta);
        const auto* data = reinterpret_cast<const std::uint8_t*>(natsMsg_GetData(message));
        std::vector<std::uint8_t> bytes(data, data + natsMsg_GetDataLength(message));

        std::lock_guard<std::mutex> delivering(deliveryLock);
        Delivery deliver;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(id);
            if (it == subscriptions.end() ||
                std::find(retired.begin(), retired.end(), handle) != retired.end())
                return;
            // A consumer being replaced may still send what its successor sends again.
            if (sequence <= it->second.lastSequence)
                return;
            it->second.lastSequence = sequence;
            if (!it->second.exact)
            {
                const std::optional<Message> parsed = Message::FromWire(bytes);
                if (parsed && !it->second.filter.Matches(*parsed))
                    return;
            }
            if (confirmedConnection != connections)
            {
                it->second.held.push_back(std::move(bytes));
                return;
            }
            deliver = it->second.deliver;
        }
        deliver(std::move(bytes));
    }

    // Makes the subscription receive from the bus, from the message after the last one it saw
    // (or, the first time, from what is published after now). Runs outside the lock: it asks
    // the bus and waits for its answers.
    bool Start(std::uint64_t id)
    {
        Subscription snapshot;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(id);
            if (it == subscriptions.end())
                return false;
            snapshot.subject = it->second.subject;
            snapshot.started = it->second.started;
            snapshot.lastSequence = it->second.lastSequence;
            snapshot.closure = it->second.closure;
        }
        if (!bus->Connected() || !bus->EnsureStream())
            return false;
        std::uint64_t last = 0;
        std::int64_t created = 0;
        if (!bus->StreamState(last, created))
            return false;
        const std::uint64_t from = snapshot.started ? snapshot.lastSequence : last;
        const std::string stream = bus->Subjects().Stream();
        jsSubOptions settings;
        jsSubOptions_Init(&settings);
        settings.Stream = stream.c_str();
        settings.Ordered = true;
        settings.Config.DeliverPolicy = js_DeliverByStartSequence;
        settings.Config.OptStartSeq = from + 1;
        settings.Config.Heartbeat = kHeartbeatNanos;
        natsSubscription* handle = nullptr;
        jsErrCode code = static_cast<jsErrCode>(0);
        if (js_Subscribe(&handle, bus->JetStream(), snapshot.subject.c_str(), &Impl::OnPublished,
                         snapshot.closure, nullptr, &settings, &code) != NATS_OK)
            return false;

        natsSubscription* replaced = nullptr;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(id);
            if (it == subscriptions.end())
            {
                replaced = handle;
            }
            else
            {
                replaced = it->second.handle;
                it->second.handle = handle;
                if (streamCreated == 0)
                    streamCreated = created;
                it->second.live = true;
                if (!it->second.started)
                {
                    it->second.started = true;
                    it->second.lastSequence = std::max(it->second.lastSequence, from);
                }
            }
        }
        if (replaced)
        {
            natsSubscription_Unsubscribe(replaced);
            natsSubscription_Destroy(replaced);
        }
        return true;
    }

    // The keeper: closes requests whose time is up, delivers the library's own closings, and
    // brings subscriptions back after the connection was made again.
    void Keep()
    {
        std::unique_lock<std::mutex> guard(lock);
        while (!stopping)
        {
            Clock::time_point next = Clock::now() + kRetryInterval;
            for (const auto& [id, request] : pending)
                next = std::min(next, request.deadline);
            wake.wait_until(guard, next);
            if (stopping)
                return;

            std::vector<std::uint64_t> waiting;
            for (const auto& [id, subscription] : subscriptions)
            {
                if (!subscription.live)
                    waiting.push_back(id);
            }
            const bool checkStream = streamCheckDue;
            guard.unlock();
            CloseExpired();
            if (checkStream)
                CheckStream();
            for (const std::uint64_t id : waiting)
                Start(id);
            guard.lock();
        }
    }

    void CloseExpired()
    {
        std::lock_guard<std::mutex> delivering(deliveryLock);
        std::deque<LibraryClosing> closings;
        {
            std::lock_guard<std::mutex> guard(lock);
            closings.swap(queuedClosings);
            const Clock::time_point now = Clock::now();
            for (auto it = pending.begin(); it != pending.end();)
            {
                if (it->second.deadline > now)
                {
                    ++it;
                    continue;
                }
                closings.push_back(LibraryClosing{std::move(it->second.onReply), it->second.function,
                                                  kStatusTimedOut, "the server did not answer in time"});
                it = pending.erase(it);
            }
        }
        for (const LibraryClosing& closing : closings)
            CloseByLibrary(closing.onReply, closing.function, closing.status, closing.text);
    }

    void QueueClosing(LibraryClosing closing)
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            queuedClosings.push_back(std::move(closing));
        }
        wake.notify_all();
    }

    BusOptions options;
    std::unique_ptr<detail::NatsBus> bus;
    std::string inbox;
    void* inboxClosure = nullptr;
    natsSubscription* inboxSubscription = nullptr;

    // Deliveries one at a time, whoever makes them (the library's threads, the keeper).
    std::mutex deliveryLock;
    mutable std::mutex lock;
    std::condition_variable wake;
    bool stopping = false;
    std::map<std::uint64_t, PendingRequest> pending;
    std::deque<LibraryClosing> queuedClosings;
    std::uint64_t lastRequest = 0;
    std::map<std::uint64_t, Subscription> subscriptions;
    std::uint64_t lastSubscription = 0;
    // Connections made so far, and the one on which the stream was last found to be the one
    // the subscriptions read (made at streamCreated).
    std::uint64_t connections = 0;
    std::uint64_t confirmedConnection = 0;
    bool streamCheckDue = false;
    std::int64_t streamCreated = 0;
    // Consumers of a stream that is gone: unsubscribed, destroyed with the transport.
    std::vector<natsSubscription*> retired;
    std::thread keeper;
};

NatsTransport::NatsTransport(const BusOptions& options) : m_impl(std::make_shared<Impl>(options))
{
    m_impl->Start();
}

NatsTransport::~NatsTransport()
{
    m_impl->Shutdown();
}

const BusOptions& NatsTransport::Options() const
{
    return m_impl->options;
}

bool NatsTransport::Connected() const
{
    return m_impl->bus->Connected();
}

bool NatsTransport::SubscriptionsLive() const
{
    if (!m_impl->bus->Connected())
        return false;
    std::lock_guard<std::mutex> guard(m_impl->lock);
    return std::all_of(m_impl->subscriptions.begin(), m_impl->subscriptions.end(),
                       [](const auto& entry) { return entry.second.live; });
}

bool NatsTransport::SendRequest(Envelope request, Delivery onReply, int* err)
{
    if (!onReply)
        return Fail(err, OTP_ERR_NULL_ARGUMENT);
    Impl& impl = *m_impl;
    std::string function = FunctionOf(request.body);
    if (!impl.bus->Connected())
    {
        impl.QueueClosing(
            Impl::LibraryClosing{std::move(onReply), std::move(function), kStatusNoServer,
                                 "the message bus at " + impl.options.url + " is not reachable"});
        if (err)
            *err = OTP_OK;
        return true;
    }
    std::uint64_t id = 0;
    {
        std::lock_guard<std::mutex> guard(impl.lock);
        id = ++impl.lastRequest;
        impl.pending.emplace(
            id, Impl::PendingRequest{onReply, function, Clock::now() + impl.options.requestTimeLimit});
    }
    impl.wake.notify_all();
    const std::vector<std::uint8_t> bytes = request.ToBytes();
    const std::string reply = impl.inbox + "." + std::to_string(id);
    const natsStatus status =
        natsConnection_PublishRequest(impl.bus->Connection(), impl.bus->Subjects().Requests().c_str(),
                                      reply.c_str(), bytes.data(), static_cast<int>(bytes.size()));
    if (status != NATS_OK)
    {
        bool stillPending = false;
        {
            std::lock_guard<std::mutex> guard(impl.lock);
            stillPending = impl.pending.erase(id) == 1;
        }
        if (stillPending)
            impl.QueueClosing(Impl::LibraryClosing{std::move(onReply), std::move(function), kStatusNoServer,
                                                   "the message bus did not take the request: " +
                                                       detail::NatsBus::StatusText(status)});
    }
    if (err)
        *err = OTP_OK;
    return true;
}

bool NatsTransport::Subscribe(const SubscriptionFilter& filter, Delivery onMessage, std::uint64_t* id,
                              int* err)
{
    if (!onMessage)
        return Fail(err, OTP_ERR_NULL_ARGUMENT);
    Impl& impl = *m_impl;
    std::uint64_t created = 0;
    {
        std::lock_guard<std::mutex> guard(impl.lock);
        created = ++impl.lastSubscription;
        Impl::Subscription subscription;
        subscription.filter = filter;
        subscription.exact = BusSubjects::SubjectSaysAll(filter);
        subscription.subject = impl.bus->Subjects().FilterSubject(filter);
        subscription.deliver = std::move(onMessage);
        subscription.ref = std::make_shared<Impl::SubscriptionRef>(Impl::SubscriptionRef{m_impl, created});
        subscription.closure = detail::CallbackRegistry<Impl::SubscriptionRef>::Register(subscription.ref);
        impl.subscriptions.emplace(created, std::move(subscription));
    }
    // Started now when the bus is there, so that whatever is published after the return
    // arrives; otherwise the keeper starts it when the bus comes.
    impl.Start(created);
    if (id)
        *id = created;
    if (err)
        *err = OTP_OK;
    return true;
}

bool NatsTransport::Unsubscribe(std::uint64_t id, int* err)
{
    Impl& impl = *m_impl;
    Impl::Subscription gone;
    {
        std::lock_guard<std::mutex> guard(impl.lock);
        const auto it = impl.subscriptions.find(id);
        if (it == impl.subscriptions.end())
            return Fail(err, OTP_ERR_BAD_ARGUMENT);
        gone = std::move(it->second);
        impl.subscriptions.erase(it);
    }
    Impl::Drop(gone);
    if (err)
        *err = OTP_OK;
    return true;
}

} // namespace connect
