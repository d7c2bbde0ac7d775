#include "ConnectTestSupport.h"

#include "connect/ReceivedMessage.h"

#include <climits>
#include <cstring>
#include <vector>

using connect::Message;
using connect_test::OutgoingMessage;

namespace
{

std::string ReadText(MnmHndl message, int fieldId, int index)
{
    const char* text = nullptr;
    int err = -1;
    if (!otp_get_data_as_cstring(message, fieldId, index, &text, &err))
        return "<error " + std::to_string(err) + ">";
    return text;
}

} // namespace

TEST(ScratchBufferTest, BuildsAndReadsFieldsWithSeveralValues)
{
    OutgoingMessage out;
    out.Start().Add(0, "om_authenticate_functionality");
    int err = -1;
    ASSERT_TRUE(otp_add_data_as_cstring(out.Handle(), 64037, 2, "yes\0no", &err));
    out.Add(10303, "accepted").Add(64037, "older");

    int count = 0;
    ASSERT_TRUE(otp_get_field(out.Handle(), 64037, &count, &err));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(ReadText(out.Handle(), 64037, 0), "yes");
    EXPECT_EQ(ReadText(out.Handle(), 64037, 1), "no");
    EXPECT_EQ(ReadText(out.Handle(), 64037, 2), "older");
    // Values added to an earlier field move the later fields, which must read as before.
    EXPECT_EQ(ReadText(out.Handle(), 10303, 0), "accepted");

    const Message expected = Message()
                                 .Add(0, "om_authenticate_functionality")
                                 .AddValues(64037, {"yes", "no", "older"})
                                 .Add(10303, "accepted");
    EXPECT_EQ(connect::ToMessage(out.Handle()), expected);

    // A value read out of the buffer may be added back into it.
    const char* inBuffer = nullptr;
    ASSERT_TRUE(otp_get_data_as_cstring(out.Handle(), 0, 0, &inBuffer, nullptr));
    ASSERT_TRUE(otp_add_data_as_cstring(out.Handle(), 0, 1, inBuffer, nullptr));
    EXPECT_EQ(ReadText(out.Handle(), 0, 1), "om_authenticate_functionality");
}

TEST(ScratchBufferTest, StartNeedsAClearedBufferAndBeginsEmpty)
{
    OutgoingMessage out;
    out.Start().Add(51803, "KEY1");
    int err = 0;
    EXPECT_FALSE(otp_start_msg(out.Handle(), out.Buffer(), &err));
    EXPECT_EQ(err, OTP_ERR_BUFFER_NOT_CLEARED);
    EXPECT_EQ(ReadText(out.Handle(), 51803, 0), "KEY1");

    out.Start();
    EXPECT_FALSE(otp_get_field(out.Handle(), 51803, nullptr, &err));
    EXPECT_EQ(err, OTP_ERR_NO_FIELD);
    EXPECT_EQ(connect::ToMessage(out.Handle()), Message());
}

