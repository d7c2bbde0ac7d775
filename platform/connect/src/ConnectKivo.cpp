// The message functions. Every handle is looked up in one registry before use, so a stale or
// foreign handle fails with OTP_ERR_BAD_HANDLE instead of touching freed memory, and a message
// being built is read straight from its scratch buffer, so what is read is exactly what will be
// sent.
#include "connect/ConnectKivo.h"

#include "Handles.h"
#include "connect/Faults.h"
#include "connect/MessageHandle.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <array>
#include <memory>
#include <mutex>
#include <new>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

struct otp_message_s
{
    // Received messages belong to the library and never change.
    bool received = false;
    std::vector<std::uint8_t> wire;
    // A message being built lives in a scratch buffer; the serial tells a reopened buffer at the
    // same address from the one the message was started in.
    BufHndl buffer = nullptr;
    std::uint64_t bufferSerial = 0;
};

struct sys_time_s
{
    std::uint64_t serial = 0;
};

namespace
{

using connect::wire::kHeaderSize;

// Far above what a message needs, low enough that a wrong size argument cannot exhaust memory.
constexpr int kMaxScratchSize = 1 << 20;

struct Scratch
{
    std::unique_ptr<std::uint32_t[]> words;
    std::size_t size = 0;
    std::uint64_t serial = 0;

    std::uint8_t* Bytes() const { return reinterpret_cast<std::uint8_t*>(words.get()); }
};

struct Registry
{
    std::mutex lock;
    std::unordered_map<MnmHndl, std::unique_ptr<otp_message_s>> messages;
    std::unordered_map<BufHndl, Scratch> buffers;
    std::unordered_map<TmHndl, std::unique_ptr<sys_time_s>> times;
    std::uint64_t lastSerial = 0;
    std::array<int, 3> armedOpenFaults{}; // by connect::OpenFault

    // Consumes one armed failure of the kind; true when the open must fail.
    bool OpenFails(connect::OpenFault fault)
    {
        int& armed = armedOpenFaults[static_cast<std::size_t>(fault)];
        if (armed == 0)
            return false;
        --armed;
        return true;
    }

    static Registry& Get()
    {
        static Registry registry;
        return registry;
    }

    otp_message_s* FindMessage(MnmHndl handle)
    {
        const auto it = messages.find(handle);
        return it == messages.end() ? nullptr : it->second.get();
    }

    Scratch* FindBuffer(BufHndl handle)
    {
        const auto it = buffers.find(handle);
        return it == buffers.end() ? nullptr : &it->second;
    }

    Scratch* BufferOf(const otp_message_s& message)
    {
        Scratch* scratch = message.buffer ? FindBuffer(message.buffer) : nullptr;
        return scratch && scratch->serial == message.bufferSerial ? scratch : nullptr;
    }
};

int Fail(int* err, int code)
{
    if (err)
        *err = code;
    return 0;
}

int Succeed(int* err)
{
    if (err)
        *err = OTP_OK;
    return 1;
}

// Runs one of the operations below, which return an OTP_ code, with the registry locked; nothing
// escapes through the C boundary.
template <typename... Params, typename... Args>
int Locked(int* err, int (*operation)(Registry&, Params...), Args&&... args)
{
    try
    {
        Registry& registry = Registry::Get();
        std::lock_guard<std::mutex> guard(registry.lock);
        const int code = operation(registry, std::forward<Args>(args)...);
        return code == OTP_OK ? Succeed(err) : Fail(err, code);
    }
    catch (const std::bad_alloc&)
    {
        return Fail(err, OTP_ERR_NO_MEMORY);
    }
}

// The bytes of the whole message the handle stands for.
int MessageBytes(Registry& registry, const otp_message_s& message, std::span<const std::uint8_t>& bytes)
{
    if (message.received)
    {
        bytes = message.wire;
        return OTP_OK;
    }
    const Scratch* scratch = registry.BufferOf(message);
    if (!scratch)
        return OTP_ERR_NOT_STARTED;
    const std::size_t body = connect::wire::ReadWord(scratch->Bytes());
    if (body > scratch->size - kHeaderSize)
        return OTP_ERR_MALFORMED;
    bytes = std::span<const std::uint8_t>(scratch->Bytes(), kHeaderSize + body);
    return OTP_OK;
}

// Finds the field; 'fields' holds the parse that 'field' points into.
int FindField(Registry& registry, MnmHndl handle, int fieldId, std::vector<connect::wire::FieldView>& fields,
              const connect::wire::FieldView*& field)
{
    const otp_message_s* message = registry.FindMessage(handle);
    if (!message)
        return OTP_ERR_BAD_HANDLE;
    std::span<const std::uint8_t> bytes;
    if (const int code = MessageBytes(registry, *message, bytes); code != OTP_OK)
        return code;
    // A received message was checked whole when it arrived and never changes: only the field
    // asked for is read, which keeps reading a message's fields one by one linear.
    if (message->received)
    {
        fields.resize(1);
        if (!connect::wire::FindField(bytes, fieldId, fields.front()))
            return OTP_ERR_NO_FIELD;
        field = &fields.front();
        return OTP_OK;
    }
    if (connect::wire::Parse(bytes, &fields) != connect::wire::Error::None)
        return OTP_ERR_MALFORMED;
    for (const connect::wire::FieldView& candidate : fields)
    {
        if (candidate.id == fieldId)
        {
            field = &candidate;
            return OTP_OK;
        }
    }
    return OTP_ERR_NO_FIELD;
}

int ReadValue(Registry& registry, MnmHndl handle, int fieldId, int index, std::string_view& value)
{
    std::vector<connect::wire::FieldView> fields;
    const connect::wire::FieldView* field = nullptr;
    if (const int code = FindField(registry, handle, fieldId, fields, field); code != OTP_OK)
        return code;
    if (index < 0 || static_cast<std::size_t>(index) >= field->values.size())
        return OTP_ERR_NO_VALUE;
    value = field->values[static_cast<std::size_t>(index)];
    return OTP_OK;
}

template <typename Integer> bool ToInteger(std::string_view text, Integer& out)
{
    Integer value{};
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc{} || stop != end)
        return false;
    out = value;
    return true;
}

