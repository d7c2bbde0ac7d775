// What the console sends to the server, field by field as the wire carries it, and what it
// writes to the host's log on the way.
#include "ConsoleTestSupport.h"

#include "connect/Faults.h"
#include "dozizedizizi/MCConnection.h"
#include "dozizedizizi/MCRxr.h"

namespace
{

const std::string kDecide = "om_authenticate_functionality";
const std::string kMsg = "Maker Checker Zam Message : ";
const std::string kErr = "Maker Checker Zam Error : ";

WireField F(int id, std::string value)
{
    return {id, {std::move(value)}};
}

sMakeCheckStruct Request(std::string key, std::string type, std::string entity = "ENT",
                         std::string category = "", std::string linkedUser = "")
{
    sMakeCheckStruct request;
    request.m_strKey = std::move(key);
    request.m_strAuthType = std::move(type);
    request.m_strEntity = std::move(entity);
    request.m_strCategory = std::move(category);
    request.m_strLinkedUser = std::move(linkedUser);
    return request;
}

// The bytes a field takes in a message: record length, id, value count, text length, text, NUL.
constexpr std::size_t FieldBytes(std::size_t textLength)
{
    return 4 + 4 + 4 + 4 + textLength + 1;
}
constexpr std::size_t kBufferBytes = 4096;
constexpr std::size_t kHeaderBytes = 4;

class ServerMessagesTest : public ConsoleTest
{
};

TEST_F(ServerMessagesTest, OpeningARequestAsksForTheDetailsOfItsType)
{
    CDozizEdizizi& console = OpenConsole();
    const std::vector<std::tuple<std::string, std::string, std::string>> types = {
        {"339", "om_get_auth_user_details", "Request for getting entities details sent "},
        {"340", "om_get_auth_user_details", "Request for getting entities details sent "},
        {"353", "om_get_auth_account_details", "Request for getting account details sent "},
        {"354", "om_get_auth_account_details", "Request for getting account details sent "},
        {"360", "om_get_auth_limits_details", "Request for getting entities details sent "},
    };
    for (const auto& [type, function, logged] : types)
    {
        host.wire.Clear();
        TestHost().log.clear();
        sMakeCheckStruct request = Request("KEY-" + type, type);
        console.OpenRequest(&request);
        const auto sent = Sent();
        ASSERT_EQ(sent.size(), 1u) << type;
        EXPECT_EQ(FieldsOf(sent[0]), (WireFields{F(0, function), F(54247, "CHK1"), F(51803, "KEY-" + type)}));
        EXPECT_EQ(Log(), std::vector<std::string>{kMsg + logged}) << type;
        EXPECT_EQ(console.m_strDetailKey, "KEY-" + type);
    }
}

TEST_F(ServerMessagesTest, DeletionsAndUnknownTypesAskForNothing)
{
    CDozizEdizizi& console = OpenConsole();
    console.m_strDetailKey = "SHOWN";
    for (const char* type : {"365", "366", "999", ""})
    {
        sMakeCheckStruct request = Request("K", type);
        console.OpenRequest(&request);
    }
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Log().empty());
    EXPECT_EQ(console.m_strDetailKey, "SHOWN") << "the key changes only with a query";
}

TEST_F(ServerMessagesTest, OpeningALimitsRequestForgetsTheEditsOfThePreviousOne)
{
    CDozizEdizizi& console = OpenConsole();
    console.m_mapEditedValues.SetAt(64031, "100.00");
    sMakeCheckStruct user = Request("U", "339");
    console.OpenRequest(&user);
    EXPECT_FALSE(console.m_mapEditedValues.IsEmpty()) << "only a limits request starts afresh";
    sMakeCheckStruct limits = Request("L", "360");
    console.OpenRequest(&limits);
    EXPECT_TRUE(console.m_mapEditedValues.IsEmpty());
    host.wire.Clear();
    console.OnUpdate();
    EXPECT_TRUE(Sent().empty()) << "an update without an edit sends nothing";
}

