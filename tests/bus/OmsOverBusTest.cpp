// kivo-oms serving terminals over a NATS server that the test starts: decisions seen by every
// terminal, one decision among two at once, what each privilege level receives, and the server
// or the bus going down in the middle of the work.
#include "BusTestSupport.h"

#include "connect/ConnectKivo.h"
#include "connect/NatsTransport.h"
#include "connect/ReplyStream.h"
#include "oms/Publication.h"
#include "protocol/Visibility.h"
#include "support/OmsProcess.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <set>
#include <sstream>

using bus_test::Collector;
using bus_test::WaitFor;
using connect::Message;

namespace
{

constexpr std::int32_t kStatus = 54211;
constexpr std::int32_t kKey = 51803;
constexpr std::int32_t kBranch = 64053;

// A terminal as the host makes it on the bus: its session with every request, its user's
// subscription filter.
class Terminal
{
public:
    Terminal(connect::BusOptions options, connect::Session session) : m_session(std::move(session))
    {
        options.requestTimeLimit = std::chrono::seconds(5);
        m_transport = std::make_unique<connect::NatsTransport>(options);
        const auto filter = protocol::VisibilityFilter(m_session.privilege, m_session.user, m_session.broker);
        EXPECT_TRUE(filter.has_value());
        EXPECT_TRUE(m_transport->Subscribe(*filter, published.Delivery(), nullptr, nullptr));
    }

    bool Ready() const { return m_transport->Connected() && m_transport->SubscriptionsLive(); }

    // Sends without waiting; the replies, the closing one last, go to 'replies'.
    void Send(const Message& body, Collector& replies, const std::string& messageId = connect::NewMessageId())
    {
        connect::Envelope envelope;
        envelope.messageId = messageId;
        envelope.session = m_session;
        envelope.body = body.ToWire();
        EXPECT_TRUE(m_transport->SendRequest(envelope, replies.Delivery(), nullptr));
    }
    // Sends and waits for the closing reply; every reply, the closing one last.
    std::vector<Message> Ask(const Message& body)
    {
        Collector replies;
        Send(body, replies);
        EXPECT_TRUE(WaitFor([&] { return Closed(replies); }, std::chrono::seconds(30)));
        return replies.Messages();
    }
    // The keys the server lists for this user as pending (recovery), in its order.
    // A server that is not back on the bus yet (it was restarted, or the bus was) is asked again.
    std::vector<std::string> Recover()
    {
        std::vector<Message> replies;
        WaitFor(
            [&]
            {
                replies = Ask(Message().Add(0, "om_get_functionality_details").Add(31003, m_session.user));
                return ClosingStatus(replies) != std::to_string(connect::kStatusNoServer);
            });
        EXPECT_EQ(ClosingStatus(replies), "0") << ClosingText(replies);
        std::vector<std::string> keys;
        for (std::size_t i = 0; i + 1 < replies.size(); ++i)
            keys.push_back(*replies[i].Value(kKey));
        return keys;
    }

    Message Reject(const std::string& key) const
    {
        return Message()
            .Add(0, "om_authenticate_functionality")
            .Add(54294, m_session.user)
            .Add(kKey, key)
            .Add(10303, "rejected")
            .Add(32766, "Rejected over the bus");
    }

    // What the subscription made of each request: its last published status by key, and how
    // often each state of each request arrived.
    std::map<std::string, std::string> LastStatus() const
    {
        std::map<std::string, std::string> last;
        for (const Message& message : published.Messages())
            last[*message.Value(kKey)] = *message.Value(kStatus);
        return last;
    }
    std::map<std::string, int> Arrivals() const
    {
        std::map<std::string, int> count;
        for (const Message& message : published.Messages())
            ++count[*message.Value(kKey) + " " + *message.Value(kStatus)];
        return count;
    }
    std::set<std::string> PendingByPublication() const
    {
        std::set<std::string> pending;
        for (const auto& [key, status] : LastStatus())
        {
            if (status == "auth pending")
                pending.insert(key);
        }
        return pending;
    }

    static bool Closed(const Collector& replies)
    {
        const std::vector<Message> messages = replies.Messages();
        return !messages.empty() && messages.back().Value(connect::kClosingField) != nullptr;
    }
    static std::string ClosingStatus(const std::vector<Message>& replies)
    {
        if (replies.empty() || !replies.back().Value(connect::kClosingField, 0))
            return "none";
        return *replies.back().Value(connect::kClosingField, 0);
    }
    static std::string ClosingText(const std::vector<Message>& replies)
    {
        const std::size_t count = replies.empty() ? 0 : replies.back().ValueCount(connect::kClosingField);
        return count ? *replies.back().Value(connect::kClosingField, count - 1) : "";
    }

