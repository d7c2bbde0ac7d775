// How a server publishes: the message reaches every subscription whose filter matches.
#pragma once

#include "connect/Message.h"

namespace connect
{

class Publisher
{
public:
    virtual ~Publisher() = default;
    // Thread-safe. The message is copied; deliveries happen later, in publishing order.
    virtual void Publish(const Message& message) = 0;
};

} // namespace connect
