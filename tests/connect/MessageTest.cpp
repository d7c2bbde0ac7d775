#include "connect/Message.h"
#include "connect/ReplyStream.h"
#include "connect/WireFormat.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using connect::Message;
namespace wire = connect::wire;

namespace
{

Message SampleMessage()
{
    Message message;
    message.Add(32767, "om_get_auth_user_details");
    message.AddValues(31003, {"NEWUSER", "OLDUSER"});
    message.Add(-5, "");
    message.Add(64056, std::string("with\0zero", 9));
    message.Add(31003, "third");
    return message;
}

std::vector<std::uint8_t> Word(std::uint32_t value)
{
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

} // namespace

TEST(MessageTest, FieldsKeepTheirOrderAndGatherTheirValues)
{
    const Message message = SampleMessage();
    ASSERT_EQ(message.Fields().size(), 4u);
    EXPECT_EQ(message.Fields()[1].id, 31003);
    EXPECT_EQ(message.Fields()[1].values, (std::vector<std::string>{"NEWUSER", "OLDUSER", "third"}));
    EXPECT_EQ(message.ValueCount(31003), 3u);
    EXPECT_EQ(*message.Value(31003, 1), "OLDUSER");
    EXPECT_EQ(message.Value(31003, 3), nullptr);
    EXPECT_EQ(message.Value(1), nullptr);
    EXPECT_EQ(message.ValueCount(1), 0u);
    EXPECT_EQ(*message.Value(-5), "");

    Message copy = message;
    EXPECT_THROW(copy.AddValues(7, {}), std::invalid_argument);
    EXPECT_EQ(copy, message);
}

TEST(MessageTest, WireRoundTripKeepsEverything)
{
    Message large;
    large.Add(1, std::string(70000, 'x'));
    for (int id = 2; id < 300; ++id)
        large.AddValues(id, {std::to_string(id), std::to_string(-id)});

    for (const Message& original : {Message(), SampleMessage(), large})
    {
        const std::vector<std::uint8_t> bytes = original.ToWire();
        wire::Error error = wire::Error::Truncated;
        const std::optional<Message> back = Message::FromWire(bytes, &error);
        ASSERT_TRUE(back.has_value());
        EXPECT_EQ(error, wire::Error::None);
        EXPECT_EQ(*back, original);
        EXPECT_EQ(back->ToWire(), bytes);
    }
    EXPECT_EQ(Message().ToWire(), Word(0));
}

TEST(MessageTest, WireLayoutIsTheDocumentedOne)
{
    // A header word with the body length, then the record: length, id, count, and each value as
    // length, bytes and a zero byte; every word little-endian.
    std::vector<std::uint8_t> expected = Word(19);
    for (const auto& part : {Word(15), Word(0x01020304), Word(1), Word(2)})
        expected.insert(expected.end(), part.begin(), part.end());
    expected.insert(expected.end(), {'a', 'b', 0});
    EXPECT_EQ(Message().Add(0x01020304, "ab").ToWire(), expected);
}

TEST(MessageTest, MalformedBytesAreRejectedWithTheirReason)
{
    const std::vector<std::uint8_t> good = Message().Add(1, "ab").Add(2, "c").ToWire();
    struct Case
    {
        const char* name;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        wire::Error expected;
    };
    const auto setWord = [](std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value)
    {
        const std::vector<std::uint8_t> word = Word(value);
        std::copy(word.begin(), word.end(), bytes.begin() + static_cast<long>(at));
    };
    const Case cases[] = {
        {"no header", [](auto& b) { b.resize(3); }, wire::Error::Truncated},
        {"body longer than the bytes", [&](auto& b) { setWord(b, 0, 40); }, wire::Error::Truncated},
        {"byte after the last field", [](auto& b) { b.push_back(0); }, wire::Error::TrailingBytes},
        {"header beyond the size limit", [&](auto& b) { setWord(b, 0, 0xFFFFFFF0u); }, wire::Error::TooLarge},
        {"record past the end", [&](auto& b) { setWord(b, 4, 200); }, wire::Error::Truncated},
        {"record shorter than its values", [&](auto& b) { setWord(b, 4, 14); }, wire::Error::BadRecordLength},
        {"value longer than its record", [&](auto& b) { setWord(b, 16, 3); }, wire::Error::BadRecordLength},
        {"field without values", [&](auto& b) { setWord(b, 12, 0); }, wire::Error::NoValues},
        {"hostile value count", [&](auto& b) { setWord(b, 12, 0x7FFFFFFF); }, wire::Error::BadRecordLength},
        {"value without its zero byte", [](auto& b) { b[22] = 'z'; }, wire::Error::MissingTerminator},
        {"field id twice", [&](auto& b) { setWord(b, 27, 1); }, wire::Error::DuplicateField},
    };
    for (const Case& c : cases)
    {
        std::vector<std::uint8_t> bytes = good;
        c.damage(bytes);
        wire::Error error = wire::Error::None;
        EXPECT_FALSE(Message::FromWire(bytes, &error).has_value()) << c.name;
        EXPECT_EQ(error, c.expected) << c.name << ": " << wire::ErrorText(error);
    }
    // No proper prefix of a message is a message.
    for (std::size_t size = 0; size < good.size(); ++size)
        EXPECT_FALSE(Message::FromWire(std::span(good.data(), size)).has_value()) << size;
}

TEST(ReplyStreamTest, NothingFollowsTheClosingReply)
{
    std::vector<Message> sent;
    connect::ReplyStream replies("f", [&sent](const Message& m) { sent.push_back(m); });
    EXPECT_TRUE(replies.Reply(Message().Add(32767, "other")));
    EXPECT_FALSE(replies.Close(0, "x", Message().Add(32766, "own")));
    // A reply that carries field 32766 itself is the closing one.
    EXPECT_TRUE(replies.Reply(Message().Add(32766, "0")));
    EXPECT_FALSE(replies.Reply(Message().Add(3, "late")));
    EXPECT_FALSE(replies.Close(0, "again"));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(*sent[0].Value(32767), "other");
}
