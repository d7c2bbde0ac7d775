// Hostile clients on the secured bus. Each speaks to nats-server with the messaging library
// alone (none of the terminal's transport), with credentials of its own or none, and builds its
// messages by hand: it tries to decide in another's name, claim a higher level, forge published
// messages, read what is not its own, reuse message ids, fill the log, and carry on after its
// access was revoked. Each attempt is refused, nothing is applied, and the refusal is logged.
#include "BusTestSupport.h"

#include "connect/BusSubjects.h"
#include "connect/ConnectKivo.h"
#include "connect/Envelope.h"
#include "connect/NatsTransport.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"
#include "oms/Store.h"
#include "protocol/Visibility.h"
#include "support/ChildProcess.h"

#include <nats/nats.h>

#include <fstream>

using bus_test::Collector;
using bus_test::WaitFor;
using connect::Message;

namespace
{

constexpr std::int32_t kKey = 51803;

// A client written against the bus alone: it connects as it likes and says what it likes.
class Hostile
{
public:
    struct Login
    {
        std::string user;
        std::string password;
        std::string ca; // empty: no TLS
    };

    ~Hostile()
    {
        for (natsSubscription* subscription : m_subscriptions)
            natsSubscription_Destroy(subscription);
        natsConnection_Destroy(m_connection);
    }

    // NATS_OK, or why the bus would not have it ('error').
    natsStatus Connect(const std::string& url, const Login& login, std::string* error = nullptr)
    {
        natsOptions* options = nullptr;
        natsOptions_Create(&options);
        natsOptions_SetURL(options, url.c_str());
        natsOptions_SetTimeout(options, 3000);
        natsOptions_SetMaxReconnect(options, 0);
        if (!login.password.empty())
            natsOptions_SetUserInfo(options, login.user.c_str(), login.password.c_str());
        if (!login.ca.empty())
        {
            natsOptions_SetSecure(options, true);
            natsOptions_LoadCATrustedCertificates(options, login.ca.c_str());
        }
        if (!login.user.empty())
            natsOptions_SetCustomInboxPrefix(options, ("kivo.inbox." + login.user).c_str());
        natsOptions_SetErrorHandler(options, &Hostile::OnError, this);
        const natsStatus status = natsConnection_Connect(&m_connection, options);
        natsOptions_Destroy(options);
        if (status != NATS_OK && error)
        {
            const char* last = nats_GetLastError(nullptr);
            *error =
                std::string(natsStatus_GetText(status)) + (last ? std::string(" ") + last : std::string());
        }
        return status;
    }
    void Publish(const std::string& subject, const std::vector<std::uint8_t>& bytes,
                 const std::string& reply = "")
    {
        if (reply.empty())
            natsConnection_Publish(m_connection, subject.c_str(), bytes.data(),
                                   static_cast<int>(bytes.size()));
        else
            natsConnection_PublishRequest(m_connection, subject.c_str(), reply.c_str(), bytes.data(),
                                          static_cast<int>(bytes.size()));
        natsConnection_FlushTimeout(m_connection, 2000);
    }
    // Every message that arrives on the subject from now on.
    Collector& Listen(const std::string& subject)
    {
        m_collectors.push_back(std::make_unique<Collector>());
        Collector* collector = m_collectors.back().get();
        natsSubscription* subscription = nullptr;
        natsConnection_Subscribe(
            &subscription, m_connection, subject.c_str(),
            [](natsConnection*, natsSubscription*, natsMsg* message, void* closure)
            {
                const auto* data = reinterpret_cast<const std::uint8_t*>(natsMsg_GetData(message));
                static_cast<Collector*>(closure)->Delivery()(
                    std::vector<std::uint8_t>(data, data + natsMsg_GetDataLength(message)));
                natsMsg_Destroy(message);
            },
            collector);
        m_subscriptions.push_back(subscription);
        natsConnection_FlushTimeout(m_connection, 2000);
        return *collector;
    }
    // A request to the server as a terminal would send it, on 'asUser''s request subject, its
    // replies to this client's inbox; every reply, the closing one last (empty: none came).
    std::vector<Message> Ask(const std::string& asUser, const Message& body, connect::Session session = {},
                             const std::string& messageId = connect::NewMessageId(),
                             std::chrono::milliseconds patience = std::chrono::seconds(5))
    {
        const std::string reply = "kivo.inbox." + m_user + ".hostile." + std::to_string(++m_asked);
        Collector& replies = Listen(reply);
        connect::Envelope envelope{messageId, std::move(session), body.ToWire()};
        Publish("kivo.requests." + asUser, envelope.ToBytes(), reply);
        WaitFor([&] { return Closed(replies); }, patience);
        return replies.Messages();
    }
    // A request to the JetStream API; its answer as text (empty: none).
    std::string Api(const std::string& subject, const std::string& json)
    {
        natsMsg* reply = nullptr;
        natsConnection_RequestString(&reply, m_connection, subject.c_str(), json.c_str(), 2000);
        std::string text = reply ? std::string(natsMsg_GetData(reply), natsMsg_GetDataLength(reply)) : "";
        natsMsg_Destroy(reply);
        return text;
    }
    // What the bus refused of this connection's doing, in its words.
    std::vector<std::string> Refusals()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_refusals;
    }
    bool Refused(const std::string& subject)
    {
        return WaitFor(
            [&]
            {
                for (const std::string& refusal : Refusals())
                {
                    if (refusal.find("\"" + subject + "\"") != std::string::npos)
                        return true;
                }
                return false;
            },
            std::chrono::seconds(3));
    }
    bool Open() const { return natsConnection_Status(m_connection) == NATS_CONN_STATUS_CONNECTED; }
    void SetUser(std::string user) { m_user = std::move(user); }

