// Where a terminal or a server finds the message bus, and the names it uses there.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace connect
{

struct BusOptions
{
    // nats://host:port (several, separated by commas, for a cluster).
    std::string url;
    // The first token of every subject and the stream's name, so that several deployments (or
    // tests) can share one bus without seeing each other.
    std::string prefix = "kivo";
    // How long a request may wait for its closing reply before the library closes it.
    std::chrono::milliseconds requestTimeLimit{10000};
    // How long a publication waits for the bus to confirm that it stored the message.
    std::chrono::milliseconds publishTimeLimit{2000};
    // How long to wait between two tries to reach the bus again.
    std::chrono::milliseconds reconnectWait{250};
    // The name the connection shows in the bus's monitoring.
    std::string clientName;

    // Empty when the URL is one the bus takes; otherwise why not, in words for the user.
    static std::optional<std::string> CheckUrl(const std::string& url);
};

} // namespace connect