bool ToDouble(std::string_view text, double& out)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, std::chars_format::general);
    if (error != std::errc{} || stop != end || !std::isfinite(value))
        return false;
    out = value;
    return true;
}

// Writes the values into the message being built in 'scratch': after the values of an existing
// field, or as a new field at the end.
int AddValues(Scratch& scratch, int fieldId, const std::vector<std::string_view>& values)
{
    using namespace connect::wire;
    std::uint8_t* bytes = scratch.Bytes();
    const std::size_t body = ReadWord(bytes);
    if (body > scratch.size - kHeaderSize)
        return OTP_ERR_MALFORMED;
    std::vector<FieldView> fields;
    if (Parse(std::span<const std::uint8_t>(bytes, kHeaderSize + body), &fields) != Error::None)
        return OTP_ERR_MALFORMED;
    const std::size_t room = scratch.size - kHeaderSize - body;

    for (const FieldView& field : fields)
    {
        if (field.id != fieldId)
            continue;
        const std::size_t added = ValuesSize(values);
        if (added > room)
            return OTP_ERR_BUFFER_FULL;
        std::uint8_t* record = bytes + field.offset;
        std::uint8_t* insertAt = record + field.size;
        std::memmove(insertAt + added, insertAt, kHeaderSize + body - (field.offset + field.size));
        WriteValues(insertAt, values);
        WriteWord(record, static_cast<std::uint32_t>(ReadWord(record) + added));
        WriteWord(record + 8, static_cast<std::uint32_t>(field.values.size() + values.size()));
        WriteWord(bytes, static_cast<std::uint32_t>(body + added));
        return OTP_OK;
    }
    const std::size_t added = RecordSize(values);
    if (added > room)
        return OTP_ERR_BUFFER_FULL;
    WriteRecord(bytes + kHeaderSize + body, static_cast<std::int32_t>(fieldId), values);
    WriteWord(bytes, static_cast<std::uint32_t>(body + added));
    return OTP_OK;
}

int CreateMessage(Registry& registry, MnmHndl* message)
{
    if (!message)
        return OTP_ERR_NULL_ARGUMENT;
    if (registry.OpenFails(connect::OpenFault::Message))
        return OTP_ERR_NO_MEMORY;
    auto created = std::make_unique<otp_message_s>();
    const MnmHndl handle = created.get();
    registry.messages.emplace(handle, std::move(created));
    *message = handle;
    return OTP_OK;
}

int DestroyMessage(Registry& registry, MnmHndl message)
{
    const otp_message_s* found = registry.FindMessage(message);
    if (!found)
        return OTP_ERR_BAD_HANDLE;
    if (found->received)
        return OTP_ERR_NOT_OWNER;
    registry.messages.erase(message);
    return OTP_OK;
}