    Collector published;

private:
    connect::Session m_session;
    std::unique_ptr<connect::NatsTransport> m_transport;
};

class OmsOverBusTest : public bus_test::BusTest
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

    // kivo-maker on the server's database: the server publishes what it enters.
    void Maker(const std::vector<std::string>& lines)
    {
        const std::filesystem::path file = folder.Path() / "requests.txt";
        {
            std::ofstream out(file);
            for (const std::string& line : lines)
                out << line << "\n";
        }
        ChildProcess maker(
            {KIVO_MAKER_PROGRAM, "--db", (folder.Path() / "oms.db").string(), "--file", file.string()},
            (folder.Path() / "kivo-maker.log").string());
        ASSERT_EQ(maker.Wait(std::chrono::seconds(60)), 0) << maker.Output();
    }

    // A headless terminal on the bus (CHECKER2, level 0) running the script's lines, its output
    // in NAME.log.
    void StartTerminal(ChildProcess& terminal, const std::string& name, const std::vector<std::string>& lines)
    {
        const std::filesystem::path script = folder.Path() / (name + ".kivo");
        {
            std::ofstream out(script);
            for (const std::string& line : lines)
                out << line << "\n";
        }
        terminal.Start(
            {KIVO_HOST_PROGRAM, "--headless", "--user", "CHECKER2", "--broker", "KIVO", "--privilege", "0",
             "--bus", bus->Url(), "--bus-credentials", secured->CredentialsOf("CHECKER2").string(),
             "--bus-ca", secured->CaFile().string(), "--script", script.string()},
            (folder.Path() / (name + ".log")).string(),
            {"HOME=" + folder.Path().string(), "XDG_CONFIG_HOME=" + (folder.Path() / "config").string(),
             "XDG_DATA_HOME=" + (folder.Path() / "data").string()});
    }
    // Waits until the terminal's script echoed WORD; false when it ended first or took too long.
    static bool Says(ChildProcess& terminal, const std::string& word)
    {
        return WaitFor([&]
                       { return terminal.Output().find(word) != std::string::npos || !terminal.Running(); },
                       std::chrono::seconds(60)) &&
               terminal.Output().find(word) != std::string::npos;
    }

    std::unique_ptr<OmsProcess> oms;
};

TEST_F(OmsOverBusTest, TerminalsSeeWhatTheirLevelAdmitsAndOneDecisionAmongTwoAtOnce)
{
    Terminal checker1(OptionsFor("CHECKER1"), {"CHECKER1", "KIVO", 0});
    Terminal checker2(OptionsFor("CHECKER2"), {"CHECKER2", "KIVO", 0});
    Terminal mumbai(OptionsFor("KIVO-MUM"), {"KIVO-MUM", "KIVO", 2});
    ASSERT_TRUE(WaitFor([&] { return checker1.Ready() && checker2.Ready() && mumbai.Ready(); }));

    Maker({"maker=MAKER1 modify-user KV1001 email=first@kivo-trade.in",
           "maker=MAKER1 limits branch:KIVO-DEL remarks=\"Raised for Delhi\"",
           "maker=MAKER1 modify-user ADMIN1 email=admin@kivo-trade.in"});
    ASSERT_TRUE(WaitFor([&] { return checker1.published.Count() == 3 && checker2.published.Count() == 3; }))
        << checker1.published.Count() << " " << checker2.published.Count() << "\n"
        << oms->Log();
    const std::vector<std::string> keys = checker1.published.Values(kKey);
    EXPECT_EQ(checker2.published.Values(kKey), keys);
    // The branch administrator's terminal receives its branch's requests only (the dealer may
    // be of that branch too).
    std::vector<std::string> ofMumbai;
    for (const Message& message : checker1.published.Messages())
    {
        if (message.Value(kBranch) && *message.Value(kBranch) == "KIVO-MUM")
            ofMumbai.push_back(*message.Value(kKey));
    }
    ASSERT_EQ(ofMumbai.back(), keys[2]);
    ASSERT_TRUE(WaitFor([&] { return mumbai.published.Count() >= ofMumbai.size(); }));
    EXPECT_EQ(mumbai.published.Values(kKey), ofMumbai);

    // Both checkers reject the Mumbai request at once: one decision is applied, the other is told.
    Collector first, second;
    checker1.Send(checker1.Reject(keys[2]), first);
    checker2.Send(checker2.Reject(keys[2]), second);
    ASSERT_TRUE(WaitFor([&] { return Terminal::Closed(first) && Terminal::Closed(second); }));
    const std::multiset<std::string> statuses = {Terminal::ClosingStatus(first.Messages()),
                                                 Terminal::ClosingStatus(second.Messages())};
    EXPECT_EQ(statuses, (std::multiset<std::string>{"0", "2"}));
    const std::vector<Message>& refused =
        Terminal::ClosingStatus(first.Messages()) == "2" ? first.Messages() : second.Messages();
    EXPECT_NE(Terminal::ClosingText(refused).find("was already rejected by"), std::string::npos)
        << Terminal::ClosingText(refused);

    // The outcome reaches every terminal that saw the request, once: the row leaves every list.
    for (Terminal* terminal : {&checker1, &checker2, &mumbai})
        ASSERT_TRUE(WaitFor([&] { return terminal->LastStatus()[keys[2]] == "rejected"; }));
    EXPECT_EQ(checker2.Arrivals()[keys[2] + " rejected"], 1);
    EXPECT_EQ(mumbai.Arrivals()[keys[2] + " rejected"], 1);
    EXPECT_EQ(checker1.PendingByPublication(), (std::set<std::string>{keys[0], keys[1]}));
    // The Delhi request is none of the Mumbai terminal's business.
    EXPECT_EQ(mumbai.published.Count(), ofMumbai.size() + 1);
    for (const Message& message : mumbai.published.Messages())
        EXPECT_EQ(*message.Value(kBranch), "KIVO-MUM");
}

