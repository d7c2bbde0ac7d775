// Requests the server publishes: which the console lists, how it refreshes and removes them.
#include "ConsoleTestSupport.h"

namespace
{

class PublishedRequestsTest : public ConsoleTest
{
};

TEST_F(PublishedRequestsTest, ANewRequestIsListedWithItsFieldsAndABeep)
{
    CDozizEdizizi& console = OpenConsole();
    connect::Message message = PublishedRequest("auth pending", "K1", "339", "MAKER1");
    message.Add(31003, "DEALER7")
        .Add(64056, "BRK1")
        .Add(64053, "BR9")
        .Add(54036, "RETAIL")
        .Add(54001, "ACC1");
    Publish(message);

    const sMakeCheckStruct* request = console.FindRequest("K1");
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->m_strKey, "K1");
    EXPECT_EQ(request->m_strAuthType, "339");
    EXPECT_EQ(request->m_strEntity, "DEALER7") << "a user request is about its user, not the account";
    EXPECT_EQ(request->m_strMaker, "MAKER1");
    EXPECT_EQ(request->m_strBroker, "BRK1");
    EXPECT_EQ(request->m_strBranch, "BR9");
    EXPECT_EQ(request->m_strCategory, "RETAIL");
    EXPECT_TRUE(request->m_strLinkedUser.empty());
    EXPECT_TRUE(request->m_strSpare.empty());
    ASSERT_EQ(BeepCount(), 1u);
    EXPECT_EQ(winlib::Observed().beeps[0].frequency, 500u);
    EXPECT_EQ(winlib::Observed().beeps[0].duration, 100u);
    EXPECT_TRUE(Log().empty()) << "nothing is logged for a published request";
}

TEST_F(PublishedRequestsTest, ASecondPendingMessageRefreshesTheRequestInPlace)
{
    CDozizEdizizi& console = OpenConsole();
    Publish(
        PublishedRequest("auth pending", "K1", "353").Add(54001, "ACC1").Add(64056, "B").Add(64053, "BR1"));
    const sMakeCheckStruct* first = console.FindRequest("K1");
    // The second message lacks the branch: what it does not carry stays as it was.
    Publish(PublishedRequest("auth pending", "K1", "354", "MAKER2").Add(54001, "ACC2").Add(64056, "B"));
    EXPECT_EQ(console.GetRequestCount(), 1);
    EXPECT_EQ(console.FindRequest("K1"), first) << "the same record, updated";
    EXPECT_EQ(first->m_strAuthType, "354");
    EXPECT_EQ(first->m_strEntity, "ACC2");
    EXPECT_EQ(first->m_strMaker, "MAKER2");
    EXPECT_EQ(first->m_strBranch, "BR1");
    EXPECT_EQ(BeepCount(), 2u) << "each pending message beeps";
}

TEST_F(PublishedRequestsTest, DecidedRequestsLeaveAndUnknownOnesChangeNothing)
{
    CDozizEdizizi& console = OpenConsole();
    for (const char* key : {"K1", "K2", "K3"})
        Publish(PublishedRequest("auth pending", key, "365").Add(31003, key).Add(64056, "B"));
    ASSERT_EQ(console.GetRequestCount(), 3);
    winlib::Observed().Clear();

    Publish(PublishedRequest("accepted", "K1", "365").Add(64056, "B"));
    Publish(PublishedRequest("rejected", "K3", "365").Add(64056, "B"));
    Publish(PublishedRequest("accepted", "K9", "365").Add(64056, "B"));
    Publish(PublishedRequest("withdrawn", "K2", "365").Add(64056, "B"));
    EXPECT_EQ(console.GetRequestCount(), 1);
    EXPECT_NE(console.FindRequest("K2"), nullptr);
    EXPECT_EQ(BeepCount(), 0u) << "no beep for decisions or unknown statuses";
}

