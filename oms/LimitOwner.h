// Whose RMS limits a request changes: a broker, a branch, an account group, a dealer (a user)
// or a client (an account), written "level:code" ("client:KVC10001").
#pragma once

#include <optional>
#include <string>

namespace oms
{

struct LimitOwner
{
    enum class Level
    {
        Broker,
        Branch,
        Group,
        Dealer,
        Client
    };

    Level level = Level::Broker;
    std::string code;

    static std::optional<LimitOwner> Parse(const std::string& text);
    std::string ToString() const;
    // "BROKER", "BRANCH", "ACCOUNT_GROUP", "DEALER", "CLIENT": the category its requests carry.
    std::string Category() const;
};

} // namespace oms
