// Who may decide and ask what, whatever a message says of its sender: on the bus the sender is
// whom the bus authenticated, and everything else about him comes from the server's table.
#include "OmsTestSupport.h"

#include "oms/BusGrants.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteTransaction.h"

#include <filesystem>

using namespace oms_test;

namespace
{

class AuthorisationTest : public ServerTest
{
protected:
    // The oldest pending request that matches, about a KIVO entity of branch 'branch' (any when
    // empty).
    oms::RequestRecord PendingOf(int type, const std::string& branch = "")
    {
        return Read<oms::RequestRecord>(
            [&](oms::Store& s)
            {
                std::optional<oms::RequestRecord> found;
                s.ForEachPending(
                    [&](const oms::RequestRecord& r)
                    {
                        if (!found && r.type == type && r.category != oms::kInvestorClient &&
                            (branch.empty() || r.branch == branch))
                            found = r;
                    });
                if (!found)
                    throw std::runtime_error("no such pending request");
                return *found;
            });
    }
    // A change entered now for a dealer of the branch who has none pending.
    oms::RequestRecord EnteredFor(const std::string& branch)
    {
        const std::string dealer = Read<std::string>(
            [&](oms::Store& s)
            {
                for (const std::string& id : s.EntityIds(oms::EntityKind::User, "DEALER"))
                {
                    if (s.Entity(oms::EntityKind::User, id)->branch == branch &&
                        !s.PendingFor(oms::EntityKind::User, id))
                        return id;
                }
                throw std::runtime_error("no free dealer in " + branch);
            });
        return *Request(server->Enter({"MAKER1", oms::kModifyUser, dealer, {{"email", "x@kivo-trade.in"}}}));
    }
    std::int64_t RefusalCount()
    {
        return Read<std::int64_t>([](oms::Store& s) { return std::stoll(s.Db().QueryText("SELECT COUNT(*) FROM refusals")); });
    }
    std::string LastRefusal()
    {
        return Read<std::string>([](oms::Store& s)
                                 { return s.Db().QueryText("SELECT sender || ': ' || status_text FROM refusals "
                                                           "ORDER BY seq DESC LIMIT 1"); });
    }
};

TEST_F(AuthorisationTest, OnTheBusTheSenderIsWhomTheBusAuthenticatedNotWhomTheMessageNames)
{
    const oms::RequestRecord r = PendingOf(oms::kModifyUser);

    // A maker names a checker in the message, or in a session of his own making.
    Answer named = AskAs(Accept(r, "CHECKER2"), "MAKER1", {}, "m-1");
    EXPECT_EQ(named.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(named.Text(), "The decision names checker CHECKER2, but it was sent by MAKER1; nothing was done");
    Answer session = AskAs(Accept(r, "CHECKER2"), "MAKER1", {"CHECKER2", "KIVO", 0}, "m-2");
    EXPECT_EQ(session.Code(), oms::kStatusBadMessage);
    EXPECT_NE(session.Text().find("came on MAKER1's connection, but its session names CHECKER2"), std::string::npos);

    // Spellings that are no user are nobody, whatever they resemble.
    for (const std::string spelling : {"NOBODY", "maker1", "MAKER1 ", "checker2"})
    {
        Answer unknown = AskAs(Accept(r, spelling), spelling, {}, "m-" + spelling);
        EXPECT_EQ(unknown.Code(), oms::kStatusUnknownUser) << spelling;
    }

    // A terminal that claims more than its user has is refused, not corrected.
    Answer claimed = AskAs(Accept(r, "CHECKER2"), "CHECKER2", {"CHECKER2", "KIVO", 2}, "m-3");
    EXPECT_EQ(claimed.Code(), oms::kStatusNotAuthorised);
    EXPECT_EQ(claimed.Text(), "The terminal of CHECKER2 claims level 2 of broker KIVO, but this server knows "
                              "CHECKER2 at level 0 of broker KIVO; nothing was done");
    EXPECT_EQ(Request(r.key)->status, oms::kPending);

    // Each refusal is in the log under whoever sent it, and nothing was applied.
    const std::vector<oms::DecisionEntry> log = Log(r.key);
    ASSERT_EQ(log.size(), 7u);
    EXPECT_EQ(log[0].checker, "MAKER1");
    for (const oms::DecisionEntry& entry : log)
        EXPECT_EQ(entry.outcome, "refused");

    // The checker himself, as his terminal says he is.
    Answer applied = AskAs(Accept(r, "CHECKER2"), "CHECKER2", {"CHECKER2", "KIVO", 0}, "m-4");
    EXPECT_EQ(applied.Code(), oms::kStatusOk) << applied.Text();
    EXPECT_EQ(Request(r.key)->decidedBy, "CHECKER2");
}

TEST_F(AuthorisationTest, RolesAndLevelsDecideWhoMayDecideWhat)
{
    // A dealer sees the requests about himself, but checks nothing.
    const std::int64_t own =
        server->Enter({"MAKER1", oms::kModifyUser, "KV1001", {{"email", "dealer@kivo-trade.in"}}});
    Answer dealer = AskAs(Accept(*Request(own), "KV1001"), "KV1001", {"KV1001", "KIVO", 4}, "d-1");
    EXPECT_EQ(dealer.Code(), oms::kStatusNotAuthorised);
    EXPECT_NE(dealer.Text().find("KV1001 may not decide MODIFY USER requests"), std::string::npos) << dealer.Text();

    // A risk manager decides limits, not users.
    const oms::RequestRecord user = PendingOf(oms::kModifyUser);
    EXPECT_EQ(AskAs(Accept(user, "RMS1"), "RMS1", {"RMS1", "KIVO", 0}, "r-1").Code(), oms::kStatusNotAuthorised);
    const oms::RequestRecord limits = PendingOf(oms::kRmsLimits);
    EXPECT_EQ(AskAs(Accept(limits, "RMS1"), "RMS1", {"RMS1", "KIVO", 0}, "r-2").Code(), oms::kStatusOk);

    // A branch administrator decides his branch's requests, and cannot even see another's.
    const oms::RequestRecord delhi = EnteredFor("KIVO-DEL");
    Answer other = AskAs(Accept(delhi, "KIVO-MUM"), "KIVO-MUM", {"KIVO-MUM", "KIVO", 2}, "b-1");
    EXPECT_EQ(other.Code(), oms::kStatusNotVisible) << other.Text();
    EXPECT_EQ(Request(delhi.key)->status, oms::kPending);
    EXPECT_EQ(Request(user.key)->status, oms::kPending);
    EXPECT_EQ(Request(own)->status, oms::kPending);
}

TEST_F(AuthorisationTest, FourEyesHoldForAUserWhoIsBothMakerAndChecker)
{
    // CHECKER1 enters a change and then tries to accept it himself, however he words it.
    const std::int64_t key =
        server->Enter({"CHECKER1", oms::kModifyUser, "KV1001", {{"email", "own@kivo-trade.in"}}});
    const oms::RequestRecord r = *Request(key);
    EXPECT_EQ(AskAs(Accept(r, "CHECKER1"), "CHECKER1", {"CHECKER1", "KIVO", 0}, "4e-1").Code(), oms::kStatusOwnRequest);
    EXPECT_EQ(AskAs(Accept(r, "CHECKER2"), "CHECKER1", {}, "4e-2").Code(), oms::kStatusBadMessage);
    EXPECT_EQ(AskAs(Accept(r, "CHECKER1"), "CHECKER1", {"CHECKER2", "KIVO", 0}, "4e-3").Code(),
              oms::kStatusBadMessage);
    // In the terminal's own server too.
    EXPECT_EQ(Ask(Accept(r, "CHECKER1"), "4e-4", {"CHECKER1", "KIVO", 0}).Code(), oms::kStatusOwnRequest);
    EXPECT_EQ(Request(key)->status, oms::kPending);
    EXPECT_EQ(AskAs(Accept(r, "CHECKER2"), "CHECKER2", {"CHECKER2", "KIVO", 0}, "4e-5").Code(), oms::kStatusOk);
}

TEST_F(AuthorisationTest, AFieldOfOneValueWithSeveralIsRefusedAndNothingApplied)
{
    const oms::RequestRecord first = PendingOf(oms::kModifyUser);
    const oms::RequestRecord second = PendingOf(oms::kRmsLimits);
    connect::Message twoKeys = Accept(first, "CHECKER2");
    twoKeys.Add(51803, std::to_string(second.key));
    Answer keys = AskAs(twoKeys, "CHECKER2", {}, "v-1");
    EXPECT_EQ(keys.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(keys.Text(), "Field 51803 holds 2 values where one belongs; nothing was done");
    connect::Message twoNames = Accept(first, "CHECKER2");
    twoNames.Add(54294, "CHECKER1");
    EXPECT_EQ(AskAs(twoNames, "CHECKER2", {}, "v-2").Code(), oms::kStatusBadMessage);
    EXPECT_EQ(Request(first.key)->status, oms::kPending);
    EXPECT_EQ(Request(second.key)->status, oms::kPending);
    EXPECT_TRUE(publisher.About(first.key).empty());

    // Queries and recovery are held to the same shape.
    connect::Message query = Details("om_get_auth_user_details", first.key, "CHECKER2");
    query.Add(51803, std::to_string(second.key));
    EXPECT_EQ(AskAs(query, "CHECKER2").Code(), oms::kStatusBadMessage);
}

TEST_F(AuthorisationTest, AMessageIdUsedForAnotherMessageIsRefusedAndTheFirstDecisionStands)
{
    const oms::RequestRecord first = PendingOf(oms::kModifyUser);
    const oms::RequestRecord second = PendingOf(oms::kRmsLimits);
    const connect::Session checker{"CHECKER2", "KIVO", 0};
    ASSERT_EQ(AskAs(Accept(first, "CHECKER2"), "CHECKER2", checker, "same-id").Code(), oms::kStatusOk);

    Answer reused = AskAs(Reject(second, "CHECKER2", "Not now"), "CHECKER2", checker, "same-id");
    EXPECT_EQ(reused.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(reused.Text(), "Message id same-id was used before for another message; nothing was done");
    EXPECT_EQ(Request(second.key)->status, oms::kPending);
    // The same message from someone else is not a resend either.
    EXPECT_EQ(AskAs(Accept(first, "CHECKER2"), "CHECKER1", {"CHECKER1", "KIVO", 0}, "same-id").Code(),
              oms::kStatusBadMessage);
    // A true resend still gets the first answer and changes nothing.
    Answer resent = AskAs(Accept(first, "CHECKER2"), "CHECKER2", checker, "same-id");
    EXPECT_EQ(resent.Code(), oms::kStatusOk);
    // The first decision, and the refusal of the other sender's message under its id.
    const std::vector<oms::DecisionEntry> log = Log(first.key);
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].outcome, "applied");
    EXPECT_EQ(log[1].outcome, "refused");
    EXPECT_EQ(publisher.About(first.key).size(), 1u);
}

TEST_F(AuthorisationTest, RefusedMessagesLeaveEntriesOfBoundedSize)
{
    const oms::RequestRecord r = PendingOf(oms::kModifyUser);
    const std::uintmax_t before = std::filesystem::file_size(DatabasePath()) +
                                  (std::filesystem::exists(DatabasePath() + "-wal")
                                       ? std::filesystem::file_size(DatabasePath() + "-wal")
                                       : 0);
    for (int i = 0; i < 5; ++i)
    {
        Answer huge = AskAs(Reject(r, "CHECKER2", std::string(1 << 20, 'x')), "NOBODY-" + std::string(1000, 'y'),
                            {}, "big-" + std::to_string(i));
        EXPECT_EQ(huge.Code(), oms::kStatusBadMessage);
        EXPECT_NE(huge.Text().find("more than the 4096 this function takes"), std::string::npos) << huge.Text();
    }
    for (const oms::DecisionEntry& entry : Log(r.key))
    {
        EXPECT_LE(entry.reason.size(), 600u);
        EXPECT_LE(entry.checker.size(), 100u);
    }
    server.reset(); // folds the write-ahead log in
    const std::uintmax_t after = std::filesystem::file_size(DatabasePath());
    EXPECT_LT(after, before + 64 * 1024);

    // A reason longer than a checker can type is refused too, in a message that fits.
    MakeServer();
    Answer longReason = AskAs(Reject(r, "CHECKER2", std::string(oms::kMaxReasonLength + 1, 'r')), "CHECKER2",
                              {"CHECKER2", "KIVO", 0}, "long");
    EXPECT_EQ(longReason.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(Request(r.key)->status, oms::kPending);
    EXPECT_EQ(AskAs(Reject(r, "CHECKER2", std::string(oms::kMaxReasonLength, 'r')), "CHECKER2",
                    {"CHECKER2", "KIVO", 0}, "fits")
                  .Code(),
              oms::kStatusOk);
}

TEST_F(AuthorisationTest, QueriesAndRecoveryFollowTheSameRulesAndRefusalsAreNoted)
{
    // A dealer who claims level 0 lists nothing, and the claim is noted with its sender.
    Answer claimed = AskAs(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "KV1001"), "KV1001",
                           {"KV1001", "KIVO", 0});
    EXPECT_EQ(claimed.Code(), oms::kStatusNotAuthorised);
    EXPECT_TRUE(claimed.Data().empty());
    EXPECT_EQ(RefusalCount(), 1);
    EXPECT_NE(LastRefusal().find("KV1001: The terminal of KV1001 claims level 0"), std::string::npos) << LastRefusal();
    // Asking in another's name on the bus is refused.
    EXPECT_EQ(AskAs(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "ADMIN1"), "KV1001",
                    {"KV1001", "KIVO", 4})
                  .Code(),
              oms::kStatusBadMessage);
    // As he is: his own requests only.
    server->Enter({"MAKER1", oms::kModifyUser, "KV1001", {{"email", "mine@kivo-trade.in"}}});
    Answer own = AskAs(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "KV1001"), "KV1001",
                       {"KV1001", "KIVO", 4});
    ASSERT_EQ(own.Code(), oms::kStatusOk);
    ASSERT_EQ(own.Data().size(), 1u);
    EXPECT_EQ(*own.Data()[0].Value(31003), "KV1001");