int OpenScratch(Registry& registry, BufHndl* buffer, int size)
{
    if (!buffer)
        return OTP_ERR_NULL_ARGUMENT;
    if (size < static_cast<int>(kHeaderSize) || size > kMaxScratchSize)
        return OTP_ERR_BAD_ARGUMENT;
    if (registry.OpenFails(connect::OpenFault::Scratch))
        return OTP_ERR_NO_MEMORY;
    Scratch scratch;
    scratch.size = static_cast<std::size_t>(size);
    scratch.words.reset(new std::uint32_t[(scratch.size + 3) / 4]());
    scratch.serial = ++registry.lastSerial;
    const BufHndl handle = reinterpret_cast<BufHndl>(scratch.Bytes());
    registry.buffers.emplace(handle, std::move(scratch));
    *buffer = handle;
    return OTP_OK;
}

int CloseScratch(Registry& registry, BufHndl buffer)
{
    return registry.buffers.erase(buffer) == 1 ? OTP_OK : OTP_ERR_BAD_HANDLE;
}

int OpenTime(Registry& registry, TmHndl* time)
{
    if (!time)
        return OTP_ERR_NULL_ARGUMENT;
    if (registry.OpenFails(connect::OpenFault::Time))
        return OTP_ERR_NO_MEMORY;
    auto created = std::make_unique<sys_time_s>();
    created->serial = ++registry.lastSerial;
    const TmHndl handle = created.get();
    registry.times.emplace(handle, std::move(created));
    *time = handle;
    return OTP_OK;
}

int CloseTime(Registry& registry, TmHndl time)
{
    return registry.times.erase(time) == 1 ? OTP_OK : OTP_ERR_BAD_HANDLE;
}

int StartMessage(Registry& registry, MnmHndl message, BufHndl buffer)
{
    otp_message_s* found = registry.FindMessage(message);
    const Scratch* scratch = registry.FindBuffer(buffer);
    if (!found || !scratch)
        return OTP_ERR_BAD_HANDLE;
    if (found->received)
        return OTP_ERR_NOT_OWNER;
    if (connect::wire::ReadWord(scratch->Bytes()) != 0)
        return OTP_ERR_BUFFER_NOT_CLEARED;
    found->buffer = buffer;
    found->bufferSerial = scratch->serial;
    return OTP_OK;
}

int AddTexts(Registry& registry, MnmHndl message, int fieldId, int count, const char* value)
{
    if (!value)
        return OTP_ERR_NULL_ARGUMENT;
    if (count < 1)
        return OTP_ERR_BAD_ARGUMENT;
    const otp_message_s* found = registry.FindMessage(message);
    if (!found)
        return OTP_ERR_BAD_HANDLE;
    if (found->received)
        return OTP_ERR_NOT_OWNER;
    Scratch* scratch = registry.BufferOf(*found);
    if (!scratch)
        return OTP_ERR_NOT_STARTED;
    // Each value takes at least its overhead: a count that cannot fit is refused before the texts
    // are walked. The texts are copied because they may lie in the buffer itself.
    const auto wanted = static_cast<std::size_t>(count);
    if (wanted > scratch->size / connect::wire::kValueOverhead)
        return OTP_ERR_BUFFER_FULL;
    std::vector<std::string> texts;
    texts.reserve(wanted);
    for (const char* at = value; texts.size() < wanted; at += texts.back().size() + 1)
        texts.emplace_back(at);
    return AddValues(*scratch, fieldId, std::vector<std::string_view>(texts.begin(), texts.end()));
}

int CountValues(Registry& registry, MnmHndl message, int fieldId, int* valueCount)
{
    std::vector<connect::wire::FieldView> fields;
    const connect::wire::FieldView* field = nullptr;
    const int code = FindField(registry, message, fieldId, fields, field);
    if (code == OTP_OK && valueCount)
        *valueCount = static_cast<int>(field->values.size());
    return code;
}

int ReadText(Registry& registry, MnmHndl message, int fieldId, int index, const char** value)
{
    if (!value)
        return OTP_ERR_NULL_ARGUMENT;
    std::string_view text;
    const int code = ReadValue(registry, message, fieldId, index, text);
    if (code == OTP_OK)
        *value = text.data();
    return code;
}

template <typename Number, bool (*Convert)(std::string_view, Number&)>
int ReadNumber(Registry& registry, MnmHndl message, int fieldId, int index, Number* value)
{
    if (!value)
        return OTP_ERR_NULL_ARGUMENT;
    std::string_view text;
    if (const int code = ReadValue(registry, message, fieldId, index, text); code != OTP_OK)
        return code;
    return Convert(text, *value) ? OTP_OK : OTP_ERR_CONVERSION;
}