TEST_F(ServerMessagesTest, AQueryThatCannotBeBuiltOrSentSaysSo)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct tooLong = Request(std::string(5000, 'k'), "339");
    console.m_strDetailKey = "SHOWN";
    EXPECT_EQ(console.RequestUserDetails(&tooLong), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Request failure"});
    EXPECT_EQ(console.m_strDetailKey, "SHOWN") << "a query that was never complete shows nothing new";

    // The key is taken before the send: the view belongs to the request even if the send fails.
    TestHost().log.clear();
    host.wire.RefuseSends(1);
    sMakeCheckStruct request = Request("K2", "360");
    EXPECT_EQ(console.RequestLimitsDetails(&request), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Request failure"});
    EXPECT_EQ(console.m_strDetailKey, "K2");
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ServerMessagesTest, WithoutAScratchBufferAQueryIsAMessagingFailure)
{
    connect::FailNextOpen(connect::OpenFault::Scratch);
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct request = Request("K1", "353");
    EXPECT_EQ(console.RequestAccountDetails(&request), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Messaging failure."});
    EXPECT_TRUE(Sent().empty());
}

TEST_F(ServerMessagesTest, AcceptSendsTheEntityAsUserOrAccountOrNotAtAll)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct user = Request("K1", "340", "DEALER1");
    sMakeCheckStruct client = Request("K2", "353", "ACC1");
    sMakeCheckStruct deletion = Request("K3", "365", "DEALER3");
    sMakeCheckStruct limits = Request("K4", "360", "Broker - B");
    console.AcceptRequests({&user, &client, &deletion, &limits});
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(FieldsOf(sent[0]), (WireFields{F(0, kDecide), F(31003, "DEALER1"), F(54294, "CHK1"),
                                             F(51803, "K1"), F(63713, "340"), F(10303, "accepted")}));
    EXPECT_EQ(FieldsOf(sent[1]), (WireFields{F(0, kDecide), F(54001, "ACC1"), F(54294, "CHK1"),
                                             F(51803, "K2"), F(63713, "353"), F(10303, "accepted")}));
    EXPECT_EQ(FieldsOf(sent[2]), (WireFields{F(0, kDecide), F(54294, "CHK1"), F(51803, "K3"), F(63713, "365"),
                                             F(10303, "accepted")}));
    EXPECT_EQ(FieldsOf(sent[3]), (WireFields{F(0, kDecide), F(54294, "CHK1"), F(51803, "K4"), F(63713, "360"),
                                             F(10303, "accepted")}));
    EXPECT_EQ(Log(), std::vector<std::string>(4, kMsg + "Request sent to Accept Authentication"));

    // Nothing ticked: nothing sent, logged or shown.
    host.wire.Clear();
    TestHost().log.clear();
    console.AcceptRequests({});
    EXPECT_TRUE(Sent().empty());
    EXPECT_TRUE(Log().empty());
    EXPECT_TRUE(host.driver.MessageBoxTexts().empty());
}

// A button that has nothing to do says so in the log, without a box, and sends nothing.
TEST_F(ServerMessagesTest, AButtonWithNothingToDoSaysWhyInTheLog)
{
    CDozizEdizizi& console = OpenConsole();
    Publish(PublishedRequest("auth pending", "U1", "340").Add(31003, "DEALER1").Add(64056, "B1"));
    Publish(PublishedRequest("auth pending", "L1", "360").Add(64056, "B1"));
    TestHost().log.clear();
    host.wire.Clear();

    console.OnAccept();
    console.OnUpdate();
    host.driver.AnswerNextDialog([this](HWND) { host.driver.Press(VK_ESCAPE); });
    console.OnReject();
    host.driver.AnswerNextDialog(
        [this](HWND)
        {
            host.driver.Type("wrong branch");
            host.driver.Press(VK_RETURN);
        });
    console.OnReject();
    console.OpenRequest(console.FindRequest("U1"));
    Settle();
    TestHost().log.pop_back(); // the query's own line
    console.OnUpdate();
    console.OpenRequest(console.FindRequest("L1"));
    Settle();
    TestHost().log.pop_back();
    console.OnUpdate();
    EXPECT_EQ(Log(), (std::vector<std::string>{
                         kMsg + "Nothing to accept: no request shown is ticked",
                         kMsg + "Nothing to update: open an RMS Limits request and edit its values first",
                         kMsg + "Nothing rejected: the Rejection dialog was closed without a reason",
                         kMsg + "Nothing to reject: no request shown is ticked",
                         kMsg + "Nothing to update: request U1 is a MODIFY USER request, and Update sends "
                                "edited RMS limits only",
                         kMsg + "Nothing to update: no limit of request L1 was edited",
                     }));
    for (const connect::Message& sent : Sent())
        EXPECT_NE(*sent.Value(0), "om_authenticate_functionality") << "no decision was sent";
    EXPECT_TRUE(host.driver.MessageBoxTexts().empty());

    // A ticked row that the filter hides is not among those shown.
    CFilterListCtrl& list = console.GetRequestList();
    list.SetCheck(0, TRUE);
    list.SetColumnFilter(2, "nothing like it");
    list.ApplyFilter();
    TestHost().log.clear();
    console.OnAccept();
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Nothing to accept: no request shown is ticked"});
}

TEST_F(ServerMessagesTest, AnInvestorsUserAndClientAreAcceptedTogetherUserFirst)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct client = Request("C1", "353", "ACC1", "INVESTOR_CLIENT", "INV1");
    sMakeCheckStruct other = Request("U2", "339", "INV2", "INVESTOR_CLIENT");
    sMakeCheckStruct user = Request("U1", "339", "INV1", "INVESTOR_CLIENT");
    sMakeCheckStruct modify = Request("M1", "340", "INV3", "INVESTOR_CLIENT");
    console.AcceptRequests({&client, &other, &user, &modify});
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(*sent[0].Value(51803), "M1") << "other investor types are accepted at once";
    EXPECT_EQ(*sent[1].Value(51803), "U1");
    EXPECT_EQ(*sent[2].Value(51803), "C1");
    // The user without its client is reported and not accepted.
    EXPECT_EQ(host.driver.MessageBoxTexts(),
              std::vector<std::string>{"Autenticate User and Account for  INV2"});
    EXPECT_EQ(Log().back(), kMsg + "Autenticate User and Account for  INV2"
                                   "For Investor client Autenticate User and Client Together");
}

