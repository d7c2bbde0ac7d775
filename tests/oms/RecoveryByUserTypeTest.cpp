// Recovery asked without a terminal's session (a tool on the bus): the server's own record of the
// user gives his privilege level by his type, and the user sees what a terminal of that level
// would have subscribed to.
#include "OmsTestSupport.h"

#include "oms/ServerStatus.h"

using namespace oms_test;
using oms::RequestRecord;

namespace
{

class RecoveryByUserTypeTest : public ServerTest
{
protected:
    RecoveryByUserTypeTest() { Reload(); }

    void Reload()
    {
        m_pending.clear();
        server->WithStore([this](oms::Store& s)
                          { s.ForEachPending([this](const RequestRecord& r) { m_pending.push_back(r); }); });
    }

    std::string TypeOf(const std::string& user)
    {
        const std::optional<oms::EntityRow> row = Read<std::optional<oms::EntityRow>>(
            [&](oms::Store& s) { return s.Entity(oms::EntityKind::User, user); });
        return row ? row->category : "<no user>";
    }

    // The keys recovery lists for the user, asked without a session.
    std::vector<std::string> Recovered(const std::string& user)
    {
        const Answer answer = Ask(connect::Message().Add(0, "om_get_functionality_details").Add(31003, user));
        EXPECT_EQ(answer.Code(), oms::kStatusOk) << answer.Text();
        std::vector<std::string> keys;
        for (const connect::Message& reply : answer.Data())
            keys.push_back(*reply.Value(51803));
        return keys;
    }

    std::vector<std::string> PendingWhere(const std::function<bool(const RequestRecord&)>& sees) const
    {
        std::vector<std::string> keys;
        for (const RequestRecord& r : m_pending)
        {
            if (sees(r))
                keys.push_back(std::to_string(r.key));
        }
        return keys;
    }

    std::vector<RequestRecord> m_pending; // oldest first, as recovery lists them
};

TEST_F(RecoveryByUserTypeTest, AdministratorsAndTheRiskManagerSeeEveryRequestAsLevelZero)
{
    const std::vector<std::string> all = PendingWhere([](const RequestRecord&) { return true; });
    ASSERT_GT(all.size(), 10u);
    for (const char* user : {"ADMIN1", "CHECKER2", "MAKER1"})
    {
        EXPECT_EQ(TypeOf(user), "ADMIN");
        EXPECT_EQ(Recovered(user), all) << user;
    }
    EXPECT_EQ(TypeOf("RMS1"), "RMS");
    EXPECT_EQ(Recovered("RMS1"), all) << "the risk manager sees what level 0 sees";
}

TEST_F(RecoveryByUserTypeTest, ABrokerAdministratorSeesHisBrokersRequests)
{
    for (const char* broker : {"KIVO", "ASHV", "DHAN"})
    {
        EXPECT_EQ(TypeOf(broker), "BROKER_ADMIN");
        const std::vector<std::string> own =
            PendingWhere([&](const RequestRecord& r) { return r.broker == broker; });
        ASSERT_FALSE(own.empty()) << broker;
        EXPECT_LT(own.size(), m_pending.size());
        EXPECT_EQ(Recovered(broker), own) << broker;
    }
}

TEST_F(RecoveryByUserTypeTest, ABranchAdministratorSeesHisBranchsRequests)
{
    std::size_t seen = 0;
    for (const auto& [branch, broker] :
         {std::pair{"KIVO-MUM", "KIVO"}, {"KIVO-DEL", "KIVO"}, {"ASHV-AMD", "ASHV"}, {"DHAN-CHE", "DHAN"}})
    {
        EXPECT_EQ(TypeOf(branch), "BRANCH_ADMIN");
        const std::vector<std::string> own =
            PendingWhere([&](const RequestRecord& r) { return r.broker == broker && r.branch == branch; });
        EXPECT_EQ(Recovered(branch), own) << branch;
        EXPECT_LT(own.size(),
                  PendingWhere([&](const RequestRecord& r) { return r.broker == broker; }).size());
        seen += own.size();
    }
    EXPECT_GT(seen, 0u) << "some branch has requests to see";
}

// Dealers and investors (every other type) are level 4: the requests about themselves.
TEST_F(RecoveryByUserTypeTest, EveryOtherUserSeesTheRequestsAboutHimself)
{
    for (const std::string type : {"DEALER", oms::kInvestorClient})
    {
        SCOPED_TRACE(type);
        const std::string user = Read<std::vector<std::string>>(
                                     [&](oms::Store& s) { return s.EntityIds(oms::EntityKind::User, type); })
                                     .front();
        if (!Read<std::optional<std::int64_t>>([&](oms::Store& s)
                                               { return s.PendingFor(oms::EntityKind::User, user); }))
            server->Enter({"MAKER1", oms::kModifyUser, user, {{"email", "recovery.check@kivo-trade.in"}}});
        Reload();
        const std::vector<std::string> own =
            PendingWhere([&](const RequestRecord& r) { return r.user == user; });
        ASSERT_FALSE(own.empty());
        EXPECT_EQ(Recovered(user), own);
    }
}

} // namespace