int CopyBytes(Registry& registry, MnmHndl message, std::vector<std::uint8_t>* wire)
{
    const otp_message_s* found = registry.FindMessage(message);
    if (!found)
        return OTP_ERR_BAD_HANDLE;
    std::span<const std::uint8_t> bytes;
    if (const int code = MessageBytes(registry, *found, bytes); code != OTP_OK)
        return code;
    if (connect::wire::Parse(bytes, nullptr) != connect::wire::Error::None)
        return OTP_ERR_MALFORMED;
    wire->assign(bytes.begin(), bytes.end());
    return OTP_OK;
}

} // namespace

// C linkage comes from the declarations in the header.

int otp_ctor_primecb(MnmHndl* message, int* err)
{
    return Locked(err, CreateMessage, message);
}

int otp_dtor_primecb(MnmHndl message, int* err)
{
    return Locked(err, DestroyMessage, message);
}

int otp_open_scratch(BufHndl* buffer, int size, int* err)
{
    return Locked(err, OpenScratch, buffer, size);
}

int otp_close_scratch(BufHndl buffer, int* err)
{
    return Locked(err, CloseScratch, buffer);
}

int sys_open_time_hndl(TmHndl* time, int* err)
{
    return Locked(err, OpenTime, time);
}

int sys_close_time_hndl(TmHndl time, int* err)
{
    return Locked(err, CloseTime, time);
}

int otp_start_msg(MnmHndl message, BufHndl buffer, int* err)
{
    return Locked(err, StartMessage, message, buffer);
}

int otp_add_data_as_cstring(MnmHndl message, int fieldId, int count, const char* value, int* err)
{
    return Locked(err, AddTexts, message, fieldId, count, value);
}

int otp_get_field(MnmHndl message, int fieldId, int* valueCount, int* err)
{
    return Locked(err, CountValues, message, fieldId, valueCount);
}

int otp_get_data_as_cstring(MnmHndl message, int fieldId, int index, const char** value, int* err)
{
    return Locked(err, ReadText, message, fieldId, index, value);
}

int otp_get_data_as_int(MnmHndl message, int fieldId, int index, int* value, int* err)
{
    return Locked(err, ReadNumber<int, ToInteger<int>>, message, fieldId, index, value);
}

int otp_get_data_as_long(MnmHndl message, int fieldId, int index, long long* value, int* err)
{
    return Locked(err, ReadNumber<long long, ToInteger<long long>>, message, fieldId, index, value);
}

int otp_get_data_as_double(MnmHndl message, int fieldId, int index, double* value, int* err)
{
    return Locked(err, ReadNumber<double, ToDouble>, message, fieldId, index, value);
}

namespace connect
{

bool CopyWire(MnmHndl message, std::vector<std::uint8_t>& wire, int* err)
{
    return Locked(err, CopyBytes, message, &wire) != 0;
}

std::optional<Message> ToMessage(MnmHndl message, int* err)
{
    std::vector<std::uint8_t> bytes;
    if (!CopyWire(message, bytes, err))
        return std::nullopt;
    return Message::FromWire(bytes);
}

namespace detail
{

MnmHndl RegisterReceived(std::vector<std::uint8_t> bytes, wire::Error* error)
{
    const wire::Error result = wire::Parse(bytes, nullptr);
    if (error)
        *error = result;
    if (result != wire::Error::None)
        return nullptr;
    Registry& registry = Registry::Get();
    std::lock_guard<std::mutex> guard(registry.lock);
    auto created = std::make_unique<otp_message_s>();
    created->received = true;
    created->wire = std::move(bytes);
    const MnmHndl handle = created.get();
    registry.messages.emplace(handle, std::move(created));
    return handle;
}

void ReleaseReceived(MnmHndl message)
{
    Registry& registry = Registry::Get();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.messages.erase(message);
}

} // namespace detail

} // namespace connect

namespace connect
{

void FailNextOpen(OpenFault fault, int times)
{
    Registry& registry = Registry::Get();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.armedOpenFaults[static_cast<std::size_t>(fault)] += times;
}

void ClearOpenFaults()
{
    Registry& registry = Registry::Get();
    std::lock_guard<std::mutex> guard(registry.lock);
    registry.armedOpenFaults = {};
}

} // namespace connect
