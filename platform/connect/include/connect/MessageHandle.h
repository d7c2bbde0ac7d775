// Reading any message handle, built or received, as a whole: what a transport sends and what
// tests compare.
#pragma once

#include "connect/ConnectKivo.h"
#include "connect/Message.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace connect
{

// The wire bytes of the message; false with 'err' set (OTP_ERR_*) when there are none.
bool CopyWire(MnmHndl message, std::vector<std::uint8_t>& wire, int* err = nullptr);
std::optional<Message> ToMessage(MnmHndl message, int* err = nullptr);

} // namespace connect
