// Any bytes are either one message, which encodes back to exactly those bytes and reads the same
// through the handle functions, or are refused. Written by a careless user into a scratch buffer,
// they must never let an added field leave the buffer malformed.
#include "connect/ConnectKivo.h"
#include "connect/Message.h"
#include "connect/MessageHandle.h"
#include "connect/ReceivedMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace
{

void CheckReadsAgree(const connect::Message& message, MnmHndl handle)
{
    for (const connect::Message::Field& field : message.Fields())
    {
        int count = 0;
        if (!otp_get_field(handle, field.id, &count, nullptr) ||
            count != static_cast<int>(field.values.size()))
            __builtin_trap();
        for (int index = 0; index < count; ++index)
        {
            const char* text = nullptr;
            if (!otp_get_data_as_cstring(handle, field.id, index, &text, nullptr))
                __builtin_trap();
            // The C view of a value ends at its first zero byte.
            const std::string& value = field.values[static_cast<std::size_t>(index)];
            if (std::string(text) != value.substr(0, value.find('\0')))
                __builtin_trap();
            // Whatever reads as an int reads as the same long and double.
            int i = 0;
            long long l = 0;
            double d = 0;
            const bool isInt = otp_get_data_as_int(handle, field.id, index, &i, nullptr) != 0;
            const bool isLong = otp_get_data_as_long(handle, field.id, index, &l, nullptr) != 0;
            const bool isDouble = otp_get_data_as_double(handle, field.id, index, &d, nullptr) != 0;
            if (isInt && (!isLong || l != i || !isDouble || d != i))
                __builtin_trap();
        }
        const char* beyond = nullptr;
        if (otp_get_data_as_cstring(handle, field.id, count, &beyond, nullptr))
            __builtin_trap();
    }
    // A field the message does not carry is not found, however its neighbours look.
    for (int absent : {0, -1, 54211, 0x7fffffff})
    {
        int count = 0;
        if (message.ValueCount(absent) == 0 && otp_get_field(handle, absent, &count, nullptr))
            __builtin_trap();
    }
}

void CheckScratchBuffer(const std::uint8_t* data, std::size_t size)
{
    MnmHndl message = nullptr;
    BufHndl buffer = nullptr;
    if (!otp_ctor_primecb(&message, nullptr) || !otp_open_scratch(&buffer, OTP_SCRATCH_SIZE, nullptr))
        __builtin_trap();
    if (!otp_start_msg(message, buffer, nullptr))
        __builtin_trap();
    std::memcpy(buffer, data, size);
    const bool added = otp_add_data_as_cstring(message, 7, 1, "v", nullptr) != 0;
    const std::optional<connect::Message> after = connect::ToMessage(message);
    if (added && (!after || after->Value(7, after->ValueCount(7) - 1) == nullptr ||
                  *after->Value(7, after->ValueCount(7) - 1) != "v"))
        __builtin_trap();
    otp_dtor_primecb(message, nullptr);
    otp_close_scratch(buffer, nullptr);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::vector<std::uint8_t> bytes(data, data + size);
    connect::wire::Error error = connect::wire::Error::None;
    const std::optional<connect::Message> message = connect::Message::FromWire(bytes, &error);
    if (message.has_value() != (error == connect::wire::Error::None))
        __builtin_trap();
    const std::unique_ptr<connect::ReceivedMessage> received = connect::ReceivedMessage::FromWire(bytes);
    if (message.has_value() != (received != nullptr))
        __builtin_trap();
    if (message)
    {
        if (message->ToWire() != bytes)
            __builtin_trap();
        CheckReadsAgree(*message, received->Handle());
    }
    if (size <= OTP_SCRATCH_SIZE)
        CheckScratchBuffer(data, size);
    return 0;
}
