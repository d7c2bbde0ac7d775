// Checkers' decisions: applied exactly once, in one transaction, with their outcome published;
// refused with a reason the checker can read when they come from the request's maker, are late,
// or contradict the request.
#include "OmsTestSupport.h"

#include "oms/LimitOwner.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteDatabase.h"

using namespace oms_test;
using oms::EntityKind;
using oms::RequestRecord;

namespace
{

std::string First(const oms::FieldValues& fields, int id)
{
    const auto it = fields.find(id);
    return it == fields.end() ? "<absent>" : it->second.front();
}

TEST_F(ServerTest, AcceptAppliesEachKindOfChangeAndPublishesTheOutcome)
{
    const RequestRecord add = Pending(oms::kAddUser, "DEALER");
    const RequestRecord modify = Pending(oms::kModifyClient);
    const RequestRecord remove = Pending(oms::kDeleteUser);
    const RequestRecord limits = Pending(oms::kRmsLimits);
    const std::vector<oms::ChangedField> modifyChanges =
        Read<std::vector<oms::ChangedField>>([&](oms::Store& s) { return s.Changes(modify.key); });
    const std::vector<oms::ChangedField> limitChanges =
        Read<std::vector<oms::ChangedField>>([&](oms::Store& s) { return s.Changes(limits.key); });
    ASSERT_TRUE(Fields(EntityKind::User, add.entity).empty());
    ASSERT_FALSE(Fields(EntityKind::User, remove.entity).empty());
    publisher.Clear();

    for (const RequestRecord& r : {add, modify, remove, limits})
    {
        const Answer answer = Ask(Accept(r, "CHECKER2"), "m-" + std::to_string(r.key));
        EXPECT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
        EXPECT_EQ(Request(r.key)->status, "accepted");
        EXPECT_EQ(Request(r.key)->decidedBy, "CHECKER2");
    }
    EXPECT_EQ(First(Fields(EntityKind::User, add.entity), 31003), add.entity);
    const oms::FieldValues account = Fields(EntityKind::Account, modify.entity);
    for (const oms::ChangedField& change : modifyChanges)
        EXPECT_EQ(account.at(change.id), change.values) << change.id;
    EXPECT_TRUE(Fields(EntityKind::User, remove.entity).empty());
    const oms::FieldValues owner = Fields(EntityKind::Limits, limits.entity);
    for (const oms::ChangedField& change : limitChanges)
        EXPECT_EQ(owner.at(change.id), change.values) << change.id;

    // Each outcome is published once, with the fields its pending form was published with.
    for (const RequestRecord& r : {add, modify, remove, limits})
    {
        const std::vector<connect::Message> about = publisher.About(r.key);
        ASSERT_EQ(about.size(), 1u) << r.key;
        EXPECT_EQ(Values(about[0], 54211), std::vector<std::string>{"accepted"});
        EXPECT_EQ(Values(about[0], 54294), std::vector<std::string>{"CHECKER2"});
        const connect::Message pendingForm = oms::PublishedForm(r);
        for (int id : {63713, 54036, 54247, 64056, 64053, 64052, 31003, 54001})
        {
            const std::string* before = pendingForm.Value(id);
            EXPECT_EQ(about[0].Value(id) ? *about[0].Value(id) : "-", before ? *before : "-") << id;
        }
        const std::vector<oms::DecisionEntry> log = Log(r.key);
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].outcome, "applied");
        EXPECT_EQ(log[0].decision, "accept");
        EXPECT_EQ(log[0].messageId, "m-" + std::to_string(r.key));
    }
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, RejectRecordsTheReasonAndLeavesTheEntityAlone)
{
    const RequestRecord modify = Pending(oms::kModifyUser, "DEALER");
    const oms::FieldValues before = Fields(EntityKind::User, modify.entity);

    Answer answer = Ask(Reject(modify, "CHECKER2", "   "));
    EXPECT_EQ(answer.Code(), oms::kStatusBadMessage);
    EXPECT_NE(answer.Text().find("needs its reason"), std::string::npos);
    EXPECT_EQ(Request(modify.key)->status, "auth pending");

    answer = Ask(Reject(modify, "CHECKER2", "PAN does not match the KYC documents"));
    EXPECT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    EXPECT_EQ(Request(modify.key)->status, "rejected");
    EXPECT_EQ(Fields(EntityKind::User, modify.entity), before);
    const std::vector<oms::DecisionEntry> log = Log(modify.key);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].outcome, "refused");
    EXPECT_EQ(log[1].outcome, "applied");
    EXPECT_EQ(log[1].reason, "PAN does not match the KYC documents");
    ASSERT_EQ(publisher.About(modify.key).size(), 1u);
    EXPECT_EQ(Values(publisher.About(modify.key)[0], 54211), std::vector<std::string>{"rejected"});
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, UpdateAppliesTheEditedLimitValues)
{
    const RequestRecord limits = Pending(oms::kRmsLimits);
    const std::vector<oms::ChangedField> changes =
        Read<std::vector<oms::ChangedField>>([&](oms::Store& s) { return s.Changes(limits.key); });
    ASSERT_FALSE(changes.empty());
    const int changed = changes.front().id;

    // A value of the wrong form, a field that is no limit: refused, nothing applied.
    EXPECT_EQ(Ask(Update(limits.key, "CHECKER2", {{64037, "E"}})).Code(), oms::kStatusBadMessage);
    const Answer notALimit = Ask(Update(limits.key, "CHECKER2", {{30001, "Someone"}}));
    EXPECT_EQ(notALimit.Code(), oms::kStatusBadMessage);
    EXPECT_NE(notALimit.Text().find("30001 is not a limit"), std::string::npos);
    EXPECT_EQ(Request(limits.key)->status, "auth pending");

    // The edited value wins over the maker's, and a limit the maker did not touch is set too.
    const std::string edited = changed == 41236 || changed == 64210 || changed == 64211 ? "4200" : "4200.50";
    const Answer answer =
        Ask(Update(limits.key, "CHECKER2", {{changed, edited}, {64037, "no"}, {41000, "75000.00"}}));
    ASSERT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    EXPECT_NE(answer.Text().find("with 3 edited limits"), std::string::npos);
    const oms::FieldValues owner = Fields(EntityKind::Limits, limits.entity);
    EXPECT_EQ(First(owner, changed), edited);
    EXPECT_EQ(First(owner, 64037), "no");
    EXPECT_EQ(First(owner, 41000), "75000.00");
    for (const oms::ChangedField& change : changes)
    {
        if (change.id != changed && change.id != 64037 && change.id != 41000)
        {
            EXPECT_EQ(owner.at(change.id), change.values);
        }
    }
    const std::vector<oms::DecisionEntry> log = Log(limits.key);
    EXPECT_EQ(log.back().decision, "update");
    EXPECT_EQ(log.back().edited, std::to_string(changed) + "=" + edited + ";64037=no;41000=75000.00");

    // Edited values for anything but limits are refused.
    const RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    connect::Message update = Accept(user, "CHECKER2");
    update.Add(64031, "1000.00");
    const Answer refused = Ask(update);
    EXPECT_EQ(refused.Code(), oms::kStatusBadMessage);
    EXPECT_NE(refused.Text().find("RMS Limits requests only"), std::string::npos);
}

