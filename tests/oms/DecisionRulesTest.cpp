// The checks a decision passes, one test each, in the order the server makes them: a decision
// that breaks one is refused with its status and reason, logged as refused, and changes nothing
// else: the request stays pending, its entity as it was, nothing is published.
#include "OmsTestSupport.h"

#include "oms/ServerStatus.h"

#include <gmock/gmock.h>

using namespace oms_test;
using oms::EntityKind;
using oms::RequestRecord;
using testing::HasSubstr;

namespace
{

class DecisionRulesTest : public ServerTest
{
protected:
    // Sends the decision under a message id of its own and checks that it was refused with this
    // status and a text holding 'says', and that 'request' (when the decision names one) is as it
    // was before.
    void ExpectRefused(const connect::Message& decision, int code, const std::string& says,
                       const std::optional<RequestRecord>& request, const connect::Session& session = {})
    {
        const std::string id = "rule-" + std::to_string(++m_sent);
        std::optional<RequestRecord> before;
        oms::FieldValues fields;
        std::size_t logged = 0;
        if (request)
        {
            before = Request(request->key);
            fields = Fields(request->kind, request->entity);
            logged = Log(request->key).size();
        }
        const std::size_t published = publisher.Published().size();

        const Answer answer = Ask(decision, id, session);
        EXPECT_EQ(answer.Code(), code) << answer.Text();
        EXPECT_THAT(answer.Text(), HasSubstr(says));
        const std::optional<oms::DecisionEntry> entry = Read<std::optional<oms::DecisionEntry>>(
            [&id](oms::Store& s) { return s.DecisionByMessageId(id); });
        ASSERT_TRUE(entry) << "every refusal is logged";
        EXPECT_EQ(entry->outcome, "refused");
        EXPECT_EQ(entry->statusCode, code);
        EXPECT_EQ(entry->statusText, answer.Text());
        EXPECT_EQ(publisher.Published().size(), published) << "a refusal publishes nothing";
        if (!request)
            return;
        const std::optional<RequestRecord> after = Request(request->key);
        EXPECT_EQ(after->status, before->status);
        EXPECT_EQ(after->decidedBy, before->decidedBy);
        EXPECT_EQ(after->decidedAt, before->decidedAt);
        EXPECT_EQ(Fields(request->kind, request->entity), fields);
        EXPECT_EQ(Log(request->key).size(), logged + 1);
    }

