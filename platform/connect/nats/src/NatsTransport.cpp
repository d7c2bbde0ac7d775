#include "connect/NatsTransport.h"

#include "CallbackRegistry.h"
#include "NatsBus.h"
#include "connect/BusSubjects.h"
#include "connect/ConnectKivo.h"
#include "connect/ReplyStream.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>

namespace connect
{

namespace
{

using Clock = std::chrono::steady_clock;
// How often the keeper looks again at subscriptions that wait for the bus.
constexpr auto kRetryInterval = std::chrono::milliseconds(250);
// A consumer says it is alive this often when it has nothing to send; one silent for three
// times as long is gone (the bus lost it), and its subscription is started again.
constexpr std::int64_t kHeartbeatNanos = 1000000000LL;
constexpr auto kSilenceLimit = std::chrono::milliseconds(3 * kHeartbeatNanos / 1000000);
// How long the bus keeps a consumer nobody reads any more (the terminal went, or replaced it).
constexpr std::int64_t kConsumerLingerNanos = 30LL * 1000000000LL;

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

// A token no other transport draws: this transport's inbox and the names of its consumers.
std::string RandomToken()
{
    std::random_device device;
    const std::uint64_t value = (static_cast<std::uint64_t>(device()) << 32) ^ device();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

std::uint64_t HeaderNumber(natsMsg* message, const char* name)
{
    const char* value = nullptr;
    if (natsMsgHeader_Get(message, name, &value) != NATS_OK || !value)
        return 0;
    return std::strtoull(value, nullptr, 10);
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
    // What a consumer's deliveries find through their closure: the subscription and which of
    // its consumers (a consumer replaced since may still deliver; that is ignored).
    struct ConsumerRef
    {
        std::weak_ptr<Impl> impl;
        std::uint64_t id = 0;
        std::uint64_t generation = 0;
    };
    // A subscription reads the stream through a consumer of its own that the bus pushes the
    // filter's messages from, in order, to a subject under the user's inbox. Whenever that
    // consumer may have missed something (the connection was made again, a message did not
    // come, the consumer fell silent) it is replaced by a new one that starts after the last
    // message delivered.
    struct Subscription
    {
        SubscriptionFilter filter;
        bool exact = false; // the subject pattern says the whole filter
        std::string subject;
        Delivery deliver;
        bool started = false; // lastSequence is known
        std::uint64_t lastSequence = 0;
        // The consumer feeding it; 0 while there is none (deliveries of any other are dropped).
        std::uint64_t generation = 0;
        bool live = false;
        natsSubscription* handle = nullptr;
        void* closure = nullptr;
        std::shared_ptr<ConsumerRef> ref;   // what the closure finds
        std::uint64_t consumerSequence = 0; // the consumer's count of what it sent
        Clock::time_point lastHeard;
    };
    // What a replaced consumer leaves to be let go outside the lock.
    struct Leftover
    {
        natsSubscription* handle = nullptr;
        void* closure = nullptr;
    };

    explicit Impl(const BusOptions& options) : options(options)
    {
        if (options.user.empty())
            throw std::invalid_argument("a terminal on the message bus needs its user");
    }

    void Start()
    {
        const std::weak_ptr<Impl> weak = weak_from_this();
        bus = std::make_unique<detail::NatsBus>(
            options,
            [weak]
            {
                if (const auto self = weak.lock())
                    self->OnConnected();
            },
            [weak](const std::string& text)
            {
                if (const auto self = weak.lock())
                    self->OnRefused(text);
            },
            [weak]
            {
                if (const auto self = weak.lock())
                    self->OnDisconnected();
            });
        consumerPrefix = RandomToken();
        inbox = bus->Subjects().InboxOf(options.user) + "." + consumerPrefix;
        requestSubject = bus->Subjects().RequestsFrom(options.user);
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
            LetGo(Leftover{subscription.handle, subscription.closure});
        natsSubscription_Destroy(inboxSubscription);
        bus.reset();
    }

    static void LetGo(const Leftover& leftover)
    {
        detail::CallbackRegistry<ConsumerRef>::Forget(leftover.closure);
        if (leftover.handle)
        {
            natsSubscription_Unsubscribe(leftover.handle);
            natsSubscription_Destroy(leftover.handle);
        }
    }

    // Called with the lock held: the subscription's consumer is given up, and whatever it
    // still delivers is dropped. The keeper starts a new one.
    static Leftover Retire(Subscription& subscription)
    {
        Leftover leftover{subscription.handle, subscription.closure};
        subscription.handle = nullptr;
        subscription.closure = nullptr;
        subscription.ref.reset();
        subscription.generation = 0;
        subscription.live = false;
        return leftover;
    }

    void OnConnected()
    {
        // Made again: the consumers may have gone with the bus (or may carry on from where the
        // bus was); every subscription gets a new one that starts after the last message it
        // delivered, in a stream Start checks first (a bus that lost its storage has a new
        // one, numbered from 1 again).
        std::lock_guard<std::mutex> guard(lock);
        for (auto& [id, subscription] : subscriptions)
            Restart(subscription);
    }

    // The connection is lost: the requests in flight will get no reply on it, and are closed now
    // rather than when their time is up. Their fate at the server is unknown: a decision sent
    // again with its id is applied once.
    void OnDisconnected()
    {
        {
            std::lock_guard<std::mutex> guard(lock);
            for (auto& [id, request] : pending)
                queuedClosings.push_back(LibraryClosing{
                    std::move(request.onReply), request.function, kStatusNoServer,
                    "the connection to the message bus was lost before the server answered; the request "
                    "may or may not have reached it"});
            pending.clear();
        }
        wake.notify_all();
    }

    // The bus refused something this connection did. A request that may not go out (a secured
    // bus lets a user send only from his own subject) is closed at once with the bus's words
    // instead of when its time is up.
    void OnRefused(const std::string& text)
    {
        if (text.find("\"" + requestSubject + "\"") == std::string::npos)
            return;
        std::vector<LibraryClosing> closings;
        {
            std::lock_guard<std::mutex> guard(lock);
            for (auto& [id, request] : pending)
                closings.push_back(LibraryClosing{std::move(request.onReply), request.function,
                                                  kStatusNoServer,
                                                  "the message bus refused the request: " + text});
            pending.clear();
            for (LibraryClosing& closing : closings)
                queuedClosings.push_back(std::move(closing));
        }
        wake.notify_all();
    }

    // Replies come to the inbox, each request on its own subject under it.
    static void OnReply(natsConnection*, natsSubscription*, natsMsg* message, void* closure)
    {
        if (const std::shared_ptr<Impl> self = detail::CallbackRegistry<Impl>::Find(closure))
            self->Reply(message);
        natsMsg_Destroy(message);
    }

    // A bus message may carry several replies one after another (the request asked for them
    // so): each is handed over on its own, in order.
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
        if (natsMsg_IsNoResponders(message))
        {
            if (std::optional<PendingRequest> request = TakePending(id, true))
                CloseByLibrary(request->onReply, request->function, kStatusNoServer,
                               "no server is answering requests");
            return;
        }
        std::size_t at = 0;
        do
        {
            // A reply's length is its first word and the four bytes of the word itself; what does
            // not add up goes to the requester whole, who finds it malformed.
            std::size_t length = size - at;
            if (length >= 4)
            {
                const std::size_t stated = 4 + std::size_t{wire::ReadWord(data + at)};
                if (stated <= length)
                    length = stated;
            }
            const std::uint8_t* reply = data + at;
            at += length;
            const std::optional<PendingRequest> request = TakePending(id, IsClosing(reply, length));
            if (!request)
                return; // closed already (timed out); a late reply has nowhere to go
            request->onReply(std::vector<std::uint8_t>(reply, reply + length));
        } while (at < size);
    }

    // The request a reply is for; forgotten when the reply closes it. Nothing once it is closed.
    std::optional<PendingRequest> TakePending(std::uint64_t id, bool closing)
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto it = pending.find(id);
        if (it == pending.end())
            return std::nullopt;
        if (!closing)
            return it->second;
        PendingRequest request = std::move(it->second);
        pending.erase(it);
        return request;
    }