    static bool Closed(const Collector& replies)
    {
        const std::vector<Message> messages = replies.Messages();
        return !messages.empty() && messages.back().Has(connect::kClosingField);
    }

private:
    static void OnError(natsConnection* connection, natsSubscription*, natsStatus, void* closure)
    {
        const char* text = nullptr;
        natsConnection_GetLastError(connection, &text);
        auto* self = static_cast<Hostile*>(closure);
        std::lock_guard<std::mutex> guard(self->m_lock);
        self->m_refusals.push_back(text ? text : "");
    }

    natsConnection* m_connection = nullptr;
    std::string m_user;
    int m_asked = 0;
    std::vector<natsSubscription*> m_subscriptions;
    std::vector<std::unique_ptr<Collector>> m_collectors;
    std::mutex m_lock;
    std::vector<std::string> m_refusals;
};

std::string Status(const std::vector<Message>& replies)
{
    const std::string* code = replies.empty() ? nullptr : replies.back().Value(connect::kClosingField, 0);
    return code ? *code : "none";
}

std::string Text(const std::vector<Message>& replies)
{
    const std::size_t count = replies.empty() ? 0 : replies.back().ValueCount(connect::kClosingField);
    return count ? *replies.back().Value(connect::kClosingField, count - 1) : "";
}

class AttackTest : public bus_test::BusTest
{
protected:
    void SetUp() override
    {
        bus_test::BusTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        oms = std::make_unique<OmsProcess>(KIVO_OMS_PROGRAM, folder.Path() / "oms.db",
                                           folder.Path() / "kivo-oms.log");
        oms->SetCredentials(secured->ServerCredentials(), secured->CaFile());
        ASSERT_TRUE(oms->Start(bus->Url())) << oms->Log();
    }

    // A hostile client with a user's own credentials (he is a user of the server, just not an
    // honest one).
    std::unique_ptr<Hostile> As(const std::string& user)
    {
        const connect::BusOptions options = OptionsFor(user);
        auto client = std::make_unique<Hostile>();
        client->SetUser(user);
        std::string error;
        EXPECT_EQ(client->Connect(bus->Url(), {options.user, options.password, options.caFile}, &error),
                  NATS_OK)
            << error;
        return client;
    }

