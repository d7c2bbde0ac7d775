// The host's side of the receiver controls: it makes controls bound to one transport, takes them
// back, and subscribes on its own behalf. Whatever arrives reaches receivers and handlers on the
// user-interface thread, through its queue, in the order the server sent it. Use on the
// user-interface thread only; the transport must outlive the factory.
#pragma once

#include "connect/DarvRxControl.h"
#include "connect/DarvRxNotifierBase.h"
#include "connect/Envelope.h"
#include "connect/Message.h"
#include "connect/SubscriptionFilter.h"
#include "connect/Transport.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace connect
{

class ReceiverControl;

class ControlFactory
{
public:
    // A published message, under a handle that lives until the call returns.
    using PublishedHandler = std::function<void(MnmHndl message)>;
    // The closing reply of a request sent through any control of this factory, on the
    // user-interface thread, just before the control's receiver gets it.
    using ClosingObserver = std::function<void(const Message& closingReply)>;

    explicit ControlFactory(Transport& transport);
    // Gives back every control still out and drops the host's subscriptions.
    ~ControlFactory();
    ControlFactory(const ControlFactory&) = delete;
    ControlFactory& operator=(const ControlFactory&) = delete;

    // A control whose replies and published matches go to 'receiver' (null: no control).
    CDarvRxControl* Create(CDarvRxNotifierBase* receiver);
    // A control whose replies go to 'receiver' and whose published matches go to 'onPublished',
    // so that the host can pass them to the plug-in's published-message entry point.
    CDarvRxControl* Create(CDarvRxNotifierBase* receiver, PublishedHandler onPublished);
    // True for a control of this factory that has not been given back.
    bool Owns(const void* control) const;
    // Drops the control's subscriptions; nothing more reaches its receiver, which its owner may
    // then delete. False for a pointer that is not a live control of this factory.
    bool GiveBack(CDarvRxControl* control);

    // The logged-in user that every request from now on is sent for (its envelope's session).
    void SetSession(Session session) { m_session = std::move(session); }
    const Session& GetSession() const { return m_session; }
    void SetClosingObserver(ClosingObserver observer) { m_closingObserver = std::move(observer); }
    // True while some control has a subscription of its own.
    bool AnyControlSubscribed() const;

    // A subscription of the host itself; 'id' (may be null) receives what Unsubscribe takes.
    bool Subscribe(const SubscriptionFilter& filter, PublishedHandler onPublished, std::uint64_t* id,
                   int* err = nullptr);
    bool Unsubscribe(std::uint64_t id);

private:
    struct HostSubscription;

    std::vector<std::unique_ptr<ReceiverControl>>::const_iterator Find(const void* control) const;

    Transport& m_transport;
    Session m_session;
    ClosingObserver m_closingObserver;
    std::vector<std::unique_ptr<ReceiverControl>> m_controls;
    std::map<std::uint64_t, std::shared_ptr<HostSubscription>> m_subscriptions;
    std::uint64_t m_lastSubscription = 0;
};

} // namespace connect
