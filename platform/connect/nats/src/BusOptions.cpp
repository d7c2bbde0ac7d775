#include "connect/BusOptions.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

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
        const std::size_t schemeEnd = one.find("://");
        const std::string scheme = schemeEnd == std::string::npos ? "" : one.substr(0, schemeEnd);
        if (scheme != "nats" && scheme != "tls")
            return "\"" + one + "\" is not a message bus URL" + example;
        const std::string address = one.substr(schemeEnd + 3);
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

int BusOptions::Replicas() const
{
    if (streamReplicas > 0)
        return streamReplicas;
    const auto addresses = 1 + std::count(url.begin(), url.end(), ',');
    return addresses >= 3 ? 3 : 1;
}

bool BusOptions::Secure() const
{
    return !caFile.empty() || url.compare(0, 6, "tls://") == 0;
}

void BusOptions::LoadCredentials(const std::string& path)
{
    const auto fail = [&path](const std::string& why)
    { throw std::invalid_argument("the bus credentials " + path + " " + why); };
    struct stat status{};
    if (::stat(path.c_str(), &status) != 0)
        fail("cannot be read: no such file");
    if (!S_ISREG(status.st_mode))
        fail("are not in a file");
    // A secret others can read is no longer only its owner's.
    if (status.st_mode & (S_IRWXG | S_IRWXO))
        fail("can be read by others than their owner; make the file private (chmod 600)");
    std::ifstream in(path);
    if (!in)
        fail("cannot be read");
    std::string line;
    std::string readUser;
    std::string readPassword;
    int number = 0;
    while (std::getline(in, line))
    {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            fail("have no key = value on line " + std::to_string(number));
        const auto trim = [](std::string text)
        {
            const std::size_t first = text.find_first_not_of(" \t");
            const std::size_t last = text.find_last_not_of(" \t");
            return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
        };
        const std::string key = trim(line.substr(0, equals));
        const std::string value = trim(line.substr(equals + 1));
        if (key == "user")
            readUser = value;
        else if (key == "password")
            readPassword = value;
        else
            fail("have an unknown key \"" + key + "\" on line " + std::to_string(number));
    }
    if (readUser.empty() || readPassword.empty())
        fail("name no user or no password");
    user = readUser;
    password = readPassword;
}

void TrustOnlyTheBusAuthority(const std::string& caFile)
{
    if (caFile.empty())
        return;
    const std::filesystem::path file = std::filesystem::absolute(caFile);
    setenv("SSL_CERT_FILE", file.c_str(), 1);
    // A folder is looked in by the certificates' hashes, which the authority's folder has none of.
    setenv("SSL_CERT_DIR", file.parent_path().c_str(), 1);
}

} // namespace connect