// The checker's own request, and messages without status or key: neither listed nor announced.
TEST_F(PublishedRequestsTest, OwnRequestsAndMessagesWithoutStatusOrKeyAreIgnored)
{
    CDozizEdizizi& console = OpenConsole();
    Publish(PublishedRequest("auth pending", "K1", "339", g_strUserId).Add(31003, "D1").Add(64056, "B"));
    connect::Message noStatus;
    noStatus.Add(51803, "K1").Add(63713, "339").Add(54247, "M").Add(64056, "B");
    HandlePublishMsg(connect::ReceivedMessage(noStatus).Handle());
    connect::Message noKey;
    noKey.Add(54211, "auth pending").Add(63713, "339").Add(54247, "M");
    HandlePublishMsg(connect::ReceivedMessage(noKey).Handle());
    EXPECT_EQ(console.GetRequestCount(), 0);
    EXPECT_EQ(BeepCount(), 0u);
}

// Published again as the checker's own, a listed request stays listed with what the message
// carried; it is not announced again.
TEST_F(PublishedRequestsTest, AListedRequestPublishedAgainAsTheCheckersOwnStaysListed)
{
    CDozizEdizizi& console = OpenConsole();
    Publish(PublishedRequest("auth pending", "K1", "339", "MAKER1").Add(31003, "D1").Add(64056, "B"));
    const sMakeCheckStruct* listed = console.FindRequest("K1");
    ASSERT_NE(listed, nullptr);
    Publish(PublishedRequest("auth pending", "K1", "340", g_strUserId).Add(31003, "D2").Add(64056, "B"));
    EXPECT_EQ(console.FindRequest("K1"), listed) << "the same record, still listed";
    EXPECT_EQ(console.GetRequestList().GetItemCount(), 1);
    EXPECT_EQ(listed->m_strMaker, g_strUserId);
    EXPECT_EQ(listed->m_strAuthType, "340");
    EXPECT_EQ(listed->m_strEntity, "D2");
    EXPECT_EQ(BeepCount(), 1u) << "announced once, when it came";
}

TEST_F(PublishedRequestsTest, ALimitsRequestIsNamedAfterItsFirstOwnerField)
{
    CDozizEdizizi& console = OpenConsole();
    const std::vector<std::pair<std::vector<std::pair<int, std::string>>, std::string>> cases = {
        {{{64056, "BRK1"}, {31003, "D1"}}, "Broker - BRK1"},
        {{{64053, "BR2"}, {64052, "G1"}, {31003, "D1"}}, "Branch - BR2"},
        {{{64052, "G1"}, {54001, "A1"}}, "Account Group - G1"},
        {{{31003, "D1"}, {54001, "A1"}}, "Dealer - D1"},
        {{{54001, "A1"}}, "Client - A1"},
        {{}, ""},
    };
    int n = 0;
    for (const auto& [fields, entity] : cases)
    {
        const std::string key = "L" + std::to_string(++n);
        connect::Message message = PublishedRequest("auth pending", key, "360");
        for (const auto& [id, value] : fields)
            message.Add(id, value);
        // Delivered directly: the subscription filter wants a broker on every message.
        HandlePublishMsg(connect::ReceivedMessage(message).Handle());
        const sMakeCheckStruct* request = console.FindRequest(key);
        ASSERT_NE(request, nullptr) << entity;
        EXPECT_EQ(request->m_strEntity, entity);
    }
}

TEST_F(PublishedRequestsTest, ClientRequestsNameTheAccountAndInvestorClientsTheirUser)
{
    CDozizEdizizi& console = OpenConsole();
    Publish(
        PublishedRequest("auth pending", "C1", "353").Add(54001, "ACC1").Add(31003, "U1").Add(64056, "B"));
    Publish(PublishedRequest("auth pending", "C2", "353")
                .Add(54001, "ACC2")
                .Add(31003, "U2")
                .Add(54036, "INVESTOR_CLIENT")
                .Add(64056, "B"));
    ASSERT_EQ(console.GetRequestCount(), 2);
    EXPECT_EQ(console.FindRequest("C1")->m_strEntity, "ACC1");
    EXPECT_EQ(console.FindRequest("C1")->m_strLinkedUser, "") << "only an investor client has a linked user";
    EXPECT_EQ(console.FindRequest("C2")->m_strEntity, "ACC2");
    EXPECT_EQ(console.FindRequest("C2")->m_strLinkedUser, "U2");

    // Refreshed as an ordinary client, the request forgets the investor's user.
    Publish(PublishedRequest("auth pending", "C2", "354")
                .Add(54001, "ACC2")
                .Add(31003, "U2")
                .Add(54036, "RETAIL")
                .Add(64056, "B"));
    EXPECT_EQ(console.FindRequest("C2")->m_strLinkedUser, "");
}

