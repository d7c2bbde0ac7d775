#include "connect/ReceivedMessage.h"

#include "Handles.h"

#include <stdexcept>

namespace connect
{

ReceivedMessage::ReceivedMessage(const Message& message)
    : m_handle(detail::RegisterReceived(message.ToWire(), nullptr))
{
    // A message of the model always encodes to well-formed bytes unless it is beyond the
    // format's size limit, which no caller can read either.
    if (!m_handle)
        throw std::length_error("message too large for the wire format");
}

std::unique_ptr<ReceivedMessage> ReceivedMessage::FromWire(std::vector<std::uint8_t> wire, wire::Error* error)
{
    const MnmHndl handle = detail::RegisterReceived(std::move(wire), error);
    if (!handle)
        return nullptr;
    return std::unique_ptr<ReceivedMessage>(new ReceivedMessage(handle));
}

ReceivedMessage::~ReceivedMessage()
{
    detail::ReleaseReceived(m_handle);
}

} // namespace connect