TEST(ScratchBufferTest, AFieldThatDoesNotFitFailsAndLeavesTheMessageAsItWas)
{
    OutgoingMessage out;
    out.Start();
    const std::string value(100, 'v');
    int fieldId = 1;
    int err = OTP_OK;
    while (otp_add_data_as_cstring(out.Handle(), fieldId, 1, value.c_str(), &err))
        ++fieldId;
    EXPECT_EQ(err, OTP_ERR_BUFFER_FULL);
    // 4096 bytes hold 34 records of 117 bytes after the 4-byte header.
    EXPECT_EQ(fieldId - 1, 34);

    std::vector<unsigned char> before(out.Bytes(), out.Bytes() + OTP_SCRATCH_SIZE);
    const std::optional<Message> built = connect::ToMessage(out.Handle());
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 999, 1, value.c_str(), &err));
    EXPECT_EQ(err, OTP_ERR_BUFFER_FULL);
    // Another value for a present field needs 5 + n bytes of the 114 left.
    const std::string tooLong(110, 'w');
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 1, 1, tooLong.c_str(), &err));
    EXPECT_EQ(err, OTP_ERR_BUFFER_FULL);
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 999, 1000000, "x", &err));
    EXPECT_EQ(err, OTP_ERR_BUFFER_FULL);
    EXPECT_EQ(std::memcmp(before.data(), out.Bytes(), before.size()), 0);
    EXPECT_EQ(connect::ToMessage(out.Handle()), built);

    // What is left is exactly usable: a record of 12 bytes plus one value of 5 + n bytes.
    const std::size_t used = 4 + 34 * 117;
    const std::string exact(OTP_SCRATCH_SIZE - used - 17, 'e');
    EXPECT_TRUE(otp_add_data_as_cstring(out.Handle(), 500, 1, exact.c_str(), &err));
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 501, 1, "", &err));
    EXPECT_EQ(err, OTP_ERR_BUFFER_FULL);
    EXPECT_EQ(ReadText(out.Handle(), 500, 0), exact);
}

TEST(ScratchBufferTest, AbsentFieldsAndValuesFailWithoutTouchingTheOutValue)
{
    OutgoingMessage out;
    out.Start().Add(1, "one");
    const char* text = "untouched";
    int err = OTP_OK;
    EXPECT_FALSE(otp_get_data_as_cstring(out.Handle(), 2, 0, &text, &err));
    EXPECT_EQ(err, OTP_ERR_NO_FIELD);
    EXPECT_FALSE(otp_get_data_as_cstring(out.Handle(), 1, 1, &text, &err));
    EXPECT_EQ(err, OTP_ERR_NO_VALUE);
    EXPECT_FALSE(otp_get_data_as_cstring(out.Handle(), 1, -1, &text, &err));
    EXPECT_EQ(err, OTP_ERR_NO_VALUE);
    EXPECT_STREQ(text, "untouched");
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 2, 0, "x", &err));
    EXPECT_EQ(err, OTP_ERR_BAD_ARGUMENT);
    // A message never started has nowhere to be read from or written to.
    MnmHndl fresh = nullptr;
    ASSERT_TRUE(otp_ctor_primecb(&fresh, nullptr));
    EXPECT_FALSE(otp_add_data_as_cstring(fresh, 1, 1, "x", &err));
    EXPECT_EQ(err, OTP_ERR_NOT_STARTED);
    EXPECT_TRUE(otp_dtor_primecb(fresh, nullptr));
}

TEST(ScratchBufferTest, NumbersMustConvertCompletely)
{
    const Message numbers =
        Message()
            .AddValues(1, {"42", "-7", "3000000000", "1.5", "-2e3"})
            .AddValues(2, {"", "12x", " 1", "1 ", "1.5.2", "nan", "inf", "1e999", "0x10"});
    connect::ReceivedMessage received(numbers);
    const MnmHndl m = received.Handle();

    int i = 0;
    long long l = 0;
    double d = 0;
    EXPECT_TRUE(otp_get_data_as_int(m, 1, 0, &i, nullptr));
    EXPECT_EQ(i, 42);
    EXPECT_TRUE(otp_get_data_as_int(m, 1, 1, &i, nullptr));
    EXPECT_EQ(i, -7);
    int err = OTP_OK;
    EXPECT_FALSE(otp_get_data_as_int(m, 1, 2, &i, &err));
    EXPECT_EQ(err, OTP_ERR_CONVERSION);
    EXPECT_EQ(i, -7);
    EXPECT_TRUE(otp_get_data_as_long(m, 1, 2, &l, nullptr));
    EXPECT_EQ(l, 3000000000LL);
    EXPECT_FALSE(otp_get_data_as_long(m, 1, 3, &l, nullptr));
    EXPECT_TRUE(otp_get_data_as_double(m, 1, 3, &d, nullptr));
    EXPECT_DOUBLE_EQ(d, 1.5);
    EXPECT_TRUE(otp_get_data_as_double(m, 1, 4, &d, nullptr));
    EXPECT_DOUBLE_EQ(d, -2000.0);

    for (int index = 0; index < 9; ++index)
    {
        d = 99;
        EXPECT_FALSE(otp_get_data_as_int(m, 2, index, &i, nullptr)) << index;
        EXPECT_FALSE(otp_get_data_as_long(m, 2, index, &l, nullptr)) << index;
        EXPECT_FALSE(otp_get_data_as_double(m, 2, index, &d, &err)) << index;
        EXPECT_EQ(err, OTP_ERR_CONVERSION) << index;
        EXPECT_EQ(d, 99) << index;
    }
    EXPECT_FALSE(otp_get_data_as_int(m, 3, 0, &i, &err));
    EXPECT_EQ(err, OTP_ERR_NO_FIELD);
}