    // Details: a risk manager reads limits, not users' personal data; nobody reads what his level
    // does not show him.
    const oms::RequestRecord user = PendingOf(oms::kModifyUser);
    EXPECT_EQ(AskAs(Details("om_get_auth_user_details", user.key, "RMS1"), "RMS1", {"RMS1", "KIVO", 0}).Code(),
              oms::kStatusNotAuthorised);
    const oms::RequestRecord delhi = EnteredFor("KIVO-DEL");
    EXPECT_EQ(AskAs(Details("om_get_auth_user_details", delhi.key, "KIVO-MUM"), "KIVO-MUM",
                    {"KIVO-MUM", "KIVO", 2})
                  .Code(),
              oms::kStatusNotVisible);
    EXPECT_EQ(AskAs(Details("om_get_auth_user_details", delhi.key, "CHECKER1"), "CHECKER1",
                    {"CHECKER1", "KIVO", 0})
                  .Code(),
              oms::kStatusOk);
}

TEST_F(AuthorisationTest, AMakerOnTheBusEntersRequestsAsHimselfOnly)
{
    const auto lines = [](const std::string& maker, std::vector<std::string> text)
    {
        connect::Message m = connect::Message().Add(0, "om_enter_requests");
        if (!maker.empty())
            m.Add(54247, maker);
        return m.AddValues(1, text);
    };
    Answer named = AskAs(lines("MAKER2", {"modify-user KV1001 email=a@kivo-trade.in"}), "MAKER1");
    EXPECT_EQ(named.Code(), oms::kStatusBadMessage);
    EXPECT_NE(named.Text().find("name maker MAKER2, but they came from MAKER1's connection"), std::string::npos);
    Answer line = AskAs(lines("", {"modify-user KV1001 email=a@kivo-trade.in",
                                   "maker=MAKER2 limits broker:ASHV remarks=x"}),
                        "MAKER1");
    EXPECT_EQ(line.Code(), oms::kStatusBadMessage);
    EXPECT_EQ(line.Text(), "Line 2: the request names maker MAKER2, but it came from MAKER1's connection; nothing "
                           "was entered");
    Answer own = AskAs(lines("", {"modify-user KV1001 email=a@kivo-trade.in"}), "MAKER1");
    ASSERT_EQ(own.Code(), oms::kStatusOk) << own.Text();
    EXPECT_EQ(*own.Data()[0].Value(54247), "MAKER1");
}

