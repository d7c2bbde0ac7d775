// How a server publishes: the message reaches every subscription whose filter matches.
#pragma once

#include "connect/Message.h"

namespace connect
{

class Publisher
{
public:
    virtual ~Publisher() = default;
    // Thread-safe. The message is copied; deliveries happen later, in publishing order. True once
    // the message is on its way for good (queued in process; stored by a bus that keeps what it
    // carries). False when it could not be handed over: the publisher keeps it and tries later.
    virtual bool Publish(const Message& message) = 0;
};

} // namespace connect
