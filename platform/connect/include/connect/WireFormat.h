// The byte layout in which every transport carries messages (docs/wire-format.md), and the
// checked reader that every consumer of foreign bytes goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace connect::wire
{

// The first 32-bit word: the length of the field records that follow it.
inline constexpr std::size_t kHeaderSize = 4;
// A record's fixed part: record length, field id, value count.
inline constexpr std::size_t kRecordHeaderSize = 12;
// A value's length word and its terminating zero byte.
inline constexpr std::size_t kValueOverhead = 5;
// Longer messages are refused before anything is read, so a bad length cannot make a reader
// allocate or walk far.
inline constexpr std::size_t kMaxMessageSize = std::size_t{16} << 20;

enum class Error
{
    None,
    Truncated,         // a length points past the end of the bytes
    TooLarge,          // over kMaxMessageSize
    TrailingBytes,     // bytes after the last record
    BadRecordLength,   // a record's length disagrees with its values
    NoValues,          // a field without a value
    MissingTerminator, // a value not followed by its zero byte
    DuplicateField     // a field id present twice
};

const char* ErrorText(Error error);

struct FieldView
{
    std::int32_t id = 0;
    // Views into the message; each is followed there by its zero byte.
    std::vector<std::string_view> values;
    // Where the record starts (its length word) and how many bytes it takes, in the message.
    std::size_t offset = 0;
    std::size_t size = 0;
};

// Checks a whole message, exactly its bytes, and lists its fields in order (when 'fields' is
// not null). Nothing is listed when the message is malformed.
Error Parse(std::span<const std::uint8_t> bytes, std::vector<FieldView>* fields);

// Finds one field of a message that Parse has accepted before, reading no other field's values:
// true with 'field' filled when the id is there. Bounds are still checked on every record.
bool FindField(std::span<const std::uint8_t> bytes, std::int32_t id, FieldView& field);

// The bytes that these values take inside a record, and that a whole new record takes.
std::size_t ValuesSize(std::span<const std::string_view> values);
std::size_t RecordSize(std::span<const std::string_view> values);

// Writers into memory that the caller has sized with the functions above.
void WriteValues(std::uint8_t* out, std::span<const std::string_view> values);
void WriteRecord(std::uint8_t* out, std::int32_t id, std::span<const std::string_view> values);

std::uint32_t ReadWord(const std::uint8_t* at);
void WriteWord(std::uint8_t* at, std::uint32_t value);

} // namespace connect::wire