    // The server's database, read beside it.
    template <typename T> T Db(const std::function<T(oms::Store&)>& read)
    {
        oms::Store::Options options;
        options.serverLock = false;
        const std::unique_ptr<oms::Store> store =
            oms::Store::Open((folder.Path() / "oms.db").string(), options);
        return read(*store);
    }
    oms::RequestRecord PendingOf(int type)
    {
        return Db<oms::RequestRecord>(
            [type](oms::Store& s)
            {
                std::optional<oms::RequestRecord> found;
                s.ForEachPending(
                    [&](const oms::RequestRecord& r)
                    {
                        if (!found && r.type == type && r.category != "INVESTOR_CLIENT")
                            found = r;
                    });
                return *found;
            });
    }
    std::string StatusOf(std::int64_t key)
    {
        return Db<std::string>([key](oms::Store& s) { return s.Request(key)->status; });
    }
    // The last refusal in the decision log about the request.
    std::string LoggedRefusal(std::int64_t key)
    {
        return Db<std::string>(
            [key](oms::Store& s)
            {
                const std::vector<oms::DecisionEntry> log = s.Decisions(key);
                return log.empty() || log.back().outcome != "refused"
                           ? std::string()
                           : log.back().checker + ": " + log.back().statusText;
            });
    }
    static Message Accept(const oms::RequestRecord& r, const std::string& checker)
    {
        return Message()
            .Add(0, "om_authenticate_functionality")
            .Add(31003, r.entity)
            .Add(54294, checker)
            .Add(kKey, std::to_string(r.key))
            .Add(63713, std::to_string(r.type))
            .Add(10303, "accepted");
    }

    std::unique_ptr<OmsProcess> oms;
};

TEST_F(AttackTest, AnonymousPlainAndWrongPasswordConnectionsAreRefused)
{
    const connect::BusOptions maker = OptionsFor("MAKER1");
    std::string error;
    Hostile anonymous;
    EXPECT_NE(anonymous.Connect(bus->Url(), {"", "", maker.caFile}, &error), NATS_OK);
    EXPECT_NE(error.find("Authorization"), std::string::npos) << error;
    Hostile guessing;
    EXPECT_NE(guessing.Connect(bus->Url(), {"MAKER1", "not-his-password", maker.caFile}, &error), NATS_OK);
    // Without TLS the bus will not even talk.
    Hostile plain;
    const std::string plainUrl = "nats://127.0.0.1:" + std::to_string(bus->Port());
    EXPECT_NE(plain.Connect(plainUrl, {"MAKER1", maker.password, ""}, &error), NATS_OK);
    Hostile honest;
    EXPECT_EQ(honest.Connect(bus->Url(), {"MAKER1", maker.password, maker.caFile}, &error), NATS_OK) << error;
}

TEST_F(AttackTest, ADecisionInAnotherNameIsRefusedWhateverTheMessageSays)
{
    const oms::RequestRecord r = PendingOf(oms::kModifyUser);
    std::unique_ptr<Hostile> maker = As("MAKER1");

    // Naming a checker in the message, or in a session he wrote himself.
    std::vector<Message> named = maker->Ask("MAKER1", Accept(r, "CHECKER2"));
    EXPECT_EQ(Status(named), "4") << Text(named);
    EXPECT_EQ(LoggedRefusal(r.key), "MAKER1: " + Text(named));
    std::vector<Message> session = maker->Ask("MAKER1", Accept(r, "CHECKER2"), {"CHECKER2", "KIVO", 0});
    EXPECT_EQ(Status(session), "4") << Text(session);
    EXPECT_NE(LoggedRefusal(r.key).find("its session names CHECKER2"), std::string::npos);

    // Sending from the checker's subject: the bus does not let him.
    constexpr auto kNoAnswer = std::chrono::milliseconds(500);
    const std::vector<Message> stolen = maker->Ask("CHECKER2", Accept(r, "CHECKER2"), {"CHECKER2", "KIVO", 0},
                                                   connect::NewMessageId(), kNoAnswer);
    EXPECT_TRUE(stolen.empty());
    EXPECT_TRUE(maker->Refused("kivo.requests.CHECKER2"));

    // Names that are no user cannot even be sent from.
    for (const std::string nobody : {"NOBODY", "maker1"})
    {
        EXPECT_TRUE(maker->Ask(nobody, Accept(r, nobody), {}, connect::NewMessageId(), kNoAnswer).empty());
        EXPECT_TRUE(maker->Refused("kivo.requests." + nobody));
    }
    EXPECT_EQ(StatusOf(r.key), "auth pending");

    // A dealer of level 4, in his own name: he checks nothing.
    const std::vector<Message> dealer =
        As("KV1001")->Ask("KV1001", Accept(r, "KV1001"), {"KV1001", "KIVO", 4});
    EXPECT_NE(Status(dealer), "0") << Text(dealer);
    EXPECT_EQ(StatusOf(r.key), "auth pending");
}