    RequestRecord ModifiedUser() { return Pending(oms::kModifyUser, "DEALER"); }

private:
    int m_sent = 0;
};

TEST_F(DecisionRulesTest, TheCheckerNamedMustBeTheUserOfTheTerminalThatSentIt)
{
    const RequestRecord user = ModifiedUser();
    ExpectRefused(
        Accept(user, "CHECKER2"), oms::kStatusBadMessage,
        "The decision names checker CHECKER2, but it was sent by CHECKER1; nothing was done",
        user, {"CHECKER1", "KIVO", 0});
    // The same message from CHECKER2's own terminal is his.
    EXPECT_EQ(Ask(Accept(user, "CHECKER2"), "own-terminal", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
}

TEST_F(DecisionRulesTest, ADecisionNeedsItsChecker)
{
    const RequestRecord user = ModifiedUser();
    connect::Message nobody;
    nobody.Add(0, "om_authenticate_functionality")
        .Add(51803, std::to_string(user.key))
        .Add(10303, "accepted");
    ExpectRefused(nobody, oms::kStatusBadMessage, "A decision needs its checker (54294); nothing was done",
                  user);
    ExpectRefused(Accept(user, ""), oms::kStatusBadMessage, "needs its checker", user);
}

TEST_F(DecisionRulesTest, ADecisionNeedsAKeyThatReadsAsANumber)
{
    for (const char* key : {"", "100001x", "x100001", " 100001", "99999999999999999999"})
    {
        SCOPED_TRACE(key);
        connect::Message decision;
        decision.Add(0, "om_authenticate_functionality")
            .Add(54294, "CHECKER2")
            .Add(51803, key)
            .Add(10303, "accepted");
        ExpectRefused(decision, oms::kStatusBadMessage,
                      "A decision needs the request's key (51803); nothing was done", std::nullopt);
    }
    connect::Message none;
    none.Add(0, "om_authenticate_functionality").Add(54294, "CHECKER2").Add(10303, "accepted");
    ExpectRefused(none, oms::kStatusBadMessage, "needs the request's key", std::nullopt);
}

TEST_F(DecisionRulesTest, ADecisionSaysAcceptedOrRejected)
{
    const RequestRecord user = ModifiedUser();
    connect::Message withdrawn = DecisionFor(user, "CHECKER2").Add(51803, std::to_string(user.key));
    ExpectRefused(connect::Message(withdrawn).Add(10303, "withdrawn"), oms::kStatusBadMessage,
                  "A decision says \"accepted\" or \"rejected\" (10303), not \"withdrawn\"; nothing was done",
                  user);
    ExpectRefused(connect::Message(withdrawn).Add(10303, "Accepted"), oms::kStatusBadMessage,
                  "not \"Accepted\"", user);
    ExpectRefused(withdrawn, oms::kStatusBadMessage, "not \"\"", user);
}

TEST_F(DecisionRulesTest, AKeyOfNoRequestIsAnsweredSo)
{
    connect::Message decision;
    decision.Add(0, "om_authenticate_functionality")
        .Add(54294, "CHECKER2")
        .Add(51803, "999999")
        .Add(10303, "rejected");
    decision.Add(32766, "no such request");
    ExpectRefused(decision, oms::kStatusNoRequest, "There is no request 999999", std::nullopt);
}

TEST_F(DecisionRulesTest, TheRequestsMakerCannotDecideIt)
{
    const RequestRecord user = ModifiedUser();
    ExpectRefused(Reject(user, user.maker, "changed my mind"), oms::kStatusOwnRequest,
                  "Request " + std::to_string(user.key) + " (MODIFY USER " + user.entity +
                      ") was entered by " + user.maker + ": a maker cannot authorise his own request",
                  user);
}

// Accepted or rejected, a decided request takes no second decision of either kind.
TEST_F(DecisionRulesTest, ADecidedRequestIsNotDecidedAgain)
{
    const RequestRecord accepted = ModifiedUser();
    const RequestRecord rejected = Pending(oms::kModifyClient);
    ASSERT_EQ(Ask(Accept(accepted, "CHECKER2"), "first-1").Code(), oms::kStatusOk);
    ASSERT_EQ(Ask(Reject(rejected, "CHECKER2", "Bank proof missing"), "first-2").Code(), oms::kStatusOk);
    const std::string acceptedAt = Request(accepted.key)->decidedAt;
    const std::string rejectedAt = Request(rejected.key)->decidedAt;

    ExpectRefused(Accept(accepted, "CHECKER2"), oms::kStatusAlreadyDecided,
                  "Request " + std::to_string(accepted.key) + " (MODIFY USER " + accepted.entity +
                      ") was already accepted by CHECKER2 at " + acceptedAt,
                  accepted);
    ExpectRefused(Reject(accepted, "CHECKER2", "too late"), oms::kStatusAlreadyDecided,
                  "was already accepted", accepted);
    ExpectRefused(Accept(rejected, "CHECKER2"), oms::kStatusAlreadyDecided,
                  "Request " + std::to_string(rejected.key) + " (MODIFY CLIENT " + rejected.entity +
                      ") was already rejected by CHECKER2 at " + rejectedAt,
                  rejected);
    ExpectRefused(Reject(rejected, "CHECKER2", "again"), oms::kStatusAlreadyDecided, "was already rejected",
                  rejected);
    EXPECT_EQ(Request(rejected.key)->status, "rejected");
    EXPECT_EQ(publisher.About(rejected.key).size(), 1u);
}

TEST_F(DecisionRulesTest, TheTypeGivenMustBeTheRequests)
{
    const RequestRecord user = ModifiedUser();
    connect::Message decision = DecisionFor(user, "CHECKER2")
                                    .Add(51803, std::to_string(user.key))
                                    .Add(63713, "353")
                                    .Add(10303, "accepted");
    ExpectRefused(decision, oms::kStatusBadMessage,
                  "The decision says type 353, but request " + std::to_string(user.key) + " (MODIFY USER " +
                      user.entity + ") is of type 340; nothing was done",
                  user);
}

TEST_F(DecisionRulesTest, TheEntityGivenMustBeTheRequests)
{
    const RequestRecord user = ModifiedUser();
    const RequestRecord account = Pending(oms::kModifyClient);
    connect::Message wrongUser;
    wrongUser.Add(0, "om_authenticate_functionality").Add(31003, "SOMEONE").Add(54294, "CHECKER2");
    wrongUser.Add(51803, std::to_string(user.key)).Add(10303, "accepted");
    ExpectRefused(wrongUser, oms::kStatusBadMessage,
                  "The decision names SOMEONE, but request " + std::to_string(user.key) + " (MODIFY USER " +
                      user.entity + ") is about " + user.entity + "; nothing was done",
                  user);
    connect::Message wrongAccount;
    wrongAccount.Add(0, "om_authenticate_functionality").Add(54001, "ELSEWHERE").Add(54294, "CHECKER2");
    wrongAccount.Add(51803, std::to_string(account.key)).Add(10303, "accepted");
    ExpectRefused(wrongAccount, oms::kStatusBadMessage, "names ELSEWHERE, but request", account);
}

TEST_F(DecisionRulesTest, EditedValuesAreForLimitsRequestsOnly)
{
    const RequestRecord user = ModifiedUser();
    ExpectRefused(Accept(user, "CHECKER2").Add(64031, "1000.00"), oms::kStatusBadMessage,
                  "Edited values are for RMS Limits requests only, and request " + std::to_string(user.key) +
                      " (MODIFY USER " + user.entity + ") is not one; nothing was done",
                  user);
}

TEST_F(DecisionRulesTest, ARejectionNeedsAReason)
{
    const RequestRecord user = ModifiedUser();
    for (const char* reason : {"", " ", "     "})
        ExpectRefused(Reject(user, "CHECKER2", reason), oms::kStatusBadMessage,
                      "A rejection needs its reason (32766); nothing was done", user);
    connect::Message noReason =
        DecisionFor(user, "CHECKER2").Add(51803, std::to_string(user.key)).Add(10303, "rejected");
    ExpectRefused(noReason, oms::kStatusBadMessage, "needs its reason", user);
}

TEST_F(DecisionRulesTest, AnEditedValueIsALimitOfItsOwnForm)
{
    const RequestRecord limits = Pending(oms::kRmsLimits);
    ExpectRefused(Update(limits.key, "CHECKER2", {{30001, "Someone"}}), oms::kStatusBadMessage,
                  "Field 30001 is not a limit; nothing was done", limits);
    ExpectRefused(Update(limits.key, "CHECKER2", {{64031, "a lot"}}), oms::kStatusBadMessage,
                  "The edited cash-margin (64031) takes an amount", limits);
    // One bad value among good ones refuses them all.
    ExpectRefused(Update(limits.key, "CHECKER2", {{41000, "75000.00"}, {64037, "E"}}), oms::kStatusBadMessage,
                  "The edited", limits);
}

TEST_F(DecisionRulesTest, AChangeThatNoLongerFitsTheDatabaseIsNotApplied)
{
    // An investor's account before its user exists.
    const RequestRecord client = Pending(oms::kAddClient, oms::kInvestorClient);
    ExpectRefused(Accept(client, "CHECKER2"), oms::kStatusCannotApply,
                  "Request " + std::to_string(client.key) + " (ADD CLIENT " + client.entity +
                      ") cannot be accepted: the investor user ",
                  client);
    EXPECT_THAT(Log(client.key).back().statusText,
                HasSubstr("does not exist yet: accept the user's request first"));
    EXPECT_TRUE(Fields(EntityKind::Account, client.entity).empty()) << "nothing of the account was added";

    // A modification whose user is gone meanwhile.
    const RequestRecord user = ModifiedUser();
    server->WithStore([&](oms::Store& s) { s.DeleteEntity(EntityKind::User, user.entity); });
    ExpectRefused(Accept(user, "CHECKER2"), oms::kStatusCannotApply, "cannot be accepted", user);
}

// A message that breaks several rules is answered with the first in the server's order.
TEST_F(DecisionRulesTest, TheFirstRuleBrokenIsTheOneAnswered)
{
    const RequestRecord user = ModifiedUser();
    connect::Message bare;
    bare.Add(0, "om_authenticate_functionality").Add(10303, "maybe");
    ExpectRefused(bare, oms::kStatusBadMessage, "needs its checker", std::nullopt);
    ExpectRefused(connect::Message(bare).Add(54294, "CHECKER2"), oms::kStatusBadMessage,
                  "needs the request's key", std::nullopt);
    // The maker is refused as the maker, even when his decision also contradicts the request.
    connect::Message byMaker = DecisionFor(user, user.maker)
                                   .Add(32766, "")
                                   .Add(63713, "999")
                                   .Add(51803, std::to_string(user.key))
                                   .Add(10303, "rejected");
    ExpectRefused(byMaker, oms::kStatusOwnRequest, "a maker cannot authorise his own request", user);
    // Decided comes before contradicting.
    ASSERT_EQ(Ask(Accept(user, "CHECKER2"), "decide").Code(), oms::kStatusOk);
    connect::Message late = Accept(user, "CHECKER2");
    late.Add(64031, "1000.00");
    ExpectRefused(late, oms::kStatusAlreadyDecided, "was already accepted", user);
}

} // namespace
