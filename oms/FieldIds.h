// The server reads and writes the protocol's field ids, by their names in its own namespace.
#pragma once

#include "protocol/FieldIds.h"

namespace oms
{
namespace fid = protocol::fid;
} // namespace oms