TEST_F(ServerMessagesTest, AnInvestorClientWithoutItsUserIsNotAccepted)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct first = Request("C1", "353", "ACC1", "INVESTOR_CLIENT", "NOBODY");
    sMakeCheckStruct second = Request("C2", "353", "ACC2", "INVESTOR_CLIENT", "NOBODY");
    console.AcceptRequests({&first, &second});
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(host.driver.MessageBoxTexts(),
              std::vector<std::string>{"Autenticate User and Account for  ACC2  ACC1"})
        << "the unpaired are named from the last to the first";
    ASSERT_EQ(Log().size(), 1u);
}

TEST_F(ServerMessagesTest, RejectAsksForAReasonAndSendsItWithEachRequest)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct user = Request("K1", "339", "DEALER1");
    sMakeCheckStruct account = Request("K2", "354", "ACC2");
    host.driver.AnswerNextDialog(
        [this](HWND dialog)
        {
            char caption[64] = {};
            ::GetWindowText(dialog, caption, sizeof caption);
            EXPECT_STREQ(caption, "Rejection");
            host.driver.Type("limits too high");
            host.driver.Press(VK_RETURN);
        });
    console.RejectRequests({&user, &account}, console.AskRejectionReason());
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(FieldsOf(sent[0]),
              (WireFields{F(0, kDecide), F(31003, "DEALER1"), F(54294, "CHK1"), F(32766, "limits too high"),
                          F(63713, "339"), F(51803, "K1"), F(10303, "rejected")}));
    EXPECT_EQ(FieldsOf(sent[1]),
              (WireFields{F(0, kDecide), F(54001, "ACC2"), F(54294, "CHK1"), F(32766, "limits too high"),
                          F(63713, "354"), F(51803, "K2"), F(10303, "rejected")}));
    EXPECT_EQ(Log(), std::vector<std::string>(2, kMsg + "Request sent to Reject Authentication"));
}

TEST_F(ServerMessagesTest, RejectWithoutAReasonSendsNothing)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct request = Request("K1", "339");
    host.driver.AnswerNextDialog(
        [this](HWND dialog)
        {
            host.driver.Press(VK_RETURN);
            EXPECT_TRUE(::IsWindowVisible(dialog)) << "OK with an empty reason keeps the dialog open";
            EXPECT_TRUE(host.driver.MessageBoxTexts().empty()) << "and says nothing";
            host.driver.Press(VK_ESCAPE);
        });
    EXPECT_EQ(console.AskRejectionReason(), "");
    console.OnReject();
    EXPECT_TRUE(Sent().empty());

    // A single blank is a reason.
    host.driver.AnswerNextDialog(
        [this](HWND)
        {
            host.driver.Type(" ");
            host.driver.Press(VK_RETURN);
        });
    console.RejectRequests({&request}, console.AskRejectionReason());
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(*Sent()[0].Value(32766), " ");
}