    static void CloseByLibrary(const Delivery& onReply, const std::string& function, int status,
                               const std::string& text)
    {
        ReplyStream(function, [&onReply](const Message& reply) { onReply(reply.ToWire()); })
            .Close(status, text);
    }

    static void OnPublished(natsConnection* connection, natsSubscription*, natsMsg* message, void* closure)
    {
        if (const std::shared_ptr<ConsumerRef> ref = detail::CallbackRegistry<ConsumerRef>::Find(closure))
        {
            if (const std::shared_ptr<Impl> self = ref->impl.lock())
                self->Published(connection, *ref, message);
        }
        natsMsg_Destroy(message);
    }

    void Published(natsConnection* connection, const ConsumerRef& from, natsMsg* message)
    {
        const char* status = nullptr;
        if (natsMsgHeader_Get(message, "Status", &status) == NATS_OK && status)
        {
            // The consumer's own signals: a heartbeat (with the count of what it sent, so that
            // a lost message shows), or a flow-control request that wants an empty answer (a
            // heartbeat says where, when the consumer waits for one).
            if (const char* reply = natsMsg_GetReply(message); reply && *reply)
                natsConnection_Publish(connection, reply, nullptr, 0);
            const char* stalled = nullptr;
            if (natsMsgHeader_Get(message, "Nats-Consumer-Stalled", &stalled) == NATS_OK && stalled &&
                *stalled)
                natsConnection_Publish(connection, stalled, nullptr, 0);
            const std::uint64_t sent = HeaderNumber(message, "Nats-Last-Consumer");
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(from.id);
            if (it == subscriptions.end() || it->second.generation != from.generation)
                return;
            it->second.lastHeard = Clock::now();
            if (sent > it->second.consumerSequence)
                Restart(it->second);
            return;
        }
        jsMsgMetaData* meta = nullptr;
        if (natsMsg_GetMetaData(&meta, message) != NATS_OK)
            return;
        const std::uint64_t sequence = meta->Sequence.Stream;
        const std::uint64_t counted = meta->Sequence.Consumer;
        jsMsgMetaData_Destroy(meta);
        const auto* data = reinterpret_cast<const std::uint8_t*>(natsMsg_GetData(message));
        std::vector<std::uint8_t> bytes(data, data + natsMsg_GetDataLength(message));

        std::lock_guard<std::mutex> delivering(deliveryLock);
        Delivery deliver;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(from.id);
            if (it == subscriptions.end() || it->second.generation != from.generation)
                return;
            Subscription& subscription = it->second;
            subscription.lastHeard = Clock::now();
            // The consumer counts what it sends: a gap is a message this side lost (the library
            // drops what a slow reader leaves too long). A new consumer takes over from the last
            // message delivered.
            if (counted != subscription.consumerSequence + 1)
            {
                Restart(subscription);
                return;
            }
            subscription.consumerSequence = counted;
            if (sequence <= subscription.lastSequence)
                return;
            subscription.lastSequence = sequence;
            if (!subscription.exact)
            {
                const std::optional<Message> parsed = Message::FromWire(bytes);
                if (parsed && !subscription.filter.Matches(*parsed))
                    return;
            }
            deliver = subscription.deliver;
        }
        deliver(std::move(bytes));
    }

