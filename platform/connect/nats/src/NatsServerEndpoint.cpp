#include "connect/NatsServerEndpoint.h"

#include "CallbackRegistry.h"
#include "NatsBus.h"
#include "connect/BusSubjects.h"
#include "connect/RequestBatch.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace connect
{

struct NatsServerEndpoint::Impl : std::enable_shared_from_this<Impl>
{
    struct Arrived
    {
        std::vector<std::uint8_t> bytes;
        std::string replyTo;
        std::string sender;
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
            const std::optional<std::string> sender = self->bus->Subjects().SenderOf(natsMsg_GetSubject(message));
            const std::string inbox = sender ? self->bus->Subjects().InboxOf(*sender) + "." : std::string();
            const bool answerable = sender && reply && std::string_view(reply).substr(0, inbox.size()) == inbox;
            if (!answerable)
            {
                natsMsg_Destroy(message);
                return;
            }
            Arrived arrived{std::vector<std::uint8_t>(data, data + natsMsg_GetDataLength(message)), reply,
                            *sender};
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
                ready.wait(guard, [this] { return stopping || !queue.empty(); });
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
            for (Arrived& arrived : taken)
            {
                IncomingRequest request;
                // An envelope that cannot be read leaves an empty body, which the batch closes
                // as a malformed request.
                if (std::optional<Envelope> envelope = Envelope::FromBytes(arrived.bytes))
                    request.envelope = std::move(*envelope);
                request.authenticatedUser = std::move(arrived.sender);
                request.sink = [this, replyTo = std::move(arrived.replyTo)](const Message& reply)
                {
                    const std::vector<std::uint8_t> bytes = reply.ToWire();
                    natsConnection_Publish(bus->Connection(), replyTo.c_str(), bytes.data(),
                                           static_cast<int>(bytes.size()));
                };
                requests.push_back(std::move(request));
            }
            ServeRequests(handler, requests);
        }
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
    }

    BusOptions options;
    std::unique_ptr<detail::NatsBus> bus;
    std::atomic<bool> streamKnown{false};

    std::mutex lock;
    std::condition_variable ready;
    std::deque<Arrived> queue;
    bool stopping = false;
    RequestHandler* handler = nullptr;
    natsSubscription* subscription = nullptr;
    void* closure = nullptr;
    std::thread worker;
};

NatsServerEndpoint::NatsServerEndpoint(const BusOptions& options) : m_impl(std::make_shared<Impl>(options)) {}

NatsServerEndpoint::~NatsServerEndpoint()
{
    Stop();
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
    Impl& impl = *m_impl;
    if (!impl.bus->Connected())
        return false;
    if (!impl.streamKnown)
    {
        if (!impl.bus->EnsureStream())
            return false;
        impl.streamKnown = true;
    }
    const std::vector<std::uint8_t> bytes = message.ToWire();
    const std::string subject = impl.bus->Subjects().PublishedSubject(message);
    const std::string id = BusSubjects::PublicationId(bytes);
    jsPubOptions settings;
    jsPubOptions_Init(&settings);
    settings.MsgId = id.c_str();
    settings.MaxWait = impl.options.publishTimeLimit.count();
    jsPubAck* ack = nullptr;
    jsErrCode code = static_cast<jsErrCode>(0);
    const natsStatus status = js_Publish(&ack, impl.bus->JetStream(), subject.c_str(), bytes.data(),
                                         static_cast<int>(bytes.size()), &settings, &code);
    jsPubAck_Destroy(ack);
    if (status == NATS_NO_RESPONDERS)
        impl.streamKnown = false;
    return status == NATS_OK;
}

} // namespace connect
