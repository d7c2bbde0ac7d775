#include "connect/BusSubjects.h"
#include "connect/BusOptions.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using connect::BusSubjects;
using connect::Message;
using connect::SubscriptionFilter;

namespace
{

// NATS's own rule: a pattern token '*' takes any one token, every other token must be equal.
bool SubjectMatches(const std::string& pattern, const std::string& subject)
{
    std::vector<std::string> p, s;
    for (auto [text, out] : {std::pair{&pattern, &p}, std::pair{&subject, &s}})
    {
        std::string token;
        for (const char c : *text + ".")
        {
            if (c == '.')
                out->push_back(std::exchange(token, {}));
            else
                token += c;
        }
    }
    if (p.size() != s.size())
        return false;
    for (std::size_t i = 0; i < p.size(); ++i)
    {
        if (p[i] != "*" && p[i] != s[i])
            return false;
    }
    return true;
}

Message Published(const char* broker, const char* branch, const char* type, const char* user, const char* key)
{
    Message message;
    message.Add(54211, "auth pending");
    if (broker)
        message.Add(64056, broker);
    if (branch)
        message.Add(64053, branch);
    if (type)
        message.Add(63713, type);
    if (user)
        message.Add(31003, user);
    if (key)
        message.Add(51803, key);
    return message;
}

} // namespace

TEST(BusSubjectsTest, TheSubjectPatternOfAFilterChoosesExactlyWhatTheFilterMatches)
{
    const BusSubjects subjects("kivo");
    // The console's filters by privilege level, and one with a value the subject must escape.
    const std::vector<SubscriptionFilter> filters = {
        SubscriptionFilter().Require(64056).Require(63713).Require(51803),
        SubscriptionFilter().Require(63713).Require(64056, "KIVO").Require(51803),
        SubscriptionFilter().Require(64056, "KIVO").Require(63713).Require(64053, "KIVO-MUM").Require(51803),
        SubscriptionFilter().Require(63713).Require(31003, "KV1001").Require(51803),
        SubscriptionFilter().Require(31003, "a.b *>~"),
        SubscriptionFilter().Require(31003, ""),
    };
    const std::vector<Message> messages = {
        Published("KIVO", "KIVO-MUM", "340", "KV1001", "100001"),
        Published("KIVO", "KIVO-DEL", "340", "KV1002", "100002"),
        Published("ASHV", "KIVO-MUM", "353", nullptr, "100003"),
        Published("KIVO", nullptr, "360", nullptr, "100004"),
        Published("KIVO", "KIVO-MUM", "360", "KV1001", nullptr),
        Published(nullptr, "KIVO-MUM", "340", "KV1001", "100006"),
        Published("KIVO", "KIVO-MUM", "339", "a.b *>~", "100007"),
        Published("KIVO", "KIVO-MUM", "339", "", "100008"),
        Published("KIVO", "KIVO-MUM", "339", "a.b *>", "100009"),
    };
    for (std::size_t f = 0; f < filters.size(); ++f)
    {
        const std::string pattern = subjects.FilterSubject(filters[f]);
        EXPECT_TRUE(BusSubjects::SubjectSaysAll(filters[f]));
        for (std::size_t m = 0; m < messages.size(); ++m)
            EXPECT_EQ(SubjectMatches(pattern, subjects.PublishedSubject(messages[m])),
                      filters[f].Matches(messages[m]))
                << "filter " << f << " (" << pattern << "), message " << m << " ("
                << subjects.PublishedSubject(messages[m]) << ")";
    }
}

TEST(BusSubjectsTest, SubjectsAreValidTokensWhateverTheValues)
{
    const BusSubjects subjects("kivo");
    EXPECT_EQ(subjects.PublishedSubject(Published("KIVO", "KIVO-MUM", "340", nullptr, "100001")),
              "kivo.published.p.KIVO.p.KIVO-MUM.p.340.a._.p.100001");
    EXPECT_EQ(BusSubjects::Token("a.b *>~"), "a~2Eb~20~2A~3E~7E");
    EXPECT_EQ(BusSubjects::Token(""), "~");
    EXPECT_EQ(BusSubjects::Token(std::string("\0\xff", 2)), "~00~FF");
    EXPECT_EQ(subjects.Stream(), "kivo_published");
    EXPECT_THROW(BusSubjects("a.b"), std::invalid_argument);
    EXPECT_THROW(BusSubjects(""), std::invalid_argument);
}

