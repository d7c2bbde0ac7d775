#include "connect/ReplyStream.h"

#include <string>

namespace connect
{

ReplyStream::ReplyStream(std::string functionName, Sink sink)
    : m_functionName(std::move(functionName)), m_sink(std::move(sink))
{
}

ReplyStream::ReplyStream(std::string functionName, Sink sink, std::string messageId, Session session,
                         std::string authenticatedUser)
    : m_functionName(std::move(functionName)), m_sink(std::move(sink)), m_messageId(std::move(messageId)),
      m_sender(std::move(session)), m_authenticatedUser(std::move(authenticatedUser))
{
}

bool ReplyStream::Reply(Message reply)
{
    if (m_closed)
        return false;
    if (!reply.Has(kReplyFunctionField))
        reply.Add(kReplyFunctionField, m_functionName);
    m_closed = reply.Has(kClosingField);
    m_sink(reply);
    return true;
}

bool ReplyStream::Close(int statusCode, const std::string& statusText, Message reply)
{
    if (m_closed || reply.Has(kClosingField))
        return false;
    reply.AddValues(kClosingField, {std::to_string(statusCode), statusText});
    return Reply(std::move(reply));
}

} // namespace connect
