// One request to the server over the bus, as the command-line tools send it: connect, send, and
// wait for every reply. The library closes the request itself when the bus or the server is not
// there, so the wait always ends.
#pragma once

#include "connect/BusOptions.h"
#include "connect/Message.h"

#include <string>
#include <vector>

namespace oms::tools
{

struct BusAnswer
{
    std::vector<connect::Message> replies; // the closing one last
    // The closing reply's status (value 0) and its text (the last value); empty without one.
    std::string Status() const;
    std::string Text() const;
};

BusAnswer AskOverBus(const connect::BusOptions& options, const connect::Message& body);

} // namespace oms::tools
