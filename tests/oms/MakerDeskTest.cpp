// Makers' requests: what is recorded (only what changes, with the values before the change),
// what is refused and why, and how each request is published so that subscription filters can
// choose it.
#include "OmsTestSupport.h"

#include "oms/MakerCommand.h"
#include "oms/MakerError.h"
#include "oms/Publication.h"
#include "oms/SampleData.h"
#include "oms/SampleRequests.h"
#include "oms/ServerStatus.h"
#include "protocol/Visibility.h"

#include <set>

using namespace oms_test;
using oms::EntityKind;
using oms::MakerRequest;

namespace
{

class MakerDeskTest : public ServerTest
{
protected:
    // The refusal's text, or "entered".
    std::string Try(const MakerRequest& request)
    {
        try
        {
            server->Enter(request);
            return "entered";
        }
        catch (const oms::MakerError& error)
        {
            return error.what();
        }
    }
    std::string FreeDealer()
    {
        return Read<std::string>(
            [](oms::Store& s)
            {
                for (const std::string& id : s.EntityIds(EntityKind::User, "DEALER"))
                {
                    if (!s.PendingFor(EntityKind::User, id) &&
                        !s.PendingFor(EntityKind::Limits, "dealer:" + id))
                        return id;
                }
                return std::string();
            });
    }
};

TEST_F(MakerDeskTest, OnlyWhatChangesIsRecordedWithItsOldValue)
{
    const std::string dealer = FreeDealer();
    const oms::FieldValues before = Fields(EntityKind::User, dealer);
    EXPECT_EQ(Try({"MAKER1", oms::kModifyUser, dealer, {{"name", before.at(30001).front()}}}),
              "the request changes nothing for user " + dealer);
    const std::int64_t key = server->Enter(
        {"MAKER1", oms::kModifyUser, dealer, {{"name", before.at(30001).front()}, {"max-scrips", "0950"}}});
    const std::vector<oms::ChangedField> changes =
        Read<std::vector<oms::ChangedField>>([&](oms::Store& s) { return s.Changes(key); });
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].id, 63227);
    EXPECT_EQ(changes[0].values, std::vector<std::string>{"950"});
    EXPECT_EQ(changes[0].oldValues, before.at(63227));
    // Nothing changes before a checker accepts.
    EXPECT_EQ(Fields(EntityKind::User, dealer), before);
    // One pending request per entity.
    EXPECT_NE(Try({"MAKER2", oms::kDeleteUser, dealer, {}}).find("is still waiting for a checker"),
              std::string::npos);
}

TEST_F(MakerDeskTest, BadRequestsAreRefusedWithTheReason)
{
    const std::string dealer = FreeDealer();
    const auto refusal = [&](const MakerRequest& request) { return Try(request); };
    EXPECT_EQ(refusal({"NOBODY", oms::kModifyUser, dealer, {{"tag", "x"}}}),
              "NOBODY is not a user of this server");
    EXPECT_EQ(refusal({"MAKER1", 341, dealer, {}}),
              "341 is not a request type (339, 340, 365, 353, 354, 366 or 360)");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, "GHOST", {{"tag", "x"}}}), "there is no user GHOST");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"colour", "blue"}}}),
              "'colour' is not a field of a user");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"dob", "1990-02-30"}}}),
              "dob (64903) takes a date written YYYY-MM-DD, not '1990-02-30'");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"status", "Asleep"}}}),
              "status (63213) takes one of Active,Suspended,Closed, not 'Asleep'");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"tag", "a\tb"}}}),
              "tag (63217) takes printable text of at most 200 characters, not 'a\tb'");
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"tag", "x"}, {"63217", "y"}}}),
              "tag is given twice");
    const std::string broker =
        Read<std::string>([&](oms::Store& s) { return s.Entity(EntityKind::User, dealer)->broker; });
    const std::string elsewhere = broker == "ASHV" ? "DHAN-HYD" : "ASHV-AMD";
    EXPECT_EQ(refusal({"MAKER1", oms::kModifyUser, dealer, {{"branch", elsewhere}}}),
              "branch " + elsewhere + " belongs to broker " + (broker == "ASHV" ? "DHAN" : "ASHV") +
                  ": a user stays with broker " + broker);
    EXPECT_EQ(refusal({"MAKER1", oms::kRmsLimits, "client:GHOST", {{"cash-margin", "1"}}}),
              "there is no account GHOST");
    EXPECT_EQ(refusal({"MAKER1", oms::kRmsLimits, "planet:MARS", {{"cash-margin", "1"}}}).substr(0, 32),
              "'planet:MARS' is not a limit own");
    EXPECT_EQ(refusal({"MAKER1", oms::kRmsLimits, "dealer:" + dealer, {{"cash-margin", "-5"}}}),
              "cash-margin (64031) cannot be negative, not '-5'");
    EXPECT_EQ(refusal({"MAKER1", oms::kAddUser, "KV 1", {{"branch", "KIVO-MUM"}, {"name", "A B"}}}),
              "'KV 1' is not a valid user id (letters, digits, '-' and '_', at most 20)");
    EXPECT_EQ(refusal({"MAKER1", oms::kAddUser, dealer, {{"branch", "KIVO-MUM"}, {"name", "A B"}}}),
              "user " + dealer + " exists already");
    EXPECT_EQ(
        refusal({"MAKER1",
                 oms::kAddUser,
                 "NEW1",
                 {{"branch", "KIVO-MUM"}, {"name", "A B"}, {"exchanges", "nse_cm|bse_cm"}, {"expiry", "0"}}}),
        "expiry needs one value for each of the 2 exchanges");
    EXPECT_EQ(refusal({"MAKER1",
                       oms::kAddClient,
                       "NEWC1",
                       {{"branch", "KIVO-MUM"},
                        {"name", "A B"},
                        {"category", "INVESTOR_CLIENT"},
                        {"linked-user", dealer}}}),
              "user " + dealer + " is not an investor (type DEALER)");
    // Nothing of all that was recorded.
    EXPECT_FALSE(Read<std::optional<std::int64_t>>([&](oms::Store& s)
                                                   { return s.PendingFor(EntityKind::User, dealer); }));
}

