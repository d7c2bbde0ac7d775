#include "connect/BusSubjects.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace connect
{

namespace
{

bool PlainByte(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// FNV-1a, 64 bits, from the given offset basis.
std::uint64_t Fnv(std::span<const std::uint8_t> bytes, std::uint64_t hash)
{
    for (const std::uint8_t byte : bytes)
    {
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

} // namespace

BusSubjects::BusSubjects(std::string prefix) : m_prefix(std::move(prefix))
{
    // The prefix is one token of every subject and part of the stream's name.
    if (m_prefix.empty() || !std::all_of(m_prefix.begin(), m_prefix.end(),
                                         [](char c) { return PlainByte(static_cast<unsigned char>(c)); }))
        throw std::invalid_argument("a bus prefix is letters, digits, '-' and '_', not \"" + m_prefix + "\"");
}

std::string BusSubjects::Stream() const
{
    return m_prefix + "_published";
}

std::string BusSubjects::Token(std::string_view value)
{
    if (value.empty())
        return "~";
    std::string token;
    token.reserve(value.size());
    for (const char c : value)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (PlainByte(byte))
        {
            token += c;
            continue;
        }
        char escaped[4];
        std::snprintf(escaped, sizeof escaped, "~%02X", byte);
        token += escaped;
    }
    return token;
}

std::optional<std::string> BusSubjects::FromToken(std::string_view token)
{
    if (token == "~")
        return std::string();
    if (token.empty())
        return std::nullopt;
    std::string value;
    for (std::size_t i = 0; i < token.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(token[i]);
        if (PlainByte(byte))
        {
            value += token[i];
            continue;
        }
        // Only the escape Token writes: '~' and two upper-case hexadecimal digits of a byte that
        // is not plain. Anything else would let two tokens stand for one value.
        const auto hex = [](char c) -> int
        { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
        if (byte != '~' || i + 2 >= token.size())
            return std::nullopt;
        const int high = hex(token[i + 1]);
        const int low = hex(token[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        const auto decoded = static_cast<unsigned char>(high * 16 + low);
        if (PlainByte(decoded))
            return std::nullopt;
        value += static_cast<char>(decoded);
        i += 2;
    }
    return value;
}

std::optional<std::string> BusSubjects::SenderOf(std::string_view subject) const
{
    const std::string head = m_prefix + ".requests.";
    if (subject.size() <= head.size() || subject.compare(0, head.size(), head) != 0)
        return std::nullopt;
    const std::string_view token = subject.substr(head.size());
    if (token.find('.') != std::string_view::npos)
        return std::nullopt;
    std::optional<std::string> user = FromToken(token);
    if (user && user->empty())
        return std::nullopt;
    return user;
}

std::string BusSubjects::PublishedSubject(const Message& message) const
{
    std::string subject = m_prefix + ".published";
    for (const std::int32_t field : kSubjectFields)
    {
        const std::string* value = message.Value(field);
        subject += value ? ".p." + Token(*value) : std::string(".a._");
    }
    return subject;
}

std::string BusSubjects::FilterSubject(const SubscriptionFilter& filter) const
{
    std::string subject = m_prefix + ".published";
    for (const std::int32_t field : kSubjectFields)
    {
        const auto term =
            std::find_if(filter.Terms().begin(), filter.Terms().end(),
                         [field](const SubscriptionFilter::Term& t) { return t.fieldId == field; });
        if (term == filter.Terms().end())
            subject += ".*.*";
        else
            subject += term->value.empty() ? std::string(".p.*") : ".p." + Token(term->value);
    }
    return subject;
}

bool BusSubjects::SubjectSaysAll(const SubscriptionFilter& filter)
{
    const auto& terms = filter.Terms();
    for (std::size_t i = 0; i < terms.size(); ++i)
    {
        if (std::find(kSubjectFields.begin(), kSubjectFields.end(), terms[i].fieldId) == kSubjectFields.end())
            return false;
        // A second term on one field is not in the pattern, which takes the first.
        for (std::size_t j = 0; j < i; ++j)
        {
            if (terms[j].fieldId == terms[i].fieldId)
                return false;
        }
    }
    return true;
}

std::string BusSubjects::PublicationId(std::span<const std::uint8_t> wire)
{
    char text[40];
    std::snprintf(text, sizeof text, "%016llx%016llx",
                  static_cast<unsigned long long>(Fnv(wire, 0xcbf29ce484222325ULL)),
                  static_cast<unsigned long long>(Fnv(wire, 0x84222325cbf29ce4ULL)));
    return text;
}

} // namespace connect