TEST_F(OmsOverBusTest, AServerKilledInADecisionBurstLosesNothingAndAppliesNothingTwice)
{
    Terminal checker(OptionsFor("CHECKER2"), {"CHECKER2", "KIVO", 0});
    ASSERT_TRUE(WaitFor([&] { return checker.Ready(); }));
    // The seeded pending requests, which the server never published.
    std::vector<std::string> keys = checker.Recover();
    ASSERT_GE(keys.size(), 20u);
    keys.resize(20);

    // The burst: each decision with its message id, the server killed once some were answered.
    std::vector<std::string> ids;
    std::vector<std::unique_ptr<Collector>> replies;
    for (const std::string& key : keys)
    {
        ids.push_back(connect::NewMessageId());
        replies.push_back(std::make_unique<Collector>());
        checker.Send(checker.Reject(key), *replies.back(), ids.back());
    }
    ASSERT_TRUE(WaitFor([&] { return Terminal::Closed(*replies[3]); }));
    oms->Kill();
    ASSERT_TRUE(oms->Start(bus->Url())) << oms->Log();

    // Every decision whose answer did not come (lost with the server, or timed out) is sent
    // again with its id, as a terminal resends: the server applies it once whatever it did.
    std::vector<std::string> final(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        ASSERT_TRUE(WaitFor([&] { return Terminal::Closed(*replies[i]); }, std::chrono::seconds(30)));
        std::string status = Terminal::ClosingStatus(replies[i]->Messages());
        if (status != "0")
        {
            Collector again;
            checker.Send(checker.Reject(keys[i]), again, ids[i]);
            ASSERT_TRUE(WaitFor([&] { return Terminal::Closed(again); }, std::chrono::seconds(30)));
            status = Terminal::ClosingStatus(again.Messages());
        }
        final[i] = status;
    }
    EXPECT_EQ(final, std::vector<std::string>(keys.size(), "0"));

    // Each outcome published once, none missing; none of them pending at the server any more.
    ASSERT_TRUE(WaitFor([&] { return checker.published.Count() >= keys.size(); }));
    const std::vector<std::string> remaining = checker.Recover();
    std::map<std::string, int> arrivals = checker.Arrivals();
    for (const std::string& key : keys)
    {
        EXPECT_EQ(arrivals[key + " rejected"], 1) << key;
        EXPECT_EQ(std::count(remaining.begin(), remaining.end(), key), 0) << key;
    }
    EXPECT_EQ(checker.published.Count(), keys.size());
}

