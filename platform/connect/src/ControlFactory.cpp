#include "connect/ControlFactory.h"

#include "ReceiverControl.h"
#include "UiDelivery.h"
#include "connect/ReceivedMessage.h"

#include <algorithm>

namespace connect
{

struct ControlFactory::HostSubscription
{
    PublishedHandler onPublished;
    std::uint64_t transportId = 0;
};

ControlFactory::ControlFactory(Transport& transport) : m_transport(transport) {}

ControlFactory::~ControlFactory()
{
    for (const auto& [id, subscription] : m_subscriptions)
        m_transport.Unsubscribe(subscription->transportId, nullptr);
}

CDarvRxControl* ControlFactory::Create(CDarvRxNotifierBase* receiver)
{
    return Create(receiver, nullptr);
}

CDarvRxControl* ControlFactory::Create(CDarvRxNotifierBase* receiver, PublishedHandler onPublished)
{
    if (!receiver)
        return nullptr;
    m_controls.push_back(std::make_unique<ReceiverControl>(m_transport, receiver, std::move(onPublished),
                                                           m_session, m_closingObserver));
    return m_controls.back().get();
}

std::vector<std::unique_ptr<ReceiverControl>>::const_iterator ControlFactory::Find(const void* control) const
{
    // Compared as the interface the host handed out, which is what comes back.
    return std::find_if(
        m_controls.begin(), m_controls.end(),
        [control](const auto& owned)
        { return static_cast<const void*>(static_cast<const CDarvRxControl*>(owned.get())) == control; });
}

bool ControlFactory::AnyControlSubscribed() const
{
    return std::any_of(m_controls.begin(), m_controls.end(),
                       [](const auto& control) { return control->HasSubscriptions(); });
}

bool ControlFactory::Owns(const void* control) const
{
    return Find(control) != m_controls.end();
}

bool ControlFactory::GiveBack(CDarvRxControl* control)
{
    const auto it = Find(control);
    if (it == m_controls.end())
        return false;
    m_controls.erase(it);
    return true;
}

bool ControlFactory::Subscribe(const SubscriptionFilter& filter, PublishedHandler onPublished,
                               std::uint64_t* id, int* err)
{
    if (!onPublished)
    {
        if (err)
            *err = OTP_ERR_NULL_ARGUMENT;
        return false;
    }
    auto subscription = std::make_shared<HostSubscription>();
    subscription->onPublished = std::move(onPublished);
    const auto deliver = [](HostSubscription& target, std::vector<std::uint8_t> wire)
    {
        // A malformed message has no receiver to be told about here; it is dropped.
        if (const std::unique_ptr<ReceivedMessage> message = ReceivedMessage::FromWire(std::move(wire)))
            target.onPublished(message->Handle());
    };
    if (!m_transport.Subscribe(filter, detail::PostToUi(subscription, deliver), &subscription->transportId,
                               err))
        return false;
    const std::uint64_t created = ++m_lastSubscription;
    m_subscriptions.emplace(created, std::move(subscription));
    if (id)
        *id = created;
    return true;
}

bool ControlFactory::Unsubscribe(std::uint64_t id)
{
    const auto it = m_subscriptions.find(id);
    if (it == m_subscriptions.end())
        return false;
    const std::uint64_t transportId = it->second->transportId;
    m_subscriptions.erase(it);
    return m_transport.Unsubscribe(transportId, nullptr);
}

} // namespace connect
