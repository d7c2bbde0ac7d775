// What a server implements to answer requests.
#pragma once

#include "connect/Message.h"
#include "connect/ReplyStream.h"

#include <span>

namespace connect
{

class RequestHandler
{
public:
    struct Request
    {
        const Message* message = nullptr;
        ReplyStream* replies = nullptr;
    };

    virtual ~RequestHandler() = default;
    // Called on the server's thread with each request, one at a time. Any number of replies,
    // then a closing one; a request left open on return is closed by the library
    // (kStatusNotClosed), and so is one whose handler throws (kStatusHandlerFailed).
    virtual void OnRequest(const Message& request, ReplyStream& replies) = 0;
    // Requests that were waiting together, in arrival order. A server that makes its work
    // durable can do that once for all of them before answering any (one transaction, one
    // sync). By default each goes to OnRequest alone, and one that throws is closed with
    // kStatusHandlerFailed without stopping the others.
    virtual void OnRequests(std::span<const Request> batch);
};

} // namespace connect