TEST_F(ServerMessagesTest, UpdateSendsTheEditedLimitsAndForgetsThemOnceSent)
{
    CDozizEdizizi& console = OpenConsole();
    console.m_strDetailKey = "L1";
    console.m_mapEditedValues.SetAt(64031, "2500.00");
    console.m_mapEditedValues.SetAt(64037, "E");
    console.m_mapEditedValues.SetAt(41236, "12");
    WireFields expected{F(0, kDecide), F(54294, "CHK1"), F(51803, "L1"), F(63713, "360"),
                        F(10303, "accepted")};
    console.m_mapEditedValues.ForEach([&](int id, const std::string& text)
                                      { expected.push_back(F(id, id == 64037 ? "yes" : text)); });
    host.driver.Click(console.GetDlgItem(IDC_MC_UPDATE)->m_hWnd, CPoint(3, 3));
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(FieldsOf(sent[0]), expected);
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Request sent to Update RMS Limits Authentication"});
    EXPECT_TRUE(console.m_mapEditedValues.IsEmpty());

    // The flag shown as "D" goes back as "no", and so does "n" typed in its place; a text the
    // server would not understand is refused with the edits kept for correcting.
    host.wire.Clear();
    console.m_mapEditedValues.SetAt(64037, "D");
    console.OnUpdate();
    console.m_mapEditedValues.SetAt(64037, " n");
    console.OnUpdate();
    ASSERT_EQ(Sent().size(), 2u);
    EXPECT_EQ(*Sent()[0].Value(64037), "no");
    EXPECT_EQ(*Sent()[1].Value(64037), "no");
    console.m_mapEditedValues.SetAt(64031, "5.00");
    console.m_mapEditedValues.SetAt(64037, "maybe");
    console.OnUpdate();
    EXPECT_EQ(Sent().size(), 2u);
    const std::string refusal = "GroupWise Validation must be E or D, not \"maybe\"; nothing was sent";
    EXPECT_EQ(host.driver.MessageBoxTexts(), std::vector<std::string>{kErr + refusal});
    EXPECT_EQ(Log().back(), kErr + refusal);
    EXPECT_EQ(console.m_mapEditedValues.GetCount(), 2);

    // An update whose send fails keeps the edits too.
    TestHost().log.clear();
    console.m_mapEditedValues.SetAt(64037, "E");
    host.wire.RefuseSends(1);
    console.OnUpdate();
    EXPECT_EQ(Log(), std::vector<std::string>{kErr + "Failed while sending " + kDecide});
    EXPECT_EQ(console.m_mapEditedValues.GetCount(), 2);
}

TEST_F(ServerMessagesTest, RecoverAsksForEveryPendingRequestAndListsTheReplies)
{
    CDozizEdizizi& console = OpenConsole();
    server.SetScript(
        [](const connect::Message& request, connect::ReplyStream& replies)
        {
            if (*request.Value(0) != "om_get_functionality_details")
                return;
            for (const char* key : {"R1", "R2"})
                replies.Reply(
                    PublishedRequest("auth pending", key, "339").Add(31003, std::string("D") + key));
            // A closing reply that looks like a request adds none.
            replies.Close(0, "done", PublishedRequest("auth pending", "R3", "339"));
        });
    host.driver.Click(console.GetDlgItem(IDC_MC_RECOVER)->m_hWnd, CPoint(3, 3));
    Settle();
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(FieldsOf(sent[0]), (WireFields{F(0, "om_get_functionality_details"), F(31003, "CHK1")}));
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Request sent to Recovery"});
    EXPECT_EQ(console.GetRequestCount(), 2);
    ASSERT_NE(console.FindRequest("R2"), nullptr);
    EXPECT_EQ(console.FindRequest("R2")->m_strEntity, "DR2");
    EXPECT_EQ(console.FindRequest("R3"), nullptr);
}