    // Called with the lock held: the subscription's consumer is replaced at the keeper's next
    // round. Its handle stays until then (the library may be delivering through it now).
    void Restart(Subscription& subscription)
    {
        subscription.generation = 0;
        subscription.live = false;
        wake.notify_all();
    }

    // Gives the subscription a new consumer that starts after the last message it delivered
    // (or, the first time, with what is published after now). Runs outside the lock: it asks
    // the bus and waits for its answers.
    bool Start(std::uint64_t id)
    {
        if (!bus->Connected())
            return false;
        std::uint64_t last = 0;
        std::int64_t created = 0;
        bool missing = false;
        // A terminal does not make the stream (the server does); it waits until there is one.
        if (!bus->StreamState(last, created, nullptr, &missing))
        {
            // Nothing was published yet: once the stream is there, everything in it is new.
            if (missing)
            {
                std::lock_guard<std::mutex> guard(lock);
                const auto it = subscriptions.find(id);
                if (it != subscriptions.end() && !it->second.started)
                {
                    it->second.started = true;
                    it->second.lastSequence = 0;
                }
            }
            return false;
        }

        std::string subject;
        std::uint64_t from = 0;
        std::uint64_t generation = 0;
        std::vector<Leftover> leftovers;
        {
            std::lock_guard<std::mutex> guard(lock);
            if (streamCreated != 0 && created != streamCreated)
            {
                // A bus that lost its storage: what it holds now is all new, from its first
                // message, for every subscription.
                for (auto& [other, subscription] : subscriptions)
                {
                    leftovers.push_back(Retire(subscription));
                    subscription.started = true;
                    subscription.lastSequence = 0;
                }
            }
            streamCreated = created;
            const auto it = subscriptions.find(id);
            if (it == subscriptions.end())
                return false;
            Subscription& subscription = it->second;
            leftovers.push_back(Retire(subscription));
            if (!subscription.started)
            {
                subscription.started = true;
                subscription.lastSequence = std::max(subscription.lastSequence, last);
            }
            generation = ++lastGeneration;
            subscription.generation = generation;
            subscription.consumerSequence = 0;
            subscription.lastHeard = Clock::now();
            subject = subscription.subject;
            from = subscription.lastSequence;
        }
        for (const Leftover& leftover : leftovers)
            LetGo(leftover);

        const std::string tag = std::to_string(generation);
        const std::string deliverTo = inbox + ".p." + tag;
        const std::string name = consumerPrefix + "-" + tag;
        auto ref = std::make_shared<ConsumerRef>(ConsumerRef{weak_from_this(), id, generation});
        void* closure = detail::CallbackRegistry<ConsumerRef>::Register(ref);
        natsSubscription* handle = nullptr;
        if (natsConnection_Subscribe(&handle, bus->Connection(), deliverTo.c_str(), &Impl::OnPublished,
                                     closure) != NATS_OK)
        {
            LetGo(Leftover{handle, closure});
            return false;
        }
        jsConsumerConfig config;
        jsConsumerConfig_Init(&config);
        config.Name = name.c_str();
        config.FilterSubject = subject.c_str();
        config.DeliverSubject = deliverTo.c_str();
        config.DeliverPolicy = js_DeliverByStartSequence;
        config.OptStartSeq = from + 1;
        config.AckPolicy = js_AckNone;
        config.FlowControl = true;
        config.Heartbeat = kHeartbeatNanos;
        config.InactiveThreshold = kConsumerLingerNanos;
        config.MemoryStorage = true;
        jsConsumerInfo* info = nullptr;
        jsErrCode code = static_cast<jsErrCode>(0);
        const std::string stream = bus->Subjects().Stream();
        const natsStatus status =
            js_AddConsumer(&info, bus->JetStream(), stream.c_str(), &config, nullptr, &code);
        jsConsumerInfo_Destroy(info);
        bool kept = false;
        {
            std::lock_guard<std::mutex> guard(lock);
            const auto it = subscriptions.find(id);
            if (status == NATS_OK && it != subscriptions.end() && it->second.generation == generation)
            {
                it->second.handle = handle;
                it->second.closure = closure;
                it->second.ref = ref;
                it->second.live = true;
                it->second.lastHeard = Clock::now();
                kept = true;
            }
            else if (it != subscriptions.end() && it->second.generation == generation)
            {
                it->second.generation = 0;
            }
        }
        if (!kept)
            LetGo(Leftover{handle, closure});
        return kept;
    }

