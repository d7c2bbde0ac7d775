// What a server implements to answer requests.
#pragma once

#include "connect/Message.h"
#include "connect/ReplyStream.h"

namespace connect
{

class RequestHandler
{
public:
    virtual ~RequestHandler() = default;
    // Called on the server's thread with each request, one at a time. Any number of replies,
    // then a closing one; a request left open on return is closed by the library
    // (kStatusNotClosed), and so is one whose handler throws (kStatusHandlerFailed).
    virtual void OnRequest(const Message& request, ReplyStream& replies) = 0;
};

} // namespace connect