TEST_F(OmsOverBusTest, TerminalsEndWithTheServersPendingRequestsAcrossARestartOfTheBus)
{
    Terminal checker1(OptionsFor("CHECKER1"), {"CHECKER1", "KIVO", 0});
    Terminal dhan(OptionsFor("DHAN"), {"DHAN", "DHAN", 1});
    ASSERT_TRUE(WaitFor([&] { return checker1.Ready() && dhan.Ready(); }));

    // The seeded requests, which were never published.
    const std::vector<std::string> seeded1 = checker1.Recover();
    const std::vector<std::string> seededDhan = dhan.Recover();

    // Makers keep entering requests while the bus goes down and comes back.
    ChildProcess makers({KIVO_MAKER_PROGRAM, "--db", (folder.Path() / "oms.db").string(), "--generate",
                         "--every", "0.02", "--count", "60", "--not", "CHECKER1"},
                        (folder.Path() / "kivo-maker.log").string());
    ASSERT_TRUE(WaitFor([&] { return checker1.published.Count() >= 10; }, std::chrono::seconds(30)))
        << oms->Log();
    bus->Stop();
    ASSERT_TRUE(bus->Start()) << bus->Log();
    ASSERT_EQ(makers.Wait(std::chrono::seconds(60)), 0) << makers.Output();

    // Recovery lists what the database holds; the subscriptions must have come to the same.
    for (const auto& [each, seededOfEach] : {std::pair{&checker1, &seeded1}, std::pair{&dhan, &seededDhan}})
    {
        // Plain names: lambdas cannot capture structured bindings everywhere.
        Terminal* terminal = each;
        const std::vector<std::string>* seeded = seededOfEach;
        ASSERT_TRUE(WaitFor([&] { return terminal->Ready(); }));
        const std::vector<std::string> recovered = terminal->Recover();
        const std::set<std::string> expected(recovered.begin(), recovered.end());
        std::set<std::string> seen;
        const bool same = WaitFor(
            [&]
            {
                seen = terminal->PendingByPublication();
                const std::map<std::string, std::string> last = terminal->LastStatus();
                for (const std::string& key : *seeded)
                {
                    if (!last.count(key))
                        seen.insert(key);
                }
                return seen == expected;
            });
        EXPECT_TRUE(same) << seen.size() << " pending by publication, " << expected.size()
                          << " at the server";
        for (const auto& [state, count] : terminal->Arrivals())
            EXPECT_EQ(count, 1) << state;
    }
    EXPECT_GT(checker1.published.Count(), dhan.published.Count());
}

TEST_F(OmsOverBusTest, AHeadlessTerminalOnTheBusRecoversAndFollowsTheServer)
{
    Terminal probe(OptionsFor("CHECKER2"), {"CHECKER2", "KIVO", 0});
    ASSERT_TRUE(WaitFor([&] { return probe.Ready(); }));
    const std::size_t pending = probe.Recover().size();
    ASSERT_GT(pending, 0u);

    // The terminal recovers, then a maker's request arrives by its subscription, then another
    // checker's decision takes it out of the list.
    ChildProcess terminal;
    StartTerminal(terminal, "terminal",
                  {"wait-for-log Message bus", "click 1001", "wait-for-rows " + std::to_string(pending),
                   "echo recovered", "wait-for-rows " + std::to_string(pending + 1), "echo arrived",
                   "wait-for-rows " + std::to_string(pending), "quit"});
    ASSERT_TRUE(Says(terminal, "recovered")) << terminal.Output();
    Maker({"maker=MAKER2 modify-user KV1001 email=second@kivo-trade.in"});
    ASSERT_TRUE(Says(terminal, "arrived")) << terminal.Output();
    ASSERT_TRUE(WaitFor([&] { return probe.published.Count() == 1; }));
    EXPECT_EQ(Terminal::ClosingStatus(probe.Ask(probe.Reject(probe.published.Values(kKey)[0]))), "0");
    EXPECT_EQ(terminal.Wait(std::chrono::seconds(60)), 0) << terminal.Output();
}

