// The server answers with the protocol's status codes, by their names in the server's own namespace.
#pragma once

#include "protocol/ServerStatus.h"

namespace oms
{
using protocol::ServerStatus;
using enum protocol::ServerStatus;
} // namespace oms