TEST_F(MakerDeskTest, ANewUserGetsEveryExchangeSettingAndIsPublishedByHisBranch)
{
    const std::int64_t key = server->Enter({"MAKER2",
                                            oms::kAddUser,
                                            "KV0042",
                                            {{"branch", "KIVO-PUN"},
                                             {"name", "Meera Iyer"},
                                             {"exchanges", "nse_cm|mcx_fo"},
                                             {"route-to-rms", "OK|NO"}}});
    const std::vector<oms::ChangedField> changes =
        Read<std::vector<oms::ChangedField>>([&](oms::Store& s) { return s.Changes(key); });
    std::map<int, std::vector<std::string>> byId;
    for (const oms::ChangedField& c : changes)
    {
        byId[c.id] = c.values;
        EXPECT_FALSE(c.oldValues) << c.id;
    }
    EXPECT_EQ(byId[31003], std::vector<std::string>{"KV0042"});
    EXPECT_EQ(byId[64056], std::vector<std::string>{"KIVO"});
    EXPECT_EQ(byId[54036], std::vector<std::string>{"DEALER"});
    EXPECT_EQ(byId[64018], (std::vector<std::string>{"0", "0"}));
    EXPECT_EQ(byId[64013], (std::vector<std::string>{"-1", "-1"}));
    EXPECT_EQ(byId[64025], (std::vector<std::string>{"OK", "NO"}));
    EXPECT_EQ(byId[63076], std::vector<std::string>{"Y"});

    const connect::Message published = publisher.About(key).at(0);
    EXPECT_EQ(Values(published, 54211), std::vector<std::string>{"auth pending"});
    EXPECT_EQ(Values(published, 63713), std::vector<std::string>{"339"});
    EXPECT_EQ(Values(published, 54247), std::vector<std::string>{"MAKER2"});
    EXPECT_EQ(Values(published, 64056), std::vector<std::string>{"KIVO"});
    EXPECT_EQ(Values(published, 64053), std::vector<std::string>{"KIVO-PUN"});
    EXPECT_EQ(Values(published, 31003), std::vector<std::string>{"KV0042"});
    EXPECT_FALSE(published.Has(54001));
}

TEST_F(MakerDeskTest, EachLimitOwnerIsPublishedWithItsOwnFields)
{
    const std::string dealer = FreeDealer();
    struct Case
    {
        std::string owner;
        std::vector<int> present;
        std::vector<int> absent;
    };
    const std::vector<Case> cases = {
        {FreeOwner("broker:"), {64056}, {64053, 64052, 31003, 54001}},
        {FreeOwner("branch:"), {64056, 64053}, {64052, 31003, 54001}},
        {FreeOwner("group:"), {64056, 64052}, {64053, 31003, 54001}},
        {"dealer:" + dealer, {64056, 64053, 31003}, {64052, 54001}},
    };
    for (const Case& c : cases)
    {
        const std::int64_t key = server->Enter({"MAKER1", oms::kRmsLimits, c.owner, {{"turnover", "77777"}}});
        const connect::Message published = publisher.About(key).at(0);
        for (int id : c.present)
            EXPECT_TRUE(published.Has(id)) << c.owner << " " << id;
        for (int id : c.absent)
            EXPECT_FALSE(published.Has(id)) << c.owner << " " << id;
        // Every request is seen at privilege level 0.
        EXPECT_TRUE(protocol::VisibilityFilter(0, "X", "Y")->Matches(published));
    }
}