TEST_F(AuthorisationTest, OnASecuredBusAUserNeedsACurrentGrant)
{
    MakeServer(0, true);
    const oms::RequestRecord r = PendingOf(oms::kModifyUser);
    const connect::Session checker{"CHECKER2", "KIVO", 0};
    Answer none = AskAs(Reject(r, "CHECKER2", "Why"), "CHECKER2", checker, "g-1");
    EXPECT_EQ(none.Code(), oms::kStatusNotAuthorised);
    EXPECT_NE(none.Text().find("CHECKER2 has no access to the message bus"), std::string::npos);

    server->WithStore(
        [](oms::Store& store)
        {
            oms::SqliteTransaction transaction(store.Db());
            oms::BusGrants(store.Db()).Grant("CHECKER2", "$2b$06$hash", oms::Store::Now());
            oms::BusGrants(store.Db()).Grant("CHECKER1", "$2b$06$hash", oms::Store::Now());
            oms::BusGrants(store.Db()).Revoke("CHECKER1", oms::Store::Now());
            transaction.Commit();
        });
    EXPECT_EQ(AskAs(Reject(r, "CHECKER1", "Why"), "CHECKER1", {"CHECKER1", "KIVO", 0}, "g-2").Code(),
              oms::kStatusNotAuthorised);
    EXPECT_EQ(AskAs(Reject(r, "CHECKER2", "Why"), "CHECKER2", checker, "g-3").Code(), oms::kStatusOk);
    // A maker too: whoever is not given access enters nothing.
    const connect::Message lines =
        connect::Message().Add(0, "om_enter_requests").Add(1, "modify-user KV1001 email=x@kivo-trade.in");
    EXPECT_EQ(AskAs(lines, "MAKER1").Code(), oms::kStatusNotAuthorised);
}

} // namespace