TEST_F(ServerTest, AnEditedLimitTheServerCannotKeepIsRefusedWithItsReasonAndTheRequestStaysPending)
{
    const RequestRecord limits = Pending(oms::kRmsLimits);
    const oms::FieldValues before = Fields(EntityKind::Limits, limits.entity);
    const std::pair<std::pair<int, std::string>, std::string> refusals[] = {
        {{64031, "-5.00"},
         "The edited cash-margin (64031) cannot be negative, not '-5.00'; nothing was done"},
        {{64031, "1234567890123456.00"}, "cash-margin (64031) has more than 15 digits before the point"},
        {{41236, "-1"}, "order-quantity (41236) cannot be negative"},
    };
    for (const auto& [edit, reason] : refusals)
    {
        const Answer answer = Ask(Update(limits.key, "CHECKER2", {edit}));
        EXPECT_EQ(answer.Code(), oms::kStatusBadMessage);
        EXPECT_NE(answer.Text().find(reason), std::string::npos) << answer.Text();
    }
    EXPECT_EQ(Request(limits.key)->status, "auth pending");
    EXPECT_EQ(Fields(EntityKind::Limits, limits.entity), before);
    const std::vector<oms::DecisionEntry> log = Log(limits.key);
    ASSERT_EQ(log.size(), 3u);
    for (const oms::DecisionEntry& entry : log)
        EXPECT_EQ(entry.outcome, "refused");
    EXPECT_TRUE(publisher.About(limits.key).empty()) << "nothing is published for a refusal";
}

