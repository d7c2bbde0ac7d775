#include "oms/LimitOwner.h"

namespace oms
{

namespace
{
struct LevelName
{
    LimitOwner::Level level;
    const char* prefix;
    const char* category;
};
constexpr LevelName kLevels[] = {
    {LimitOwner::Level::Broker, "broker", "BROKER"},      {LimitOwner::Level::Branch, "branch", "BRANCH"},
    {LimitOwner::Level::Group, "group", "ACCOUNT_GROUP"}, {LimitOwner::Level::Dealer, "dealer", "DEALER"},
    {LimitOwner::Level::Client, "client", "CLIENT"},
};
} // namespace

std::optional<LimitOwner> LimitOwner::Parse(const std::string& text)
{
    const std::size_t colon = text.find(':');
    if (colon == std::string::npos || colon + 1 == text.size())
        return std::nullopt;
    const std::string prefix = text.substr(0, colon);
    for (const LevelName& name : kLevels)
    {
        if (prefix == name.prefix)
            return LimitOwner{name.level, text.substr(colon + 1)};
    }
    return std::nullopt;
}

std::string LimitOwner::ToString() const
{
    for (const LevelName& name : kLevels)
    {
        if (name.level == level)
            return std::string(name.prefix) + ":" + code;
    }
    return code;
}

std::string LimitOwner::Category() const
{
    for (const LevelName& name : kLevels)
    {
        if (name.level == level)
            return name.category;
    }
    return "";
}

} // namespace oms