TEST_F(OmsOverBusTest, ATerminalKilledAndStartedAgainRecoversTheServersState)
{
    Terminal probe(OptionsFor("CHECKER1"), {"CHECKER1", "KIVO", 0});
    ASSERT_TRUE(WaitFor([&] { return probe.Ready(); }));
    const std::vector<std::string> before = probe.Recover();
    ASSERT_GT(before.size(), 3u);

    // The terminal lists what the server holds and is killed while it runs.
    ChildProcess first;
    StartTerminal(first, "first",
                  {"wait-for-log Message bus", "click 1001", "wait-for-rows " + std::to_string(before.size()),
                   "echo recovered", "wait 600000"});
    ASSERT_TRUE(Says(first, "recovered")) << first.Output();
    first.Kill();

    // Meanwhile other checkers decide and makers enter: none of it reaches the dead terminal.
    std::size_t rejected = 0;
    for (std::size_t i = 0; i < before.size() && rejected < 2; ++i)
    {
        // One seeded request is CHECKER1's own, which he may not decide.
        if (Terminal::ClosingStatus(probe.Ask(probe.Reject(before[i]))) == "0")
            ++rejected;
    }
    ASSERT_EQ(rejected, 2u);
    Maker({"maker=MAKER1 modify-user KV1001 email=third@kivo-trade.in",
           "maker=ASMAKER1 limits broker:ASHV remarks=\"Raised while the terminal was away\""});
    ASSERT_TRUE(WaitFor([&] { return probe.published.Count() == 4; })) << probe.published.Count();
    const std::vector<std::string> expected = probe.Recover();
    ASSERT_EQ(expected.size(), before.size());

    // Started again, Recover lists exactly the server's pending requests, each once; and the
    // terminal follows the server from there.
    ChildProcess second;
    StartTerminal(second, "second",
                  {"wait-for-log Message bus", "click 1001",
                   "wait-for-rows " + std::to_string(expected.size()), "print-rows", "echo listed",
                   "wait-for-rows " + std::to_string(expected.size() - 1), "quit"});
    ASSERT_TRUE(Says(second, "listed")) << second.Output();
    std::vector<std::string> rows;
    {
        std::istringstream output(second.Output());
        for (std::string line; std::getline(output, line);)
        {
            if (line.find(" | ") != std::string::npos)
                rows.push_back(line);
        }
    }
    ASSERT_EQ(rows.size(), expected.size()) << second.Output();
    for (const std::string& key : expected)
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(),
                                [&](const std::string& row) { return row.find(key) != std::string::npos; }),
                  1)
            << key << " in\n"
            << second.Output();
    std::size_t decided = 0;
    while (decided < expected.size() &&
           Terminal::ClosingStatus(probe.Ask(probe.Reject(expected[decided]))) != "0")
        ++decided;
    ASSERT_LT(decided, expected.size());
    EXPECT_EQ(second.Wait(std::chrono::seconds(60)), 0) << second.Output();
}

TEST_F(OmsOverBusTest, AMakersToolOnTheBusEntersItsRequestsAllOrNone)
{
    Terminal checker(OptionsFor("CHECKER1"), {"CHECKER1", "KIVO", 0});
    ASSERT_TRUE(WaitFor([&] { return checker.Ready(); }));
    const std::size_t seeded = checker.Recover().size();
    const auto makerTool = [&](const std::string& maker, std::vector<std::string> words)
    {
        words.insert(words.begin(),
                     {KIVO_MAKER_PROGRAM, "--bus", bus->Url(), "--bus-credentials",
                      secured->CredentialsOf(maker).string(), "--bus-ca", secured->CaFile().string()});
        auto tool = std::make_unique<ChildProcess>(words, (folder.Path() / "kivo-maker.log").string());
        tool->Wait(std::chrono::seconds(60));
        return tool;
    };

    // One request from the command line, with a value that must arrive as it was typed.
    const std::string name = "Meera \"M\" Iyer \\";
    auto one = makerTool("MAKER1", {"--maker", "MAKER1", "modify-user", "KV1001", "name=" + name});
    ASSERT_TRUE(one->Output().find("Entered request") != std::string::npos) << one->Output();
    ASSERT_TRUE(WaitFor([&] { return checker.published.Count() == 1; })) << oms->Log();
    const std::string key = checker.published.Values(kKey)[0];
    const std::vector<Message> details =
        checker.Ask(Message().Add(0, "om_get_auth_user_details").Add(54247, "CHECKER1").Add(kKey, key));
    ASSERT_EQ(Terminal::ClosingStatus(details), "0") << Terminal::ClosingText(details);
    ASSERT_TRUE(details[0].Value(30001)) << Terminal::ClosingText(details);
    EXPECT_EQ(*details[0].Value(30001), name);

    // A file with a refused line enters nothing and names the line; a good one enters all.
    const std::filesystem::path file = folder.Path() / "requests.txt";
    std::ofstream(file) << "maker=MAKER2 add-user KV2001 name=\"Asha Rao\" branch=KIVO-PUN\n# a comment\n"
                        << "maker=MAKER2 modify-user KV1001 email=again@kivo-trade.in\n";
    auto refused = makerTool("MAKER2", {"--file", file.string()});
    EXPECT_NE(refused->Output().find("Line 3: request " + key + " for KV1001 is still waiting"),
              std::string::npos)
        << refused->Output();
    // A maker enters requests as himself only: a line in another's name refuses the file.
    std::ofstream(file) << "maker=MAKER2 add-user KV2001 name=\"Asha Rao\" branch=KIVO-PUN\n"
                        << "maker=ASMAKER1 limits broker:ASHV remarks=\"Raised from afar\"\n";
    auto foreign = makerTool("MAKER2", {"--file", file.string()});
    EXPECT_NE(foreign->Output().find("Line 2: the request names maker ASMAKER1, but it came from MAKER2's "
                                     "connection; nothing was entered"),
              std::string::npos)
        << foreign->Output();
    std::ofstream(file) << "add-user KV2001 name=\"Asha Rao\" branch=KIVO-PUN\n"
                        << "maker=MAKER2 limits broker:ASHV remarks=\"Raised from afar\"\n";
    auto entered = makerTool("MAKER2", {"--file", file.string()});
    EXPECT_NE(entered->Output().find("add-user KV2001 by MAKER2"), std::string::npos) << entered->Output();
    ASSERT_TRUE(WaitFor([&] { return checker.published.Count() == 3; })) << checker.published.Count();
    EXPECT_EQ(checker.Recover().size(), seeded + 3);

    // A message with no request in it is refused with what it lacks.
    const std::vector<Message> empty =
        checker.Ask(Message().Add(0, "om_enter_requests").Add(54247, "CHECKER1"));
    EXPECT_EQ(Terminal::ClosingStatus(empty), "4");
    EXPECT_NE(Terminal::ClosingText(empty).find("holds no request"), std::string::npos);
}