TEST_F(MakerDeskTest, TheGeneratorEntersRequestsOfEveryKindThatTheServerTakes)
{
    oms::SampleData data(7);
    std::set<int> types;
    int entered = 0;
    for (int i = 0; i < 150; ++i)
    {
        std::vector<MakerRequest> requests;
        server->WithStore([&](oms::Store& s) { requests = oms::SampleRequests(s, data).Any("MAKER1"); });
        for (const MakerRequest& request : requests)
        {
            EXPECT_NE(request.maker, "MAKER1");
            const std::string result = Try(request);
            // A generated request may clash only with one entered before it.
            if (result != "entered")
            {
                EXPECT_NE(result.find("still waiting"), std::string::npos) << result;
                continue;
            }
            types.insert(request.type);
            ++entered;
        }
    }
    EXPECT_GT(entered, 100);
    EXPECT_EQ(types, (std::set<int>{339, 340, 353, 354, 360, 365, 366}));
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

} // namespace

namespace
{

TEST(MakerCommandTest, WordsBecomeARequest)
{
    std::string error;
    const auto words = oms::MakerCommand::Split(
        R"(maker=MAKER2  modify-user KV1001 address="12, \"Sai\" Krupa, Pune" tag=Online "remarks=a b")",
        &error);
    ASSERT_TRUE(words);
    const auto request = oms::MakerCommand::Parse(*words, "MAKER1", &error);
    ASSERT_TRUE(request) << error;
    EXPECT_EQ(request->maker, "MAKER2");
    EXPECT_EQ(request->type, oms::kModifyUser);
    EXPECT_EQ(request->entity, "KV1001");
    EXPECT_EQ(request->fields,
              (std::vector<std::pair<std::string, std::string>>{
                  {"address", "12, \"Sai\" Krupa, Pune"}, {"tag", "Online"}, {"remarks", "a b"}}));

    const auto parse = [&](const char* line, const std::string& maker = "M")
    {
        error.clear();
        const auto split = oms::MakerCommand::Split(line, &error);
        return split && oms::MakerCommand::Parse(*split, maker, &error) ? std::string("ok") : error;
    };
    EXPECT_EQ(parse(R"(limits broker:KIVO remarks="open)"), "a quote is not closed");
    EXPECT_EQ(parse("rename-user KV1"), "'rename-user' is not a request: add-user, modify-user, delete-user, "
                                        "add-account, modify-account, delete-account or limits");
    EXPECT_EQ(parse("limits"), "limits needs the limit owner (e.g. client:KVC10001)");
    EXPECT_EQ(parse("delete-user KV1 now"), "'now' is not FIELD=VALUE");
    EXPECT_EQ(parse("delete-user KV1", ""),
              "the request needs its maker (--maker ID, or maker=ID first on the line)");
    EXPECT_EQ(parse("delete-user KV1"), "ok");
}


// Makers' messages that arrive together share a transaction until it holds some thousands of
// lines: small ones go in one, files of thousands each go in their own (committed, and published,
// one after another rather than all at the end).
TEST_F(MakerDeskTest, MakersMessagesArrivingTogetherShareATransactionUpToSomeThousandsOfLines)
{
    std::vector<std::string> runs;
    server->Log().SetSink(
        [&runs](const std::string& line)
        {
            if (line.find("\"requests entered\"") != std::string::npos)
                runs.push_back(line.substr(line.find("\"messages\"")));
        });
    std::int64_t next = 0;
    const auto message = [&next](std::size_t lines)
    {
        connect::Message m;
        m.Add(0, oms::MakerCommand::kEnterFunction);
        for (std::size_t i = 0; i < lines; ++i, ++next)
            m.Add(oms::MakerCommand::kLineField, "maker=MAKER1 add-user TX" + std::to_string(next) +
                                                     " name=\"Batch " + std::to_string(next) + "\" branch=KIVO-MUM");
        return m;
    };
    const std::vector<std::pair<connect::Message, std::string>> small = {
        {message(10), "small-1"}, {message(10), "small-2"}, {message(10), "small-3"}};
    for (const Answer& answer : AskTogether(small))
        EXPECT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    const std::vector<std::pair<connect::Message, std::string>> files = {
        {message(1000), "file-1"}, {message(1000), "file-2"}, {message(2000), "file-3"}, {message(10), "small-4"}};
    for (const Answer& answer : AskTogether(files))
        EXPECT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    // A run that reached the limit ends there: the small message after a file goes alone.
    EXPECT_EQ(runs, (std::vector<std::string>{"\"messages\":3,\"requests\":30,\"messages_refused\":0}",
                                              "\"messages\":2,\"requests\":2000,\"messages_refused\":0}",
                                              "\"messages\":1,\"requests\":2000,\"messages_refused\":0}",
                                              "\"messages\":1,\"requests\":10,\"messages_refused\":0}"}));
}

} // namespace