    // The keeper: closes requests whose time is up, delivers the library's own closings, gives
    // subscriptions whose consumer is gone or silent a new one.
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

            const bool connected = bus->Connected();
            const Clock::time_point now = Clock::now();
            std::vector<std::uint64_t> waiting;
            for (auto& [id, subscription] : subscriptions)
            {
                if (subscription.live && connected && now - subscription.lastHeard > kSilenceLimit)
                    Restart(subscription);
                if (!subscription.live && subscription.generation == 0)
                    waiting.push_back(id);
            }
            guard.unlock();
            CloseExpired();
            if (connected)
            {
                for (const std::uint64_t id : waiting)
                    Start(id);
            }
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
    std::string consumerPrefix;
    std::string inbox;
    std::string requestSubject;
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
    std::uint64_t lastGeneration = 0;
    // When the stream the subscriptions read was made (0 until first seen): a stream made at
    // another time is a new one, numbered from 1 again.
    std::int64_t streamCreated = 0;
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

std::string NatsTransport::LastError() const
{
    return m_impl->bus->LastError();
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
        std::string why = "the message bus at " + impl.options.url + " is not reachable";
        if (const std::string error = impl.bus->LastError(); !error.empty())
            why += " (" + error + ")";
        impl.QueueClosing(
            Impl::LibraryClosing{std::move(onReply), std::move(function), kStatusNoServer, why});
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
    natsMsg* message = nullptr;
    natsStatus status =
        natsMsg_Create(&message, impl.requestSubject.c_str(), reply.c_str(),
                       reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()));
    if (status == NATS_OK)
        status = natsMsgHeader_Set(message, kBatchedRepliesHeader, "1");
    if (status == NATS_OK)
        status = natsConnection_PublishMsg(impl.bus->Connection(), message);
    natsMsg_Destroy(message);
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
    Impl::Leftover gone;
    {
        std::lock_guard<std::mutex> guard(impl.lock);
        const auto it = impl.subscriptions.find(id);
        if (it == impl.subscriptions.end())
            return Fail(err, OTP_ERR_BAD_ARGUMENT);
        gone = Impl::Retire(it->second);
        impl.subscriptions.erase(it);
    }
    // The consumer on the bus goes by itself once nobody reads it.
    Impl::LetGo(gone);
    if (err)
        *err = OTP_OK;
    return true;
}

} // namespace connect
