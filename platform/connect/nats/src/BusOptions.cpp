#include "connect/BusOptions.h"

#include <cctype>
#include <cstdlib>

namespace connect
{

std::optional<std::string> BusOptions::CheckUrl(const std::string& url)
{
    const std::string example = "; a bus URL looks like nats://127.0.0.1:4222";
    if (url.empty())
        return "no message bus URL was given" + example;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t comma = url.find(',', start);
        const std::string one =
            url.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        const std::string scheme = "nats://";
        if (one.compare(0, scheme.size(), scheme) != 0)
            return "\"" + one + "\" is not a message bus URL" + example;
        const std::string address = one.substr(scheme.size());
        const std::size_t colon = address.rfind(':');
        const std::string hostPart = colon == std::string::npos ? address : address.substr(0, colon);
        if (hostPart.empty() || hostPart.find_first_of("/ ") != std::string::npos)
            return "\"" + one + "\" names no host" + example;
        if (colon != std::string::npos)
        {
            const std::string port = address.substr(colon + 1);
            char* end = nullptr;
            const long number = std::strtol(port.c_str(), &end, 10);
            if (port.empty() || *end || !std::isdigit(static_cast<unsigned char>(port[0])) || number < 1 ||
                number > 65535)
                return "\"" + one + "\" has no port from 1 to 65535" + example;
        }
        if (comma == std::string::npos)
            return std::nullopt;
        start = comma + 1;
    }
}

} // namespace connect