TEST_F(ServerTest, TheSameMessageTwiceIsAppliedOnce)
{
    const RequestRecord limits = Pending(oms::kRmsLimits);
    const connect::Message update = Update(limits.key, "CHECKER2", {{41000, "1000.00"}});
    const Answer first = Ask(update, "abc-7");
    ASSERT_EQ(first.Code(), oms::kStatusOk);
    // Changed in the meantime: the resend must not apply its value again.
    server->WithStore(
        [&](oms::Store& s) {
            s.PutFields(EntityKind::Limits, limits.entity, {{41000, {"5.00"}}});
        });
    const Answer second = Ask(update, "abc-7");
    EXPECT_EQ(second.Code(), first.Code());
    EXPECT_EQ(second.Text(), first.Text());
    EXPECT_EQ(First(Fields(EntityKind::Limits, limits.entity), 41000), "5.00");
    EXPECT_EQ(Log(limits.key).size(), 1u);
    EXPECT_EQ(publisher.About(limits.key).size(), 1u);

    // Another message deciding it again is a second decision, and refused as one.
    const Answer other = Ask(update, "abc-8");
    EXPECT_EQ(other.Code(), oms::kStatusAlreadyDecided);
    EXPECT_NE(other.Text().find("was already accepted by CHECKER2 at"), std::string::npos);
    EXPECT_EQ(Log(limits.key).size(), 2u);
    // A refusal is answered the same way when its message comes again.
    EXPECT_EQ(Ask(update, "abc-8").Text(), other.Text());
    EXPECT_EQ(Log(limits.key).size(), 2u);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, AMakerCannotDecideHisOwnRequestWhateverTheMessageSays)
{
    // The demo checker's own request is among the seeded ones.
    const RequestRecord own = Read<RequestRecord>(
        [](oms::Store& s)
        {
            std::optional<RequestRecord> found;
            s.ForEachPending(
                [&](const RequestRecord& r)
                {
                    if (r.maker == "CHECKER1")
                        found = r;
                });
            return *found;
        });
    // Hand-built: the message names another checker, but the terminal's session is the maker's.
    Answer answer = Ask(Accept(own, "CHECKER2"), "x-1", {"CHECKER1", "KIVO", 0});
    EXPECT_EQ(answer.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(answer.Text(),
              "The decision names checker CHECKER2, but it was sent by CHECKER1; nothing was done");
    // Without a checker field the session decides, and it is the maker.
    connect::Message bare;
    bare.Add(0, "om_authenticate_functionality").Add(51803, std::to_string(own.key)).Add(10303, "accepted");
    answer = Ask(bare, "x-2", {"CHECKER1", "KIVO", 0});
    EXPECT_EQ(answer.Code(), oms::kStatusOwnRequest);
    EXPECT_NE(answer.Text().find("a maker cannot authorise his own request"), std::string::npos);
    // Without a session the message's checker counts.
    EXPECT_EQ(Ask(Reject(own, "CHECKER1", "mine")).Code(), oms::kStatusOwnRequest);

    EXPECT_EQ(Request(own.key)->status, "auth pending");
    EXPECT_TRUE(publisher.About(own.key).empty());
    for (const oms::DecisionEntry& entry : Log(own.key))
        EXPECT_EQ(entry.outcome, "refused");
    EXPECT_EQ(Log(own.key).size(), 3u);
    // Anyone else may decide it.
    EXPECT_EQ(Ask(Accept(own, "CHECKER2"), "x-3", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, ADecisionThatContradictsItsRequestIsRefused)
{
    const RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    const std::string key = std::to_string(user.key);
    // A decision of CHECKER2 with these fields after the checker's.
    const auto decision = [](const std::vector<std::pair<int, std::string>>& fields)
    {
        connect::Message m;
        m.Add(0, "om_authenticate_functionality").Add(54294, "CHECKER2");
        for (const auto& [id, value] : fields)
            m.Add(id, value);
        return m;
    };
    connect::Message wrongEntity;
    wrongEntity.Add(0, "om_authenticate_functionality").Add(31003, "SOMEONE").Add(54294, "CHECKER2");
    wrongEntity.Add(51803, key).Add(63713, "340").Add(10303, "accepted");
    EXPECT_EQ(Ask(wrongEntity).Code(), oms::kStatusBadMessage);
    EXPECT_EQ(Ask(decision({{51803, key}, {63713, "353"}, {10303, "accepted"}})).Code(),
              oms::kStatusBadMessage)
        << "the wrong type";
    EXPECT_EQ(Ask(decision({{51803, key}})).Code(), oms::kStatusBadMessage) << "no status";
    const Answer none = Ask(decision({{51803, "999999"}, {10303, "accepted"}}));
    EXPECT_EQ(none.Code(), oms::kStatusNoRequest);
    EXPECT_EQ(none.Text(), "There is no request 999999");
    EXPECT_EQ(Request(user.key)->status, "auth pending");
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, AnInvestorsClientWaitsForItsUserEvenInOneBatch)
{
    const RequestRecord client = Pending(oms::kAddClient, oms::kInvestorClient);
    const std::optional<RequestRecord> user = [&]
    {
        std::optional<std::int64_t> key = Read<std::optional<std::int64_t>>(
            [&](oms::Store& s) { return s.PendingFor(EntityKind::User, client.user); });
        return key ? Request(*key) : std::nullopt;
    }();
    ASSERT_TRUE(user);

    const Answer early = Ask(Accept(client, "CHECKER2"));
    EXPECT_EQ(early.Code(), oms::kStatusCannotApply);
    EXPECT_NE(early.Text().find("accept the user's request first"), std::string::npos);
    EXPECT_TRUE(Fields(EntityKind::Account, client.entity).empty());

    // The terminal sends the user's accept, then the client's: together, in that order, both hold.
    const std::vector<Answer> answers =
        AskTogether({{Accept(*user, "CHECKER2"), "batch-0"}, {Accept(client, "CHECKER2"), "batch-1"}});
    EXPECT_EQ(answers[0].Code(), oms::kStatusOk) << answers[0].Text();
    EXPECT_EQ(answers[1].Code(), oms::kStatusOk) << answers[1].Text();
    EXPECT_EQ(Read<std::optional<oms::EntityRow>>([&](oms::Store& s)
                                                  { return s.Entity(EntityKind::Account, client.entity); })
                  ->linkedUser,
              user->entity);
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

TEST_F(ServerTest, DecisionsThatArriveTogetherAreAppliedOnceAndAnsweredOnlyOnceDurable)
{
    const RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    const RequestRecord account = Pending(oms::kModifyClient);
    publisher.Clear();
    // Another connection sees only what was committed: every answer must find its decision there.
    oms::SqliteDatabase reader(DatabasePath(), oms::SqliteDatabase::Mode::OpenExisting);
    std::vector<std::string> committedWhenAnswered(4);
    const std::int64_t keys[] = {user.key, user.key, user.key, account.key};
    const std::vector<Answer> answers =
        AskTogether({{Accept(user, "CHECKER2"), "together-1"},
                     {Accept(user, "CHECKER2"), "together-1"}, // the terminal's resend, in the same batch
                     {Reject(user, "CHECKER2", "late"), "together-2"},
                     {Reject(account, "CHECKER2", "Bank proof missing"), "together-3"}},
                    [&](std::size_t i)
                    {
                        committedWhenAnswered[i] = reader.QueryText(
                            "SELECT status FROM requests WHERE key = " + std::to_string(keys[i]));
                    });

    EXPECT_EQ(answers[0].Code(), oms::kStatusOk);
    EXPECT_EQ(answers[1].Code(), oms::kStatusOk);
    EXPECT_EQ(answers[1].Text(), answers[0].Text());
    EXPECT_EQ(answers[2].Code(), oms::kStatusAlreadyDecided);
    EXPECT_EQ(answers[3].Code(), oms::kStatusOk);
    EXPECT_EQ(committedWhenAnswered,
              (std::vector<std::string>{"accepted", "accepted", "accepted", "rejected"}));

    const std::vector<oms::DecisionEntry> log = Log(user.key);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].outcome, "applied");
    EXPECT_EQ(log[0].messageId, "together-1");
    EXPECT_EQ(log[1].outcome, "refused");
    EXPECT_EQ(log[1].messageId, "together-2");
    EXPECT_EQ(Log(account.key).size(), 1u);
    // Each outcome published once, in the order of the decisions.
    const std::vector<connect::Message> published = publisher.Published();
    ASSERT_EQ(published.size(), 2u);
    EXPECT_EQ(Values(published[0], 51803), std::vector<std::string>{std::to_string(user.key)});
    EXPECT_EQ(Values(published[0], 54211), std::vector<std::string>{"accepted"});
    EXPECT_EQ(Values(published[1], 51803), std::vector<std::string>{std::to_string(account.key)});
    EXPECT_EQ(Values(published[1], 54211), std::vector<std::string>{"rejected"});
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

} // namespace