TEST_F(AttackTest, AUserWhoIsMakerAndCheckerCannotAcceptHisOwnRequestByHandOrInTheConsole)
{
    // CHECKER1 enters a change with the makers' tool, then tries to accept it.
    ChildProcess tool({KIVO_MAKER_PROGRAM, "--bus", bus->Url(), "--bus-credentials",
                       secured->CredentialsOf("CHECKER1").string(), "--bus-ca", secured->CaFile().string(),
                       "modify-user", "KV1001", "email=own@kivo-trade.in"},
                      (folder.Path() / "kivo-maker.log").string());
    ASSERT_EQ(tool.Wait(std::chrono::seconds(60)), 0) << tool.Output();
    const std::int64_t key =
        Db<std::int64_t>([](oms::Store& s) { return *s.PendingFor(oms::EntityKind::User, "KV1001"); });
    const oms::RequestRecord own = Db<oms::RequestRecord>([key](oms::Store& s) { return *s.Request(key); });
    ASSERT_EQ(own.maker, "CHECKER1");

    std::unique_ptr<Hostile> checker = As("CHECKER1");
    EXPECT_EQ(Status(checker->Ask("CHECKER1", Accept(own, "CHECKER1"), {"CHECKER1", "KIVO", 0})), "3");
    EXPECT_EQ(Status(checker->Ask("CHECKER1", Accept(own, "CHECKER2"), {"CHECKER1", "KIVO", 0})), "4");
    EXPECT_EQ(Status(checker->Ask("CHECKER1", Accept(own, "CHECKER2"))), "4");

    // His console never lists it, so there is nothing to tick: it lists all the others.
    const std::filesystem::path script = folder.Path() / "own.kivo";
    std::ofstream(script) << "wait-for-log Message bus\nclick 1001\nwait 3000\nexpect-no-row " << key
                          << "\necho checked\nquit\n";
    ChildProcess terminal(
        {KIVO_HOST_PROGRAM, "--headless", "--user", "CHECKER1", "--broker", "KIVO", "--privilege", "0",
         "--bus", bus->Url(), "--bus-credentials", secured->CredentialsOf("CHECKER1").string(), "--bus-ca",
         secured->CaFile().string(), "--script", script.string()},
        (folder.Path() / "terminal.log").string(),
        {"HOME=" + folder.Path().string(), "XDG_CONFIG_HOME=" + (folder.Path() / "config").string(),
         "XDG_DATA_HOME=" + (folder.Path() / "data").string()});
    EXPECT_EQ(terminal.Wait(std::chrono::seconds(60)), 0) << terminal.Output();
    EXPECT_NE(terminal.Output().find("checked"), std::string::npos) << terminal.Output();
    EXPECT_EQ(StatusOf(key), "auth pending");
}

