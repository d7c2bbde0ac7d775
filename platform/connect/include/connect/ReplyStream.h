// The server side of one request: how a request handler answers the control that sent it.
#pragma once

#include "connect/Envelope.h"
#include "connect/Message.h"

#include <functional>
#include <string>

namespace connect
{

// Closing statuses that the library itself gives when the server could not answer.
enum LibraryStatus
{
    kStatusNoServer = -1,         // no request handler is installed
    kStatusNotClosed = -2,        // the handler returned without a closing reply
    kStatusHandlerFailed = -3,    // the handler threw
    kStatusMalformedRequest = -4, // the request's bytes broke the wire format
    kStatusTimedOut = -5          // no closing reply came within the transport's time limit
};

class ReplyStream
{
public:
    using Sink = std::function<void(const Message& reply)>;

    ReplyStream(std::string functionName, Sink sink);
    // The same for a request that came in an envelope: its message id, the sender's session
    // (what his terminal says of him) and the user the transport authenticated, if any.
    ReplyStream(std::string functionName, Sink sink, std::string messageId, Session session,
                std::string authenticatedUser = {});

    // The function the request called (its field 0), given back in field 32767 of every reply.
    const std::string& FunctionName() const { return m_functionName; }
    // The request's message id; empty when the sender gave none.
    const std::string& MessageId() const { return m_messageId; }
    // Who sent the request, as his terminal says (not the message's own fields).
    const Session& Sender() const { return m_sender; }
    // Who sent the request, as the transport proved it (on the message bus: whose credentials
    // the connection was made with); empty when the transport authenticates nobody (in process,
    // where the terminal's own session is all there is).
    const std::string& AuthenticatedUser() const { return m_authenticatedUser; }

    // Sends one reply, with field 32767 added when it lacks it. A reply carrying field 32766 is
    // the closing reply. False, and nothing sent, once the stream is closed.
    bool Reply(Message reply);
    // Sends 'reply' as the closing reply with field 32766 = {code, text}: value 0 the status
    // code, the last value the status text. False when closed already or 'reply' has 32766.
    bool Close(int statusCode, const std::string& statusText, Message reply = {});
    bool Closed() const { return m_closed; }

private:
    std::string m_functionName;
    Sink m_sink;
    std::string m_messageId;
    Session m_sender;
    std::string m_authenticatedUser;
    bool m_closed = false;
};

} // namespace connect
