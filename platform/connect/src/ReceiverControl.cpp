#include "ReceiverControl.h"

#include "UiDelivery.h"
#include "connect/MessageHandle.h"
#include "connect/ReceivedMessage.h"

#include <climits>
#include <string>

namespace connect
{

namespace
{

void* HandleOf(std::uint64_t number)
{
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(number));
}

int Fail(int* err, int code)
{
    if (err)
        *err = code;
    return 0;
}

// A delivery that breaks the wire format is dropped, and the receiver is told rather than
// handed a message it cannot read.
std::unique_ptr<ReceivedMessage> Receive(CDarvRxNotifierBase* receiver, std::vector<std::uint8_t> wire)
{
    wire::Error error = wire::Error::None;
    std::unique_ptr<ReceivedMessage> message = ReceivedMessage::FromWire(std::move(wire), &error);
    if (!message && receiver)
        receiver->OnStatus(DARV_STATUS_MESSAGE_REJECTED, wire::ErrorText(error));
    return message;
}

} // namespace

ReceiverControl::ReceiverControl(Transport& transport, CDarvRxNotifierBase* receiver,
                                 ControlFactory::PublishedHandler onPublished, const Session& session,
                                 const ControlFactory::ClosingObserver& closingObserver)
    : m_transport(transport), m_session(session), m_target(std::make_shared<Target>())
{
    m_target->control = this;
    m_target->receiver = receiver;
    m_target->onPublished = std::move(onPublished);
    m_target->closingObserver = &closingObserver;
}

ReceiverControl::~ReceiverControl()
{
    Unsubscribe(0);
}

void ReceiverControl::DeliverReply(Target& target, std::uint64_t request, std::vector<std::uint8_t> wire)
{
    const std::unique_ptr<ReceivedMessage> message = Receive(target.receiver, std::move(wire));
    if (!message)
        return;
    if (*target.closingObserver && otp_get_field(message->Handle(), kClosingField, nullptr, nullptr))
    {
        if (const std::optional<Message> closing = ToMessage(message->Handle()))
            (*target.closingObserver)(*closing);
    }
    target.receiver->OnMessage(target.control, message->Handle(), HandleOf(request));
}

void ReceiverControl::DeliverPublished(Target& target, std::uint64_t subscription,
                                       std::vector<std::uint8_t> wire)
{
    if (!target.subscriptions.contains(subscription))
        return;
    const std::unique_ptr<ReceivedMessage> message = Receive(target.receiver, std::move(wire));
    if (!message)
        return;
    if (target.onPublished)
        target.onPublished(message->Handle());
    else
        target.receiver->OnMessage(target.control, message->Handle(), HandleOf(subscription));
}

int ReceiverControl::Send(void** outHandle, MnmHndl message, int /*zero*/, int* err)
{
    Envelope envelope;
    if (!CopyWire(message, envelope.body, err))
        return 0;
    envelope.messageId = NewMessageId();
    envelope.session = m_session;
    const std::uint64_t request = m_lastRequest + 1;
    const auto deliver = [request](Target& target, std::vector<std::uint8_t> bytes)
    { DeliverReply(target, request, std::move(bytes)); };
    if (!m_transport.SendRequest(std::move(envelope), detail::PostToUi(m_target, deliver), err))
        return 0;
    m_lastRequest = request;
    if (outHandle)
        *outHandle = HandleOf(request);
    return 1;
}

int ReceiverControl::Subscribe(void** outHandle, const int* fieldIds, const std::vector<std::string>& values,
                               int count, CDarvRxControl* control, bool /*flag1*/, int /*option*/,
                               bool /*flag2*/, int* err)
{
    if (control && control != this)
        return Fail(err, OTP_ERR_BAD_ARGUMENT);
    if (count < 0 || values.size() != static_cast<std::size_t>(count))
        return Fail(err, OTP_ERR_BAD_ARGUMENT);
    if (count > 0 && !fieldIds)
        return Fail(err, OTP_ERR_NULL_ARGUMENT);
    // Handles are numbers that Unsubscribe takes as an int.
    if (m_lastSubscription == static_cast<std::uint64_t>(INT_MAX))
        return Fail(err, OTP_ERR_BAD_ARGUMENT);

    SubscriptionFilter filter;
    for (int i = 0; i < count; ++i)
        filter.Require(fieldIds[i], values[static_cast<std::size_t>(i)]);
    const std::uint64_t subscription = m_lastSubscription + 1;
    const auto deliver = [subscription](Target& target, std::vector<std::uint8_t> bytes)
    { DeliverPublished(target, subscription, std::move(bytes)); };
    std::uint64_t transportId = 0;
    if (!m_transport.Subscribe(filter, detail::PostToUi(m_target, deliver), &transportId, err))
        return 0;
    m_lastSubscription = subscription;
    m_target->subscriptions.emplace(subscription, transportId);
    if (outHandle)
        *outHandle = HandleOf(subscription);
    return 1;
}

int ReceiverControl::Unsubscribe(int which)
{
    auto& subscriptions = m_target->subscriptions;
    if (which != 0)
    {
        const auto it = subscriptions.find(static_cast<std::uint64_t>(which));
        if (which < 0 || it == subscriptions.end())
            return 0;
        const std::uint64_t transportId = it->second;
        subscriptions.erase(it);
        return m_transport.Unsubscribe(transportId, nullptr) ? 1 : 0;
    }
    bool dropped = true;
    for (const auto& [handle, transportId] : subscriptions)
        dropped = m_transport.Unsubscribe(transportId, nullptr) && dropped;
    subscriptions.clear();
    return dropped ? 1 : 0;
}

} // namespace connect
