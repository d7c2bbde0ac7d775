// Brings what a transport delivers, on whatever thread it delivers it, to the user-interface
// thread. The posted work holds only a weak reference to whoever should receive it, so that
// giving a control back, or dropping a subscription, stops deliveries already queued.
#pragma once

#include "connect/Transport.h"

#include "winlib/Runtime.h"

#include <memory>
#include <utility>
#include <vector>

namespace connect::detail
{

// 'deliver' runs on the user-interface thread as deliver(target, wire), for as long as the
// target lives.
template <typename Target, typename Deliver>
Transport::Delivery PostToUi(const std::shared_ptr<Target>& target, Deliver deliver)
{
    return [weak = std::weak_ptr<Target>(target), deliver](std::vector<std::uint8_t> wire)
    {
        winlib::PostToUiThread(
            [weak, deliver, wire = std::move(wire)]() mutable
            {
                if (const std::shared_ptr<Target> alive = weak.lock())
                    deliver(*alive, std::move(wire));
            });
    };
}

} // namespace connect::detail
