// How a server side hands the requests that arrived together to a request handler, whatever
// carried them: malformed requests and those that find no handler are closed by the library,
// the others go to the handler as one batch, and every request ends with a closing reply.
#pragma once

#include "connect/Envelope.h"
#include "connect/ReplyStream.h"
#include "connect/RequestHandler.h"

#include <span>

namespace connect
{

struct IncomingRequest
{
    Envelope envelope;
    // Where this request's replies go, in order.
    ReplyStream::Sink sink;
    // Whom the transport authenticated as the sender; empty when it authenticates nobody.
    std::string authenticatedUser;
};

// Runs on the server's thread. 'handler' may be null (every request is closed with
// kStatusNoServer).
void ServeRequests(RequestHandler* handler, std::span<IncomingRequest> requests);

} // namespace connect