TEST_F(ServerMessagesTest, RepliesWithoutAKnownFunctionChangeNothing)
{
    CDozizEdizizi& console = OpenConsole();
    server.SetScript(
        [](const connect::Message&, connect::ReplyStream& replies)
        {
            connect::Message foreign = PublishedRequest("auth pending", "F1", "339");
            foreign.Add(32767, "om_something_else");
            replies.Reply(foreign);
            replies.Close(0, "done");
        });
    console.OnRecover();
    Settle();
    EXPECT_EQ(console.GetRequestCount(), 0);

    // Handed straight to the receiver: no function name, or a known one in other letters.
    CMCRxr& receiver = *console.GetConnection()->m_pRxr0;
    connect::Message nameless = PublishedRequest("auth pending", "N1", "339");
    receiver.OnMessage(nullptr, connect::ReceivedMessage(nameless).Handle(), nullptr);
    connect::Message shouting = PublishedRequest("auth pending", "N2", "339");
    shouting.Add(32767, "OM_GET_FUNCTIONALITY_DETAILS");
    receiver.OnMessage(nullptr, connect::ReceivedMessage(shouting).Handle(), nullptr);
    connect::Message details;
    details.Add(32767, "om_get_auth_user_details").Add(31003, "D1");
    receiver.OnMessage(nullptr, connect::ReceivedMessage(details).Handle(), nullptr);
    EXPECT_EQ(console.GetRequestCount(), 0);
    EXPECT_EQ(console.GetDetailList().GetSectionCount(), 1) << "only the named reply adds its section";
}

// ---- Failure texts: each step that cannot be added ends its message with its own line ------

struct FailureCase
{
    std::string name;
    std::function<void(CDozizEdizizi&, sMakeCheckStruct&)> arrange;
    std::string line;
};

class DecisionFailureTest : public ServerMessagesTest
{
protected:
    // Runs each case on a fresh request followed by a sound one: the failing request is logged and
    // not sent; the next is still handled.
    void Check(const std::vector<FailureCase>& cases,
               const std::function<void(CDozizEdizizi&, std::vector<sMakeCheckStruct*>)>& decide,
               const std::string& sentLine)
    {
        CDozizEdizizi& console = OpenConsole();
        const std::string user = g_strUserId;
        for (const FailureCase& failure : cases)
        {
            g_strUserId = user;
            host.wire.Clear();
            TestHost().log.clear();
            sMakeCheckStruct failing = Request("K1", "339", "DEALER1");
            sMakeCheckStruct sound = Request("K2", "365", "DEALER2");
            failure.arrange(console, failing);
            decide(console, {&failing, &sound});
            g_strUserId = user;
            const auto sent = Sent();
            const bool soundSent =
                !sent.empty() && sent.back().Value(51803) && *sent.back().Value(51803) == "K2";
            EXPECT_EQ(sent.size(), soundSent ? 1u : 0u)
                << failure.name << ": the failing request is not sent";
            ASSERT_GE(Log().size(), 1u) << failure.name;
            EXPECT_EQ(Log()[0], failure.line) << failure.name;
            if (soundSent)
            {
                EXPECT_EQ(Log().back(), kMsg + sentLine) << failure.name;
            }
        }
    }
};

TEST_F(DecisionFailureTest, AcceptStepsFailWithTheirOwnTexts)
{
    const std::string big(kBufferBytes, 'x');
    // "accepted" fails when the key leaves less room than its field needs.
    const std::size_t beforeStatus = kHeaderBytes + FieldBytes(kDecide.size()) + FieldBytes(7) +
                                     FieldBytes(4) + FieldBytes(0) + FieldBytes(3);
    const std::size_t keyForStatus = kBufferBytes - beforeStatus - FieldBytes(8) + 1;
    Check(
        {{"entity as user", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strEntity = big; },
          kErr + "MNM_USER failed while sending " + kDecide},
         {"entity as account",
          [&](CDozizEdizizi&, sMakeCheckStruct& r)
          {
              r.m_strAuthType = "354";
              r.m_strEntity = big;
          },
          kErr + "MNM_ACCOUNT_ID failed while sending " + kDecide},
         {"source user", [&](CDozizEdizizi&, sMakeCheckStruct&) { g_strUserId = big; },
          kErr + "MNM_SOURCE_USER_ID failed while sending " + kDecide},
         {"key", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strKey = big; },
          kErr + "51803 failed while sending " + kDecide},
         {"type", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strAuthType = big; },
          kMsg + "Request failure"},
         {"status", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strKey = std::string(keyForStatus, 'k'); },
          kErr + "MNM_STATUS failed while sending " + kDecide}},
        [](CDozizEdizizi& console, std::vector<sMakeCheckStruct*> requests)
        { console.AcceptRequests(requests); },
        "Request sent to Accept Authentication");
}