TEST(ScratchBufferTest, StaleForeignAndLibraryOwnedHandlesAreRefused)
{
    int err = OTP_OK;
    MnmHndl message = nullptr;
    ASSERT_TRUE(otp_ctor_primecb(&message, nullptr));
    EXPECT_TRUE(otp_dtor_primecb(message, nullptr));
    EXPECT_FALSE(otp_dtor_primecb(message, &err));
    EXPECT_EQ(err, OTP_ERR_BAD_HANDLE);
    EXPECT_FALSE(otp_get_field(message, 1, nullptr, &err));
    EXPECT_EQ(err, OTP_ERR_BAD_HANDLE);

    // Closing the buffer unbinds the message built in it, even if a new buffer reuses the address.
    {
        OutgoingMessage out;
        out.Start().Add(1, "x");
        ASSERT_TRUE(otp_close_scratch(out.Buffer(), nullptr));
        BufHndl reopened = nullptr;
        ASSERT_TRUE(otp_open_scratch(&reopened, OTP_SCRATCH_SIZE, nullptr));
        EXPECT_FALSE(otp_get_field(out.Handle(), 1, nullptr, &err));
        EXPECT_EQ(err, OTP_ERR_NOT_STARTED);
        EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 2, 1, "y", &err));
        EXPECT_EQ(err, OTP_ERR_NOT_STARTED);
        otp_close_scratch(reopened, nullptr);
    }

    // A received message belongs to the library: readable, never changed or freed by its reader.
    connect::ReceivedMessage received(Message().Add(1, "x"));
    EXPECT_FALSE(otp_dtor_primecb(received.Handle(), &err));
    EXPECT_EQ(err, OTP_ERR_NOT_OWNER);
    EXPECT_FALSE(otp_add_data_as_cstring(received.Handle(), 2, 1, "y", &err));
    EXPECT_EQ(err, OTP_ERR_NOT_OWNER);
    EXPECT_EQ(ReadText(received.Handle(), 1, 0), "x");
}

TEST(ScratchBufferTest, ABufferWrittenOverByItsUserReadsAsMalformed)
{
    OutgoingMessage out;
    out.Start().Add(1, "abc");
    out.Bytes()[4 + 16 + 3] = 'z'; // the terminator of the value
    int err = OTP_OK;
    EXPECT_FALSE(otp_get_field(out.Handle(), 1, nullptr, &err));
    EXPECT_EQ(err, OTP_ERR_MALFORMED);
    EXPECT_FALSE(otp_add_data_as_cstring(out.Handle(), 2, 1, "y", &err));
    EXPECT_EQ(err, OTP_ERR_MALFORMED);
    std::vector<std::uint8_t> wire;
    EXPECT_FALSE(connect::CopyWire(out.Handle(), wire, &err));

    out.Bytes()[1] = 0x7F; // a body longer than the buffer
    EXPECT_FALSE(otp_get_field(out.Handle(), 1, nullptr, &err));
    EXPECT_EQ(err, OTP_ERR_MALFORMED);
}
