#include "connect/WireFormat.h"

#include <algorithm>
#include <cstring>

namespace connect::wire
{

const char* ErrorText(Error error)
{
    switch (error)
    {
    case Error::None:
        return "no error";
    case Error::Truncated:
        return "a length points past the end of the message";
    case Error::TooLarge:
        return "the message is larger than the wire format allows";
    case Error::TrailingBytes:
        return "bytes follow the last field";
    case Error::BadRecordLength:
        return "a field's length disagrees with its values";
    case Error::NoValues:
        return "a field has no value";
    case Error::MissingTerminator:
        return "a value is not followed by its zero byte";
    case Error::DuplicateField:
        return "a field id appears twice";
    }
    return "unknown error";
}

std::uint32_t ReadWord(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

void WriteWord(std::uint8_t* at, std::uint32_t value)
{
    at[0] = static_cast<std::uint8_t>(value);
    at[1] = static_cast<std::uint8_t>(value >> 8);
    at[2] = static_cast<std::uint8_t>(value >> 16);
    at[3] = static_cast<std::uint8_t>(value >> 24);
}

std::size_t ValuesSize(std::span<const std::string_view> values)
{
    std::size_t size = 0;
    for (std::string_view value : values)
        size += kValueOverhead + value.size();
    return size;
}

std::size_t RecordSize(std::span<const std::string_view> values)
{
    return kRecordHeaderSize + ValuesSize(values);
}

void WriteValues(std::uint8_t* out, std::span<const std::string_view> values)
{
    for (std::string_view value : values)
    {
        WriteWord(out, static_cast<std::uint32_t>(value.size()));
        out += 4;
        if (!value.empty())
            std::memcpy(out, value.data(), value.size());
        out += value.size();
        *out++ = 0;
    }
}

void WriteRecord(std::uint8_t* out, std::int32_t id, std::span<const std::string_view> values)
{
    WriteWord(out, static_cast<std::uint32_t>(RecordSize(values) - 4));
    WriteWord(out + 4, static_cast<std::uint32_t>(id));
    WriteWord(out + 8, static_cast<std::uint32_t>(values.size()));
    WriteValues(out + kRecordHeaderSize, values);
}

namespace
{

// Reads one record that starts at 'offset' and is known to have its fixed part in 'bytes'.
Error ParseRecord(std::span<const std::uint8_t> bytes, std::size_t offset, FieldView& field)
{
    const std::uint8_t* record = bytes.data() + offset;
    const std::size_t remaining = bytes.size() - offset;
    const std::size_t length = ReadWord(record);
    if (length > remaining - 4)
        return Error::Truncated;
    if (length < kRecordHeaderSize - 4)
        return Error::BadRecordLength;
    const std::uint32_t count = ReadWord(record + 8);
    if (count == 0)
        return Error::NoValues;
    // Every value takes at least its overhead, so a count beyond this cannot be honest; checking
    // it first keeps a hostile count from reserving memory.
    const std::size_t valueBytes = length - (kRecordHeaderSize - 4);
    if (count > valueBytes / kValueOverhead)
        return Error::BadRecordLength;

    field.id = static_cast<std::int32_t>(ReadWord(record + 4));
    field.offset = offset;
    field.size = 4 + length;
    field.values.clear();
    field.values.reserve(count);
    std::size_t at = kRecordHeaderSize;
    const std::size_t end = 4 + length;
    for (std::uint32_t i = 0; i < count; ++i)
    {
        if (end - at < kValueOverhead)
            return Error::BadRecordLength;
        const std::size_t size = ReadWord(record + at);
        at += 4;
        if (size > end - at - 1)
            return Error::BadRecordLength;
        if (record[at + size] != 0)
            return Error::MissingTerminator;
        field.values.emplace_back(reinterpret_cast<const char*>(record + at), size);
        at += size + 1;
    }
    if (at != end)
        return Error::BadRecordLength;
    return Error::None;
}

} // namespace

Error Parse(std::span<const std::uint8_t> bytes, std::vector<FieldView>* fields)
{
    if (fields)
        fields->clear();
    if (bytes.size() > kMaxMessageSize)
        return Error::TooLarge;
    if (bytes.size() < kHeaderSize)
        return Error::Truncated;
    const std::size_t body = ReadWord(bytes.data());
    if (body > kMaxMessageSize - kHeaderSize)
        return Error::TooLarge;
    if (body > bytes.size() - kHeaderSize)
        return Error::Truncated;
    if (body < bytes.size() - kHeaderSize)
        return Error::TrailingBytes;

    std::vector<FieldView> found;
    std::vector<std::int32_t> ids;
    FieldView field;
    for (std::size_t offset = kHeaderSize; offset < bytes.size(); offset += field.size)
    {
        if (bytes.size() - offset < kRecordHeaderSize)
            return Error::Truncated;
        if (const Error error = ParseRecord(bytes, offset, field); error != Error::None)
            return error;
        ids.push_back(field.id);
        if (fields)
            found.push_back(field);
    }
    std::sort(ids.begin(), ids.end());
    if (std::adjacent_find(ids.begin(), ids.end()) != ids.end())
        return Error::DuplicateField;
    if (fields)
        *fields = std::move(found);
    return Error::None;
}

bool FindField(std::span<const std::uint8_t> bytes, std::int32_t id, FieldView& field)
{
    if (bytes.size() < kHeaderSize)
        return false;
    const std::size_t end = std::min<std::size_t>(bytes.size(), kHeaderSize + ReadWord(bytes.data()));
    for (std::size_t offset = kHeaderSize; end - offset >= kRecordHeaderSize;)
    {
        const std::uint8_t* record = bytes.data() + offset;
        const std::size_t length = ReadWord(record);
        if (length > end - offset - 4)
            return false;
        if (static_cast<std::int32_t>(ReadWord(record + 4)) == id)
            return ParseRecord(bytes.first(end), offset, field) == Error::None;
        offset += 4 + length;
    }
    return false;
}

} // namespace connect::wire