TEST_F(PublishedRequestsTest, EachTypeNeedsItsRoleAndInvestorUsersTheClientRole)
{
    TestHost().roles = {60303};
    CDozizEdizizi& console = OpenConsole();
    Publish(PublishedRequest("auth pending", "U1", "339").Add(31003, "D1").Add(64056, "B"));
    Publish(PublishedRequest("auth pending", "U2", "340")
                .Add(31003, "D2")
                .Add(54036, "INVESTOR_CLIENT")
                .Add(64056, "B"));
    Publish(PublishedRequest("auth pending", "C1", "366").Add(54001, "A1").Add(64056, "B"));
    Publish(PublishedRequest("auth pending", "L1", "360").Add(64056, "B"));
    Publish(PublishedRequest("auth pending", "X1", "999").Add(64056, "B"));
    EXPECT_NE(console.FindRequest("U1"), nullptr);
    EXPECT_EQ(console.FindRequest("U2"), nullptr) << "an investor's user request needs 60304";
    EXPECT_EQ(console.FindRequest("C1"), nullptr);
    EXPECT_EQ(console.FindRequest("L1"), nullptr);
    EXPECT_NE(console.FindRequest("X1"), nullptr) << "an unknown type needs no role";
    EXPECT_EQ(BeepCount(), 2u) << "dropped requests are not announced";

    TestHost().roles = {60304};
    Publish(PublishedRequest("auth pending", "U2", "340")
                .Add(31003, "D2")
                .Add(54036, "INVESTOR_CLIENT")
                .Add(64056, "B"));
    EXPECT_NE(console.FindRequest("U2"), nullptr);

    // A listed request that now needs a missing role leaves the list.
    TestHost().roles = {60303};
    Publish(PublishedRequest("auth pending", "U1", "353").Add(54001, "A1").Add(64056, "B"));
    EXPECT_EQ(console.FindRequest("U1"), nullptr);
    EXPECT_EQ(console.GetRequestCount(), 2);
}

TEST_F(PublishedRequestsTest, TheSubscriptionFollowsThePrivilegeLevel)
{
    using Terms = std::vector<std::pair<int, std::string>>;
    const std::vector<std::pair<int, Terms>> levels = {
        {0, {{64056, ""}, {63713, ""}, {51803, ""}}},
        {1, {{63713, ""}, {64056, "CHK1"}, {51803, ""}}},
        {2, {{64056, "BRK1"}, {63713, ""}, {64053, "CHK1"}, {51803, ""}}},
        {4, {{63713, ""}, {31003, "CHK1"}, {51803, ""}}},
        {3, {}},
    };
    for (const auto& [level, expected] : levels)
    {
        // The start reads the identity; a hot key after an exit makes a console that subscribes.
        TestHost().privilege = level;
        InitKivoPlugin(nullptr, "Terminal", nullptr, "");
        ExitKivoPlugin();
        host.wire.Clear();
        PluginProcessHotKey(nullptr, 0, 0, nullptr);
        const auto subscriptions = host.wire.Subscriptions();
        if (expected.empty())
            EXPECT_TRUE(subscriptions.empty()) << "level " << level << " subscribes to nothing";
        else
        {
            ASSERT_EQ(subscriptions.size(), 1u) << level;
            Terms terms;
            for (const auto& term : subscriptions[0].Terms())
                terms.emplace_back(term.fieldId, term.value);
            EXPECT_EQ(terms, expected) << "level " << level;
        }
        ExitKivoPlugin();
    }
}

TEST_F(PublishedRequestsTest, AfterExitNothingMoreArrives)
{
    OpenConsole();
    ExitKivoPlugin();
    Publish(PublishedRequest("auth pending", "K1", "339").Add(31003, "D1").Add(64056, "B"));
    EXPECT_EQ(g_pDozizEdizizi, nullptr);
    EXPECT_EQ(BeepCount(), 0u);
}

} // namespace