TEST_F(AttackTest, ALevelClaimedInTheSessionListsNothingAndTheBusShowsOnlyTheUsersOwn)
{
    std::unique_ptr<Hostile> dealer = As("KV1001");
    const Message recover = Message().Add(0, "om_get_functionality_details").Add(31003, "KV1001");
    const std::vector<Message> claimed = dealer->Ask("KV1001", recover, {"KV1001", "KIVO", 0});
    EXPECT_EQ(Status(claimed), std::to_string(oms::kStatusNotAuthorised)) << Text(claimed);
    EXPECT_EQ(claimed.size(), 1u);
    EXPECT_EQ(Db<std::string>([](oms::Store& s)
                              { return s.Db().QueryText("SELECT sender || ' ' || function FROM refusals"); }),
              "KV1001 om_get_functionality_details");
    const std::vector<Message> honest = dealer->Ask("KV1001", recover, {"KV1001", "KIVO", 4});
    EXPECT_EQ(Status(honest), "0");
    for (std::size_t i = 0; i + 1 < honest.size(); ++i)
        EXPECT_EQ(*honest[i].Value(31003), "KV1001");

    // The published stream: no plain subscription, no consumer beyond his level's filter.
    dealer->Listen("kivo.published.>");
    EXPECT_TRUE(dealer->Refused("kivo.published.>"));
    const std::string everything = "{\"stream_name\":\"kivo_published\",\"config\":{\"name\":\"all\","
                                   "\"deliver_subject\":\"kivo.inbox.KV1001.x\",\"filter_subject\":"
                                   "\"kivo.published.>\",\"ack_policy\":\"none\"}}";
    EXPECT_EQ(dealer->Api("$JS.API.CONSUMER.CREATE.kivo_published.all.kivo.published.>", everything), "");
    EXPECT_TRUE(dealer->Refused("$JS.API.CONSUMER.CREATE.kivo_published.all.kivo.published.>"));
    EXPECT_EQ(dealer->Api("$JS.API.CONSUMER.CREATE.kivo_published", everything), "");
    EXPECT_TRUE(dealer->Refused("$JS.API.CONSUMER.CREATE.kivo_published"));
    // His own filter in the subject, another in the consumer: the bus sees through it.
    const connect::SubscriptionFilter own = *protocol::VisibilityFilter(4, "KV1001", "KIVO");
    const std::string ownSubject = connect::BusSubjects("kivo").FilterSubject(own);
    const std::string mismatch =
        dealer->Api("$JS.API.CONSUMER.CREATE.kivo_published.mine." + ownSubject, everything);
    EXPECT_NE(mismatch.find("\"error\""), std::string::npos) << mismatch;
    // Another user's replies.
    dealer->Listen("kivo.inbox.CHECKER1.>");
    EXPECT_TRUE(dealer->Refused("kivo.inbox.CHECKER1.>"));
}

