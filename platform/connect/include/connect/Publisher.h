// How a server publishes: the message reaches every subscription whose filter matches.
#pragma once

#include "connect/Message.h"

#include <cstddef>
#include <span>

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
    // The messages in order: how many of them, from the first, are on their way for good. A
    // publisher that waits for each to be stored (a bus) may keep several waiting at once; the
    // messages about one request (their order matters to the terminals) still go one after the
    // other. By default one by one, stopping at the first that cannot be handed over.
    virtual std::size_t PublishAll(std::span<const Message> messages)
    {
        std::size_t published = 0;
        while (published < messages.size() && Publish(messages[published]))
            ++published;
        return published;
    }
};

} // namespace connect
