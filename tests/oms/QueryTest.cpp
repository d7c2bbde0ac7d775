// Detail queries and recovery: each field with its new value (0) and old value (1), then the
// closing reply; recovery lists exactly the pending requests the asking user may see.
#include "OmsTestSupport.h"

#include "oms/MakerDesk.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"

#include <set>

using namespace oms_test;
using oms::EntityKind;
using oms::RequestRecord;

namespace
{

class QueryTest : public ServerTest
{
protected:
    std::int64_t Enter(const oms::MakerRequest& request) { return server->Enter(request); }
};

TEST_F(QueryTest, AModificationShowsEachChangedFieldBesideItsOldValue)
{
    const std::string dealer =
        Read<std::vector<std::string>>([](oms::Store& s) { return s.EntityIds(EntityKind::User, "DEALER"); })
            .front();
    const oms::FieldValues before = Fields(EntityKind::User, dealer);
    const std::string oldStatus = before.at(63213).front();
    const std::string newStatus = oldStatus == "Active" ? "Suspended" : "Active";
    const std::string segment = before.at(63001).at(0);
    const std::string oldRoute = before.at(64025).at(0);
    const std::int64_t key = server->Enter({"MAKER1",
                                            oms::kModifyUser,
                                            dealer,
                                            {{"status", newStatus},
                                             {"email", before.at(50110).front()}, // unchanged: not listed
                                             {"exchanges", segment},
                                             {"route-to-rms", oldRoute == "OK" ? "NO" : "OK"},
                                             {"order-types", "LIMIT|MARKET|SL"}}});

    const Answer answer = Ask(Details("om_get_auth_user_details", key, "CHECKER1"));
    ASSERT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
    ASSERT_EQ(answer.Data().size(), 1u);
    const connect::Message reply = answer.Data()[0];
    EXPECT_EQ(Values(reply, 32767), std::vector<std::string>{"om_get_auth_user_details"});
    EXPECT_EQ(Values(reply, 31003), std::vector<std::string>{dealer});
    EXPECT_EQ(Values(reply, 63213), (std::vector<std::string>{newStatus, oldStatus}));
    EXPECT_FALSE(reply.Has(50110));
    // One exchange changes: its name, then its setting new and old.
    EXPECT_EQ(Values(reply, 63001), std::vector<std::string>{segment});
    EXPECT_EQ(Values(reply, 64025), (std::vector<std::string>{oldRoute == "OK" ? "NO" : "OK", oldRoute}));
    EXPECT_FALSE(reply.Has(64018));
    // A list is sent as it will be; terminals show its values one a row.
    EXPECT_EQ(Values(reply, 10109), (std::vector<std::string>{"LIMIT", "MARKET", "SL"}));
}

TEST_F(QueryTest, ANewUserIsSentWithEveryFieldAndOneValuePerExchange)
{
    const RequestRecord add = Pending(oms::kAddUser, "DEALER");
    const Answer answer = Ask(Details("om_get_auth_user_details", add.key, "CHECKER1"));
    ASSERT_EQ(answer.Code(), oms::kStatusOk);
    const connect::Message reply = answer.Data().at(0);
    EXPECT_EQ(Values(reply, 31003), std::vector<std::string>{add.entity});
    for (int id : {30001, 54036, 64056, 64053, 50110, 64916})
        EXPECT_EQ(reply.ValueCount(id), 1u) << id;
    const std::size_t exchanges = reply.ValueCount(63001);
    ASSERT_GT(exchanges, 0u);
    for (int id : {64018, 64013, 64027, 64025})
        EXPECT_EQ(reply.ValueCount(id), exchanges) << id;
    EXPECT_EQ(reply.ValueCount(63076), 1u);
}

TEST_F(QueryTest, LimitsNameTheirOwnerAndCarryWhatTerminalsNeedToShowThem)
{
    // A client's limits: the owner's field alone, each limit new and old.
    const std::string owner = Read<std::string>(
        [](oms::Store& s)
        {
            for (const std::string& id : s.EntityIds(EntityKind::Limits))
            {
                if (id.rfind("client:", 0) == 0 && !s.PendingFor(EntityKind::Limits, id) &&
                    s.Fields(EntityKind::Limits, id).count(64031))
                    return id;
            }
            return std::string();
        });
    ASSERT_FALSE(owner.empty());
    const std::string account = owner.substr(7);
    const oms::FieldValues current = Fields(EntityKind::Limits, owner);
    const std::int64_t client =
        Enter({"MAKER1",
               oms::kRmsLimits,
               owner,
               {{"cash-margin", "2500"}, {"adhoc-margin", "1000"}, {"order-quantity", "00500"}}});
    connect::Message reply = Ask(Details("om_get_auth_limits_details", client, "CHECKER1")).Data().at(0);
    EXPECT_EQ(Values(reply, 54001), std::vector<std::string>{account});
    for (int id : {64056, 64053, 64052, 31003})
        EXPECT_FALSE(reply.Has(id)) << id;
    EXPECT_EQ(Values(reply, 64031), (std::vector<std::string>{"2500.00", current.at(64031).front()}));
    // A limit the owner did not have comes without an old value.
    if (!current.count(41236))
    {
        EXPECT_EQ(Values(reply, 41236), std::vector<std::string>{"500"});
    }
    // The adhoc margin comes with the gate that lets terminals show it.
    EXPECT_EQ(Values(reply, 64174), std::vector<std::string>{"OK"});

    // A branch's limits: the branch, and its exposure texts as they stand even when unchanged.
    const RequestRecord branch = Read<RequestRecord>(
        [](oms::Store& s)
        {
            oms::MakerDesk desk(s);
            oms::MakerRequest request{
                "MAKER1", oms::kRmsLimits, FreeLimitOwner(s, "branch:"), {{"exposure", "123456789"}}};
            const std::int64_t key = desk.Enter(request);
            return *s.Request(key);
        });
    reply = Ask(Details("om_get_auth_limits_details", branch.key, "CHECKER1")).Data().at(0);
    EXPECT_EQ(Values(reply, 64053), std::vector<std::string>{branch.entity.substr(7)});
    const oms::FieldValues branchLimits = Fields(EntityKind::Limits, branch.entity);
    for (int id : {41282, 64420, 64421, 41336})
        EXPECT_EQ(Values(reply, id), branchLimits.at(id)) << id;
    EXPECT_FALSE(reply.Has(64174));
}

TEST_F(QueryTest, AQueryThatCannotBeAnsweredSaysWhy)
{
    const RequestRecord user = Pending(oms::kModifyUser, "DEALER");
    const auto code = [&](const connect::Message& m, const connect::Session& s = {})
    { return Ask(m, "", s).Code(); };
    EXPECT_EQ(code(Details("om_get_auth_account_details", user.key, "CHECKER1")), oms::kStatusBadMessage);
    EXPECT_EQ(code(Details("om_get_auth_user_details", 999999, "CHECKER1")), oms::kStatusNoRequest);
    EXPECT_EQ(code(connect::Message().Add(0, "om_get_auth_user_details").Add(54247, "CHECKER1")),
              oms::kStatusBadMessage);
    EXPECT_EQ(code(Details("om_get_auth_user_details", user.key, "NOBODY")), oms::kStatusUnknownUser);
    // Level 2 sees its own branch only.
    const connect::Session branchAdmin{"SOMEWHERE", user.broker, 2};
    EXPECT_EQ(code(Details("om_get_auth_user_details", user.key, "x"), branchAdmin), oms::kStatusNotVisible);
    const connect::Session ownBranch{user.branch, user.broker, 2};
    EXPECT_EQ(code(Details("om_get_auth_user_details", user.key, "x"), ownBranch), oms::kStatusOk);

    ASSERT_EQ(Ask(Accept(user, "CHECKER2")).Code(), oms::kStatusOk);
    const Answer late = Ask(Details("om_get_auth_user_details", user.key, "CHECKER1"));
    EXPECT_EQ(late.Code(), oms::kStatusAlreadyDecided);
    EXPECT_TRUE(late.Data().empty());
    const Answer unknown = Ask(connect::Message().Add(0, "om_drop_everything"));
    EXPECT_EQ(unknown.Code(), oms::kStatusUnknownFunction);
    EXPECT_EQ(unknown.Text(), "The server has no function \"om_drop_everything\"");
}

TEST_F(QueryTest, RecoveryListsExactlyThePendingRequestsTheUserMaySee)
{
    const RequestRecord decided = Pending(oms::kDeleteAccount);
    ASSERT_EQ(Ask(Accept(decided, "CHECKER2")).Code(), oms::kStatusOk);
    std::vector<RequestRecord> pending;
    server->WithStore([&](oms::Store& s)
                      { s.ForEachPending([&](const RequestRecord& r) { pending.push_back(r); }); });
    ASSERT_GT(pending.size(), 10u);

    const auto keysFor = [&](const connect::Session& session)
    {
        const Answer answer = Ask(
            connect::Message().Add(0, "om_get_functionality_details").Add(31003, session.user), "", session);
        std::vector<std::string> keys;
        for (const connect::Message& reply : answer.Data())
        {
            EXPECT_EQ(Values(reply, 54211), std::vector<std::string>{"auth pending"});
            EXPECT_EQ(Values(reply, 32767), std::vector<std::string>{"om_get_functionality_details"});
            keys.push_back(*reply.Value(51803));
        }
        EXPECT_EQ(answer.Code(), oms::kStatusOk);
        EXPECT_EQ(answer.Text(),
                  std::to_string(keys.size()) + " pending request" + (keys.size() == 1 ? "" : "s"));
        return keys;
    };
    const auto expected = [&](const std::function<bool(const RequestRecord&)>& sees)
    {
        std::vector<std::string> keys;
        for (const RequestRecord& r : pending)
        {
            if (sees(r))
                keys.push_back(std::to_string(r.key));
        }
        return keys;
    };
    EXPECT_EQ(keysFor({"CHECKER1", "KIVO", 0}), expected([](const RequestRecord&) { return true; }));
    EXPECT_EQ(keysFor({"ASHV", "ASHV", 1}),
              expected([](const RequestRecord& r) { return r.broker == "ASHV"; }));
    EXPECT_EQ(keysFor({"KIVO-MUM", "KIVO", 2}),
              expected([](const RequestRecord& r) { return r.broker == "KIVO" && r.branch == "KIVO-MUM"; }));
    const RequestRecord someone = pending.front();
    ASSERT_FALSE(someone.user.empty());
    EXPECT_EQ(keysFor({someone.user, someone.broker, 4}),
              expected([&](const RequestRecord& r) { return r.user == someone.user; }));
    EXPECT_TRUE(keysFor({"CHECKER1", "KIVO", 3}).empty());

    // Without a session, the server's own record of the user decides.
    const Answer byRecord = Ask(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "ASHV"));
    EXPECT_EQ(byRecord.Data().size(),
              expected([](const RequestRecord& r) { return r.broker == "ASHV"; }).size());
    EXPECT_EQ(Ask(connect::Message().Add(0, "om_get_functionality_details").Add(31003, "NOBODY")).Code(),
              oms::kStatusUnknownUser);
}

} // namespace