TEST_F(OmsOverBusTest, TheServerSaysItsStateOnAskingAndInItsLog)
{
    // The server again, with its log for a collector.
    oms->Stop();
    const std::filesystem::path log = folder.Path() / "kivo-oms.jsonl";
    oms->SetExtraArguments({"--log-json", log.string()});
    ASSERT_TRUE(oms->Start(bus->Url())) << oms->Log();
    Terminal checker(OptionsFor("CHECKER1"), {"CHECKER1", "KIVO", 0});
    ASSERT_TRUE(WaitFor([&] { return checker.Ready(); }));
    const std::vector<std::string> pending = checker.Recover();
    ASSERT_EQ(Terminal::ClosingStatus(checker.Ask(checker.Reject(pending[0]))), "0");

    const auto status = [&](const std::string& user)
    {
        const std::filesystem::path credentials =
            user.empty() ? secured->ServerCredentials() : secured->CredentialsOf(user);
        ChildProcess asking({KIVO_OMS_PROGRAM, "status", "--bus", bus->Url(), "--bus-credentials",
                             credentials.string(), "--bus-ca", secured->CaFile().string()},
                            (folder.Path() / "status.log").string());
        asking.Wait(std::chrono::seconds(60));
        return asking.Output();
    };
    for (const std::string& asker : {std::string(), std::string("CHECKER1")})
    {
        const std::string said = status(asker);
        EXPECT_NE(said.find("\"pending\":" + std::to_string(pending.size() - 1) + ","), std::string::npos)
            << said;
        EXPECT_NE(said.find("\"bus\":\"connected\""), std::string::npos) << said;
        EXPECT_NE(said.find("\"decisions_applied\":1,"), std::string::npos) << said;
    }
    EXPECT_NE(status("KV1001").find("may not ask for the server's status"), std::string::npos);

    // The server answers first and writes its log after: the last answer's line may come a
    // moment after the asker has it.
    const std::vector<std::string> events = {"\"event\":\"started\"", "\"event\":\"status\"",
                                             "\"event\":\"decisions\"", "\"event\":\"published\"",
                                             "\"event\":\"refused\""};
    std::string lines;
    const auto logged = [&]
    {
        std::ifstream in(log);
        lines.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return std::all_of(events.begin(), events.end(),
                           [&lines](const std::string& event) { return lines.find(event) != std::string::npos; });
    };
    WaitFor(logged);
    for (const std::string& event : events)
        EXPECT_NE(lines.find(event), std::string::npos) << event << "\n" << lines;
}

} // namespace