TEST(BusSubjectsTest, EachUserHasARequestSubjectAndAnInboxOfHisOwnAndTheSenderIsReadBack)
{
    const BusSubjects subjects("kivo");
    EXPECT_EQ(subjects.RequestsFrom("CHECKER1"), "kivo.requests.CHECKER1");
    EXPECT_EQ(subjects.InboxOf("CHECKER1"), "kivo.inbox.CHECKER1");
    EXPECT_EQ(subjects.AllRequests(), "kivo.requests.*");
    EXPECT_EQ(subjects.RequestsFrom(BusSubjects::kServerUser), "kivo.requests.~40kivo-oms");
    // Whatever the name, the subject gives back exactly that name, and only a token Token wrote
    // stands for one: no two subjects for one user, no subject for two.
    for (const std::string& user :
         std::vector<std::string>{"CHECKER1", "KIVO-MUM", "a.b", "x y*>", "~", std::string("\0\xff", 2)})
    {
        EXPECT_EQ(subjects.SenderOf(subjects.RequestsFrom(user)), user) << user;
        EXPECT_EQ(BusSubjects::FromToken(BusSubjects::Token(user)), user) << user;
    }
    EXPECT_FALSE(BusSubjects::FromToken("~41")); // 'A' is written as itself
    EXPECT_FALSE(BusSubjects::FromToken("~2e")); // escapes are upper case
    EXPECT_FALSE(BusSubjects::FromToken("a~"));
    EXPECT_FALSE(subjects.SenderOf("kivo.requests"));
    EXPECT_FALSE(subjects.SenderOf("kivo.requests.A.B"));
    EXPECT_FALSE(subjects.SenderOf("kivo.requests.~"));
    EXPECT_FALSE(subjects.SenderOf("other.requests.A"));
}

TEST(BusSubjectsTest, CredentialsAreReadFromAPrivateFileOnly)
{
    ScopedTempDir folder;
    const std::string file = folder / "user.creds";
    std::ofstream(file) << "# comment\r\nuser = CHECKER1\npassword =  s3cret-Value_1 \n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    connect::BusOptions options;
    options.LoadCredentials(file);
    EXPECT_EQ(options.user, "CHECKER1");
    EXPECT_EQ(options.password, "s3cret-Value_1");

    const auto refused = [&](const std::string& why)
    {
        try
        {
            connect::BusOptions other;
            other.LoadCredentials(file);
        }
        catch (const std::invalid_argument& error)
        {
            return std::string(error.what()).find(why) != std::string::npos;
        }
        return false;
    };
    std::filesystem::permissions(file, std::filesystem::perms::group_read, std::filesystem::perm_options::add);
    EXPECT_TRUE(refused("can be read by others than their owner"));
    std::filesystem::permissions(file, std::filesystem::perms::group_read, std::filesystem::perm_options::remove);
    std::ofstream(file) << "user = CHECKER1\n";
    EXPECT_TRUE(refused("name no user or no password"));
    std::ofstream(file) << "user = CHECKER1\ntoken = x\n";
    EXPECT_TRUE(refused("unknown key \"token\" on line 2"));
    std::filesystem::remove(file);
    EXPECT_TRUE(refused("no such file"));
}

TEST(BusSubjectsTest, AFilterOnAFieldOutsideTheSubjectIsCheckedOnArrival)
{
    SubscriptionFilter byCategory;
    byCategory.Require(64056, "KIVO").Require(54036, "INVESTOR_CLIENT");
    EXPECT_FALSE(BusSubjects::SubjectSaysAll(byCategory));
    // The pattern still narrows by what it can say.
    EXPECT_EQ(BusSubjects("kivo").FilterSubject(byCategory), "kivo.published.p.KIVO.*.*.*.*.*.*.*.*");
    SubscriptionFilter twice;
    twice.Require(64056, "KIVO").Require(64056, "ASHV");
    EXPECT_FALSE(BusSubjects::SubjectSaysAll(twice));
}

TEST(BusSubjectsTest, APublicationIdDependsOnEveryByte)
{
    const auto a = Published("KIVO", "KIVO-MUM", "340", "KV1001", "100001").ToWire();
    const auto b = Published("KIVO", "KIVO-MUM", "340", "KV1001", "100002").ToWire();
    EXPECT_EQ(BusSubjects::PublicationId(a), BusSubjects::PublicationId(a));
    EXPECT_NE(BusSubjects::PublicationId(a), BusSubjects::PublicationId(b));
    EXPECT_EQ(BusSubjects::PublicationId(a).size(), 32u);
}

TEST(BusSubjectsTest, BusUrlsAreCheckedWithAMessageThatShowsTheForm)
{
    EXPECT_FALSE(connect::BusOptions::CheckUrl("nats://127.0.0.1:4222"));
    EXPECT_FALSE(connect::BusOptions::CheckUrl("nats://bus.example:4222,nats://other:4223"));
    EXPECT_FALSE(connect::BusOptions::CheckUrl("nats://localhost"));
    EXPECT_FALSE(connect::BusOptions::CheckUrl("tls://bus.example:4222"));
    for (const char* bad : {"", "127.0.0.1:4222", "http://x:1", "nats://", "nats://:4222", "nats://h:0",
                            "nats://h:65536", "nats://h:12x", "nats://h:4222,", "nats://h:-1"})
    {
        const auto error = connect::BusOptions::CheckUrl(bad);
        ASSERT_TRUE(error) << bad;
        EXPECT_NE(error->find("nats://127.0.0.1:4222"), std::string::npos) << *error;
    }
}
