#include "connect/Envelope.h"

#include "connect/Message.h"

#include <atomic>
#include <charconv>
#include <cstdio>
#include <random>

namespace connect
{

namespace
{
// Header fields of an envelope.
constexpr std::int32_t kIdField = 1;
constexpr std::int32_t kUserField = 2;
constexpr std::int32_t kBrokerField = 3;
constexpr std::int32_t kPrivilegeField = 4;
} // namespace

std::vector<std::uint8_t> Envelope::ToBytes() const
{
    Message header;
    if (!messageId.empty())
        header.Add(kIdField, messageId);
    if (session.Known())
    {
        header.Add(kUserField, session.user);
        header.Add(kBrokerField, session.broker);
        header.Add(kPrivilegeField, std::to_string(session.privilege));
    }
    std::vector<std::uint8_t> bytes = header.ToWire();
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::optional<Envelope> Envelope::FromBytes(std::span<const std::uint8_t> bytes, wire::Error* error)
{
    const auto fail = [error](wire::Error why) -> std::optional<Envelope>
    {
        if (error)
            *error = why;
        return std::nullopt;
    };
    if (bytes.size() < wire::kHeaderSize)
        return fail(wire::Error::Truncated);
    const std::size_t headerSize = wire::kHeaderSize + wire::ReadWord(bytes.data());
    // The body needs at least its own length word.
    if (headerSize > bytes.size() || bytes.size() - headerSize < wire::kHeaderSize)
        return fail(wire::Error::Truncated);
    wire::Error headerError = wire::Error::None;
    const std::optional<Message> header = Message::FromWire(bytes.first(headerSize), &headerError);
    if (!header)
        return fail(headerError);

    Envelope envelope;
    if (const std::string* id = header->Value(kIdField))
        envelope.messageId = *id;
    if (const std::string* user = header->Value(kUserField))
    {
        envelope.session.user = *user;
        if (const std::string* broker = header->Value(kBrokerField))
            envelope.session.broker = *broker;
        if (const std::string* privilege = header->Value(kPrivilegeField))
        {
            int level = -1;
            const char* end = privilege->data() + privilege->size();
            const auto [stop, why] = std::from_chars(privilege->data(), end, level);
            envelope.session.privilege = (why == std::errc() && stop == end) ? level : -1;
        }
    }
    envelope.body.assign(bytes.begin() + static_cast<std::ptrdiff_t>(headerSize), bytes.end());
    if (error)
        *error = wire::Error::None;
    return envelope;
}

std::string NewMessageId()
{
    static const unsigned long long process = []
    {
        std::random_device device;
        return (static_cast<unsigned long long>(device()) << 32) ^ device();
    }();
    static std::atomic<unsigned long long> count{0};
    char text[48];
    std::snprintf(text, sizeof text, "%016llx-%llu", process, ++count);
    return text;
}

} // namespace connect