TEST_F(DecisionFailureTest, RejectStepsFailWithTheirOwnTexts)
{
    const std::string big(kBufferBytes, 'x');
    const std::string reason = "no";
    const std::size_t beforeStatus = kHeaderBytes + FieldBytes(kDecide.size()) + FieldBytes(7) +
                                     FieldBytes(4) + FieldBytes(reason.size()) + FieldBytes(3) +
                                     FieldBytes(0);
    const std::size_t keyForStatus = kBufferBytes - beforeStatus - FieldBytes(8) + 1;
    Check(
        {{"entity as user", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strEntity = big; },
          kErr + "MNM_USER failed while sending " + kDecide},
         {"entity as account",
          [&](CDozizEdizizi&, sMakeCheckStruct& r)
          {
              r.m_strAuthType = "353";
              r.m_strEntity = big;
          },
          kErr + "MNM_ACCOUNT_ID failed while sending " + kDecide},
         {"source user", [&](CDozizEdizizi&, sMakeCheckStruct&) { g_strUserId = big; },
          kErr + "MNM_USER Failed while sending " + kDecide},
         {"type", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strAuthType = big; },
          kMsg + "Request failure"},
         {"key", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strKey = big; },
          kErr + "51803 Failed while sending " + kDecide},
         {"status", [&](CDozizEdizizi&, sMakeCheckStruct& r) { r.m_strKey = std::string(keyForStatus, 'k'); },
          kErr + "MNM_STATUS Failed while sending " + kDecide}},
        [&](CDozizEdizizi& console, std::vector<sMakeCheckStruct*> requests)
        {
            for (sMakeCheckStruct* request : requests)
                console.SendReject(request, reason);
        },
        "Request sent to Reject Authentication");
}

TEST_F(DecisionFailureTest, UpdateAndRecoverStepsFailWithTheirOwnTexts)
{
    CDozizEdizizi& console = OpenConsole();
    const std::string big(kBufferBytes, 'x');
    const std::string user = g_strUserId;
    struct Case
    {
        std::function<void()> arrange;
        std::string line;
    };
    const std::vector<Case> cases = {
        {[&] { g_strUserId = big; }, kErr + "MNM_SOURCE_USER_ID failed while sending " + kDecide},
        {[&] { console.m_strDetailKey = big; }, kErr + "51803 failed while sending " + kDecide},
        {[&] { console.m_mapEditedValues.SetAt(64031, big); },
         kErr + "MNM_STATUS failed while sending " + kDecide},
    };
    for (const Case& failure : cases)
    {
        TestHost().log.clear();
        g_strUserId = user;
        console.m_strDetailKey = "L1";
        console.m_mapEditedValues.RemoveAll();
        console.m_mapEditedValues.SetAt(64033, "1.00");
        failure.arrange();
        console.OnUpdate();
        g_strUserId = user;
        EXPECT_EQ(Log(), std::vector<std::string>{failure.line});
        EXPECT_FALSE(console.m_mapEditedValues.IsEmpty()) << failure.line;
    }

    TestHost().log.clear();
    g_strUserId = big;
    console.OnRecover();
    g_strUserId = user;
    EXPECT_EQ(Log(), std::vector<std::string>{kErr + "MNM_SOURCE_USER_ID failed while sending "
                                                     "om_get_functionality_details"});
    TestHost().log.clear();
    host.wire.RefuseSends(1);
    console.OnRecover();
    EXPECT_EQ(Log(), std::vector<std::string>{kErr + "Failed while sending om_get_functionality_details"});
    EXPECT_TRUE(Sent().empty());
}

TEST_F(DecisionFailureTest, AReasonThatDoesNotFitOrASendThatFailsIsAnErrorForEveryDecision)
{
    CDozizEdizizi& console = OpenConsole();
    sMakeCheckStruct tooLong = Request("K1", "339");
    EXPECT_EQ(console.SendReject(&tooLong, std::string(kBufferBytes, 'r')), 0);
    EXPECT_EQ(Log(), std::vector<std::string>{kMsg + "Request failure"});
    EXPECT_TRUE(Sent().empty());

    TestHost().log.clear();
    host.wire.RefuseSends(2);
    sMakeCheckStruct request = Request("K1", "339");
    EXPECT_EQ(console.SendAccept(&request), 0);
    EXPECT_EQ(console.SendReject(&request, "why"), 0);
    EXPECT_EQ(Log(), std::vector<std::string>(2, kErr + "Failed while sending " + kDecide));
    EXPECT_EQ(host.driver.MessageBoxTexts(),
              std::vector<std::string>(2, kErr + "Failed while sending " + kDecide))
        << "errors are also shown";
}

} // namespace
