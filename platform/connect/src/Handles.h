// The library's own use of message handles: received messages that it owns.
#pragma once

#include "connect/ConnectKivo.h"
#include "connect/WireFormat.h"

#include <cstdint>
#include <vector>

namespace connect::detail
{

// Checks the bytes and registers them as a received message; null when they are malformed.
MnmHndl RegisterReceived(std::vector<std::uint8_t> wire, wire::Error* error);
void ReleaseReceived(MnmHndl message);

} // namespace connect::detail
