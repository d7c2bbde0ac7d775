#include "connect/Message.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

namespace connect
{

namespace
{
std::vector<std::string_view> Views(const std::vector<std::string>& values)
{
    return std::vector<std::string_view>(values.begin(), values.end());
}
} // namespace

Message& Message::Add(std::int32_t id, std::string value)
{
    for (Field& field : m_fields)
    {
        if (field.id == id)
        {
            field.values.push_back(std::move(value));
            return *this;
        }
    }
    m_fields.push_back(Field{id, {std::move(value)}});
    return *this;
}

Message& Message::AddValues(std::int32_t id, const std::vector<std::string>& values)
{
    if (values.empty())
        throw std::invalid_argument("a field needs at least one value");
    for (const std::string& value : values)
        Add(id, value);
    return *this;
}

const Message::Field* Message::Find(std::int32_t id) const
{
    const auto it =
        std::find_if(m_fields.begin(), m_fields.end(), [id](const Field& f) { return f.id == id; });
    return it == m_fields.end() ? nullptr : &*it;
}

std::size_t Message::ValueCount(std::int32_t id) const
{
    const Field* field = Find(id);
    return field ? field->values.size() : 0;
}

const std::string* Message::Value(std::int32_t id, std::size_t index) const
{
    const Field* field = Find(id);
    if (!field || index >= field->values.size())
        return nullptr;
    return &field->values[index];
}

std::vector<std::uint8_t> Message::ToWire() const
{
    std::size_t size = wire::kHeaderSize;
    for (const Field& field : m_fields)
        size += wire::RecordSize(Views(field.values));
    std::vector<std::uint8_t> bytes(size);
    wire::WriteWord(bytes.data(), static_cast<std::uint32_t>(size - wire::kHeaderSize));
    std::size_t at = wire::kHeaderSize;
    for (const Field& field : m_fields)
    {
        const std::vector<std::string_view> values = Views(field.values);
        wire::WriteRecord(bytes.data() + at, field.id, values);
        at += wire::RecordSize(values);
    }
    return bytes;
}

std::optional<Message> Message::FromWire(std::span<const std::uint8_t> bytes, wire::Error* error)
{
    std::vector<wire::FieldView> fields;
    const wire::Error result = wire::Parse(bytes, &fields);
    if (error)
        *error = result;
    if (result != wire::Error::None)
        return std::nullopt;
    Message message;
    message.m_fields.reserve(fields.size());
    for (const wire::FieldView& view : fields)
        message.m_fields.push_back(
            Field{view.id, std::vector<std::string>(view.values.begin(), view.values.end())});
    return message;
}

} // namespace connect
