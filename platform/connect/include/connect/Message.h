// A message of the server protocol as the server side and tests build and read it: an ordered
// list of fields, each with one or more text values (value 0 the current one, value 1 the one
// before the change).
#pragma once

#include "connect/WireFormat.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace connect
{

// Field ids that the library itself gives a meaning.
inline constexpr std::int32_t kRequestFunctionField = 0; // the server function a request calls
inline constexpr std::int32_t kClosingField = 32766;     // present only in a request's closing reply
inline constexpr std::int32_t kReplyFunctionField = 32767;

class Message
{
public:
    struct Field
    {
        std::int32_t id = 0;
        std::vector<std::string> values;
        bool operator==(const Field&) const = default;
    };

    // Appends a value to the field, which is created after the others when it is absent.
    Message& Add(std::int32_t id, std::string value);
    // The same for several values at once; a field never has none, so an empty list throws
    // std::invalid_argument.
    Message& AddValues(std::int32_t id, const std::vector<std::string>& values);

    const Field* Find(std::int32_t id) const;
    bool Has(std::int32_t id) const { return Find(id) != nullptr; }
    // 0 when the field is absent.
    std::size_t ValueCount(std::int32_t id) const;
    // Null when the field or the value is absent.
    const std::string* Value(std::int32_t id, std::size_t index = 0) const;
    const std::vector<Field>& Fields() const { return m_fields; }

    std::vector<std::uint8_t> ToWire() const;
    // Empty when the bytes are not one well-formed message; 'error' says why.
    static std::optional<Message> FromWire(std::span<const std::uint8_t> bytes, wire::Error* error = nullptr);

    bool operator==(const Message&) const = default;

private:
    std::vector<Field> m_fields;
};

} // namespace connect
