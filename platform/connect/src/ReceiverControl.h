// The control the host hands out: bound to one receiver and one transport.
#pragma once

#include "connect/ControlFactory.h"
#include "connect/DarvRxControl.h"
#include "connect/DarvRxNotifierBase.h"
#include "connect/Transport.h"

#include <cstdint>
#include <map>
#include <memory>
#include <vector>

namespace connect
{

class ReceiverControl final : public CDarvRxControl
{
public:
    // 'session' and 'closingObserver' belong to the factory, which outlives its controls.
    ReceiverControl(Transport& transport, CDarvRxNotifierBase* receiver,
                    ControlFactory::PublishedHandler onPublished, const Session& session,
                    const ControlFactory::ClosingObserver& closingObserver);
    // Drops the subscriptions; queued deliveries find the control gone.
    ~ReceiverControl();
    ReceiverControl(const ReceiverControl&) = delete;
    ReceiverControl& operator=(const ReceiverControl&) = delete;

    int Send(void** outHandle, MnmHndl message, int zero, int* err) override;
    int Subscribe(void** outHandle, const int* fieldIds, const std::vector<std::string>& values, int count,
                  CDarvRxControl* control, bool flag1, int option, bool flag2, int* err) override;
    int Unsubscribe(int which) override;

    bool HasSubscriptions() const { return !m_target->subscriptions.empty(); }

private:
    // What deliveries need of the control. Only the control holds it strongly; deliveries hold it
    // for the length of one call.
    struct Target
    {
        CDarvRxControl* control = nullptr;
        CDarvRxNotifierBase* receiver = nullptr;
        ControlFactory::PublishedHandler onPublished;
        const ControlFactory::ClosingObserver* closingObserver = nullptr;
        // Subscription handle given out -> the transport's id. A published message is delivered
        // only while its subscription is here.
        std::map<std::uint64_t, std::uint64_t> subscriptions;
    };

    static void DeliverReply(Target& target, std::uint64_t request, std::vector<std::uint8_t> wire);
    static void DeliverPublished(Target& target, std::uint64_t subscription, std::vector<std::uint8_t> wire);

    Transport& m_transport;
    const Session& m_session;
    std::shared_ptr<Target> m_target;
    std::uint64_t m_lastRequest = 0;
    std::uint64_t m_lastSubscription = 0;
};

} // namespace connect
