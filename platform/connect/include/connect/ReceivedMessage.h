// A received message under a real handle, as the library hands it to receivers and to the host:
// the handle reads like any other and lives exactly as long as this object.
#pragma once

#include "connect/ConnectKivo.h"
#include "connect/Message.h"
#include "connect/WireFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace connect
{

class ReceivedMessage
{
public:
    explicit ReceivedMessage(const Message& message);
    // Null when the bytes are malformed; 'error' says why.
    static std::unique_ptr<ReceivedMessage> FromWire(std::vector<std::uint8_t> wire,
                                                     wire::Error* error = nullptr);
    ~ReceivedMessage();
    ReceivedMessage(const ReceivedMessage&) = delete;
    ReceivedMessage& operator=(const ReceivedMessage&) = delete;

    MnmHndl Handle() const { return m_handle; }

private:
    explicit ReceivedMessage(MnmHndl handle) : m_handle(handle) {}

    MnmHndl m_handle;
};

} // namespace connect