TEST_F(AttackTest, ForgedPublicationsNeverReachATerminalAndTheStreamCannotBeCleared)
{
    connect::NatsTransport terminal(OptionsFor("CHECKER1"));
    Collector listed;
    ASSERT_TRUE(terminal.Subscribe(*protocol::VisibilityFilter(0, "CHECKER1", "KIVO"), listed.Delivery(),
                                   nullptr, nullptr));
    ASSERT_TRUE(WaitFor([&] { return terminal.SubscriptionsLive(); }));
    const oms::RequestRecord r = PendingOf(oms::kModifyUser);

    std::unique_ptr<Hostile> dealer = As("KV1001");
    oms::RequestRecord decided = r;
    decided.status = "accepted";
    decided.decidedBy = "CHECKER2";
    const Message forged = oms::PublishedForm(decided);
    const std::string subject = connect::BusSubjects("kivo").PublishedSubject(forged);
    dealer->Publish(subject, forged.ToWire());
    EXPECT_TRUE(dealer->Refused(subject));
    oms::RequestRecord invented = r;
    invented.key = 999999;
    const Message fake = oms::PublishedForm(invented);
    dealer->Publish(connect::BusSubjects("kivo").PublishedSubject(fake), fake.ToWire());
    // Through the stream's API: neither purged, nor deleted, nor a message taken out.
    for (const char* api :
         {"$JS.API.STREAM.PURGE.kivo_published", "$JS.API.STREAM.DELETE.kivo_published",
          "$JS.API.STREAM.MSG.DELETE.kivo_published", "$JS.API.STREAM.UPDATE.kivo_published"})
    {
        EXPECT_EQ(dealer->Api(api, "{}"), "") << api;
        EXPECT_TRUE(dealer->Refused(api)) << api;
    }

    // The honest server's publication still arrives, and nothing forged before it.
    std::unique_ptr<Hostile> checker = As("CHECKER2");
    ASSERT_EQ(Status(checker->Ask("CHECKER2", Accept(r, "CHECKER2"), {"CHECKER2", "KIVO", 0})), "0");
    ASSERT_TRUE(WaitFor([&] { return listed.Count() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_EQ(listed.Count(), 1u);
    EXPECT_EQ(*listed.Messages()[0].Value(kKey), std::to_string(r.key));
    EXPECT_EQ(*listed.Messages()[0].Value(54294), "CHECKER2");
}

// A message handed to a user with a reply subject gives him no right to publish there (the bus
// would otherwise let him answer once, anywhere the sender named); what he may answer is his
// consumers' flow control.
TEST_F(AttackTest, AReplySubjectHandedToAUserLetsHimPublishNothingButFlowControlAnswers)
{
    std::unique_ptr<Hostile> checker = As("CHECKER1");
    Hostile server;
    const connect::BusOptions serverOptions = secured->ServerOptions();
    ASSERT_EQ(server.Connect(bus->Url(), {serverOptions.user, serverOptions.password, serverOptions.caFile}),
              NATS_OK);
    const std::vector<std::uint8_t> body = Message().Add(0, "om_get_functionality_details").ToWire();
    Collector& handed = checker->Listen("kivo.inbox.CHECKER1.handed");
    Collector& atCheckerTwo = server.Listen("kivo.requests.CHECKER2");
    server.Publish("kivo.inbox.CHECKER1.handed", body, "kivo.requests.CHECKER2");
    ASSERT_TRUE(WaitFor([&] { return handed.Count() == 1; }));

    checker->Publish("kivo.requests.CHECKER2", body);
    EXPECT_TRUE(checker->Refused("kivo.requests.CHECKER2"));
    EXPECT_EQ(atCheckerTwo.Count(), 0u);
    const std::string flowControl = "$JS.FC.kivo_published.consumer.1";
    checker->Publish(flowControl, {});
    EXPECT_FALSE(checker->Refused(flowControl));
}

TEST_F(AttackTest, RepliesGoOnlyToTheSendersOwnInbox)
{
    std::unique_ptr<Hostile> victim = As("CHECKER1");
    Collector& victimInbox = victim->Listen("kivo.inbox.CHECKER1.>");
    std::unique_ptr<Hostile> maker = As("MAKER1");
    connect::Envelope envelope{
        connect::NewMessageId(),
        {},
        Message().Add(0, "om_get_functionality_details").Add(31003, "MAKER1").ToWire()};
    maker->Publish("kivo.requests.MAKER1", envelope.ToBytes(), "kivo.inbox.CHECKER1.stolen");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(victimInbox.Count(), 0u);
}

TEST_F(AttackTest, RepeatedFieldsReusedIdsAndHugeMessagesAreRefusedAndLoggedInBrief)
{
    const oms::RequestRecord first = PendingOf(oms::kModifyUser);
    const oms::RequestRecord second = PendingOf(oms::kRmsLimits);
    std::unique_ptr<Hostile> checker = As("CHECKER2");
    const connect::Session session{"CHECKER2", "KIVO", 0};

    Message twoKeys = Accept(first, "CHECKER2");
    twoKeys.Add(kKey, std::to_string(second.key));
    EXPECT_EQ(Status(checker->Ask("CHECKER2", twoKeys, session)), "4");
    Message twoNames = Accept(first, "CHECKER2");
    twoNames.Add(54294, "CHECKER1");
    EXPECT_EQ(Status(checker->Ask("CHECKER2", twoNames, session)), "4");
    EXPECT_EQ(StatusOf(first.key), "auth pending");
    EXPECT_EQ(StatusOf(second.key), "auth pending");

    // One id, two decisions: the second is refused, not silently skipped.
    ASSERT_EQ(Status(checker->Ask("CHECKER2", Accept(first, "CHECKER2"), session, "reused-id")), "0");
    const Message reject = Message()
                               .Add(0, "om_authenticate_functionality")
                               .Add(54294, "CHECKER2")
                               .Add(kKey, std::to_string(second.key))
                               .Add(63713, "360")
                               .Add(10303, "rejected")
                               .Add(32766, "No");
    const std::vector<Message> reused = checker->Ask("CHECKER2", reject, session, "reused-id");
    EXPECT_EQ(Status(reused), "4");
    EXPECT_NE(Text(reused).find("was used before for another message"), std::string::npos);
    EXPECT_EQ(StatusOf(second.key), "auth pending");

    // Five messages of most of a megabyte each add a little to the log, not five megabytes.
    const auto logBytes = [this]
    {
        return Db<std::int64_t>(
            [](oms::Store& s)
            {
                return std::stoll(
                    s.Db().QueryText("SELECT COALESCE(SUM(LENGTH(reason) + LENGTH(edited) + "
                                     "LENGTH(status_text) + LENGTH(checker)), 0) FROM decision_log"));
            });
    };
    const std::int64_t before = logBytes();
    for (int i = 0; i < 5; ++i)
    {
        Message huge = reject;
        huge.Add(32766, std::string(900 * 1024, 'x'));
        EXPECT_EQ(Status(checker->Ask("CHECKER2", huge, session)), "4");
    }
    EXPECT_LT(logBytes() - before, 10 * 1024);
    EXPECT_EQ(StatusOf(second.key), "auth pending");
}

TEST_F(AttackTest, ARevokedUserIsRefusedOnceTheBusReloads)
{
    std::unique_ptr<Hostile> maker = As("MAKER1");
    ASSERT_TRUE(maker->Open());
    const Message recover = Message().Add(0, "om_get_functionality_details").Add(31003, "MAKER1");
    ASSERT_EQ(Status(maker->Ask("MAKER1", recover, {"MAKER1", "KIVO", 0})), "0");
    const connect::BusOptions options = OptionsFor("MAKER1");

    secured->Revoke("MAKER1");
    // His open connection is closed by the bus, and a new one is not taken.
    EXPECT_TRUE(WaitFor([&] { return !maker->Open(); }, std::chrono::seconds(10)));
    Hostile again;
    std::string error;
    EXPECT_NE(again.Connect(bus->Url(), {"MAKER1", options.password, options.caFile}, &error), NATS_OK);
    EXPECT_NE(error.find("Authorization"), std::string::npos) << error;
}


// An impostor's bus, its certificate from an authority of its own that the machine trusts by
// default (in the system's bundle, as a public authority is): a maker given the deployment's
// authority does not log in to it. The handshake fails before his password is sent.
TEST_F(AttackTest, ABusOfAnotherAuthorityGetsNoLoginEvenWhenTheMachineTrustsThatAuthority)
{
    const std::filesystem::path rogueFolder = folder.Path() / "impostor";
    std::filesystem::create_directories(rogueFolder);
    const std::optional<std::filesystem::path> seeded = SeededOmsDatabase(KIVO_OMS_PROGRAM, KIVO_TEST_CACHE_DIR);
    ASSERT_TRUE(seeded);
    std::filesystem::copy_file(*seeded, rogueFolder / "oms.db");
    SecuredBus impostor(rogueFolder, rogueFolder / "oms.db");
    ASSERT_TRUE(impostor.Start()) << impostor.Process().Log();

    const connect::BusOptions maker = OptionsFor("MAKER1");
    ChildProcess tool({KIVO_MAKER_PROGRAM, "--bus", impostor.Url(), "--bus-credentials",
                       secured->CredentialsOf("MAKER1").string(), "--bus-ca", maker.caFile, "limits",
                       "branch:KIVO-PUN", "cash-margin=10"},
                      (folder.Path() / "impostor-maker.log").string(),
                      {"SSL_CERT_FILE=" + impostor.CaFile().string()});
    EXPECT_NE(tool.Wait(std::chrono::seconds(60)), 0) << tool.Output();
    const std::string log = impostor.Process().Log();
    EXPECT_NE(log.find("TLS handshake error"), std::string::npos) << "the maker did not try\n" << log;
    EXPECT_EQ(log.find("authentication error"), std::string::npos) << "the impostor saw a login\n" << log;
}

} // namespace
