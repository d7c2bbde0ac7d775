// bus_load: many terminals on the message bus while makers enter requests at a steady rate.
// It starts its own secured nats-server (on a free loopback port, its users given credentials
// as a deployment gives them) and kivo-oms (on a copy of the seeded database), subscribes each
// terminal with the filter of its user's privilege level through the terminals' own transport
// and credentials, and enters requests over the bus as kivo-maker --bus does, each maker on a
// connection of his own. At the
// end every terminal must hold exactly the new requests its filter admits (the server's own
// recovery says which there are), none missing, none twice. It prints its rates and counts;
// the exit code says only whether the counts held (0), not how fast it went.
//
// With --cluster the bus is a cluster of three nodes, and --kill kills nodes with SIGKILL a third
// of the way through the run and starts them again at two thirds: "one" a node the server is not
// connected to, "server-node" the one it is, "two" two of the three (the stream has no quorum
// until they are back). A maker's message that the library could not deliver is sent again with
// its id, as a maker would; every terminal must then hold exactly its share within 5 s of the
// makers' last answer (or of the stream's having a leader again, when the bus took longer to
// elect one), nothing lost and nothing twice.
//
//   bus_load [--terminals N] [--rate PER_SECOND] [--seconds S]     (defaults 20, 1000, 60)
//            [--cluster] [--kill one|two|server-node]
#include "connect/ConnectKivo.h"
#include "connect/NatsTransport.h"
#include "NatsBus.h"
#include "oms/MakerCommand.h"
#include "oms/Publication.h"
#include "oms/Store.h"
#include "protocol/Visibility.h"
#include "support/NatsServerProcess.h"
#include "support/OmsProcess.h"
#include "support/ScopedTempDir.h"
#include "support/SecuredBus.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace
{

using Clock = std::chrono::steady_clock;
using connect::Message;

constexpr std::int32_t kKey = 51803;
// The exit code ctest reads as "skipped".
constexpr int kSkipped = 77;
// The maker sends what is due this often, in one message (one transaction at the server).
constexpr auto kTick = std::chrono::milliseconds(10);

struct Branch
{
    const char* code;
    const char* broker;
    const char* maker;
};
constexpr Branch kBranches[] = {{"KIVO-MUM", "KIVO", "MAKER1"},   {"KIVO-PUN", "KIVO", "MAKER2"},
                                {"KIVO-DEL", "KIVO", "MAKER3"},   {"KIVO-BLR", "KIVO", "MAKER1"},
                                {"ASHV-AMD", "ASHV", "ASMAKER1"}, {"ASHV-SUR", "ASHV", "ASMAKER2"},
                                {"ASHV-BRD", "ASHV", "ASMAKER1"}, {"DHAN-CHE", "DHAN", "DHMAKER1"},
                                {"DHAN-CBE", "DHAN", "DHMAKER2"}, {"DHAN-HYD", "DHAN", "DHMAKER1"}};

// The seeded dealers whose changes the run enters early (requests 0, 4, 12 and 40), so that the
// filters of single users admit something: seeded, because a user needs credentials before his
// terminal can subscribe.
constexpr std::size_t kDealerRequests[] = {0, 4, 12, 40};

// The n-th request: new users and accounts by turns, across every branch, so that each filter
// below admits its own share (user n is "LU" and n, an account "LA" and n), but for the dealers'
// changes. The maker of the branch enters it.
std::string RequestLine(std::size_t n, const std::vector<std::string>& dealers)
{
    const Branch& branch = kBranches[n % std::size(kBranches)];
    for (std::size_t d = 0; d < std::size(kDealerRequests) && d < dealers.size(); ++d)
    {
        if (n == kDealerRequests[d])
            return "modify-user " + dealers[d] + " email=load-" + std::to_string(n) + "@kivo-trade.in";
    }
    const bool user = n % 2 == 0;
    return std::string(user ? "add-user LU" : "add-account LA") + std::to_string(n) + " name=\"Load " +
           (user ? "User " : "Account ") + std::to_string(n) + "\" branch=" + branch.code;
}

// Different filters: everything twice, each broker, each branch that has an administrator, and
// five single users (four dealers the run changes, and one it never touches).
std::vector<connect::Session> Sessions(const std::vector<std::pair<std::string, std::string>>& dealers)
{
    std::vector<connect::Session> sessions = {
        {"CHECKER1", "KIVO", 0}, {"CHECKER2", "KIVO", 0}, {"KIVO", "KIVO", 1},
        {"ASHV", "ASHV", 1},     {"DHAN", "DHAN", 1},     {"KIVO-MUM", "KIVO", 2},
        {"KIVO-DEL", "KIVO", 2}, {"ASHV-AMD", "ASHV", 2}, {"DHAN-CHE", "DHAN", 2}};
    for (const auto& [dealer, broker] : dealers)
        sessions.push_back({dealer, broker, 4});
    sessions.push_back({"KV1001", "KIVO", 4});
    return sessions;
}

// Four seeded dealers of the database with no change pending (and not KV1001), with their brokers.
std::vector<std::pair<std::string, std::string>> Dealers(const std::filesystem::path& database)
{
    oms::Store::Options options;
    options.serverLock = false;
    const std::unique_ptr<oms::Store> store = oms::Store::Open(database.string(), options);
    std::vector<std::pair<std::string, std::string>> dealers;
    for (const std::string& id : store->EntityIds(oms::EntityKind::User, "DEALER"))
    {
        if (id != "KV1001" && dealers.size() < std::size(kDealerRequests) &&
            !store->PendingFor(oms::EntityKind::User, id))
            dealers.emplace_back(id, store->Entity(oms::EntityKind::User, id)->broker);
    }
    return dealers;
}

// A terminal: its user's subscription, and every key it received with how often.
class Terminal
{
public:
    Terminal(const connect::BusOptions& options, connect::Session session)
        : m_session(std::move(session)), m_transport(options),
          m_filter(*protocol::VisibilityFilter(m_session.privilege, m_session.user, m_session.broker))
    {
        m_transport.Subscribe(
            m_filter,
            [this](std::vector<std::uint8_t> wire)
            {
                const std::optional<Message> message = Message::FromWire(wire);
                const std::string* key = message ? message->Value(kKey) : nullptr;
                std::lock_guard<std::mutex> guard(m_lock);
                ++m_received[key ? *key : "unreadable"];
                ++m_count;
            },
            nullptr, nullptr);
    }

    bool Ready() const { return m_transport.Connected() && m_transport.SubscriptionsLive(); }
    std::size_t Count() const { return m_count; }
    std::map<std::string, int> Received() const
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_received;
    }
    const connect::Session& Session() const { return m_session; }
    const connect::SubscriptionFilter& Filter() const { return m_filter; }

private:
    connect::Session m_session;
    connect::NatsTransport m_transport;
    connect::SubscriptionFilter m_filter;
    mutable std::mutex m_lock;
    std::map<std::string, int> m_received;
    std::atomic<std::size_t> m_count{0};
};

// Replies gathered until the closing one.
class Replies
{
public:
    connect::Transport::Delivery Delivery()
    {
        return [this](std::vector<std::uint8_t> wire)
        {
            std::optional<Message> message = Message::FromWire(wire);
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_messages.push_back(message ? *message : Message());
                m_closed = m_messages.back().Has(connect::kClosingField);
            }
            m_done.notify_all();
        };
    }
    // Every reply, the closing one last; empty when it did not close in time.
    std::vector<Message> Wait(std::chrono::seconds patience = std::chrono::seconds(60))
    {
        std::unique_lock<std::mutex> guard(m_lock);
        return m_done.wait_for(guard, patience, [&] { return m_closed; }) ? m_messages
                                                                          : std::vector<Message>();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_done;
    std::vector<Message> m_messages;
    bool m_closed = false;
};

std::string ClosingStatus(const std::vector<Message>& replies)
{
    const std::string* status = replies.empty() ? nullptr : replies.back().Value(connect::kClosingField, 0);
    return status ? *status : "none";
}

std::string ClosingText(const std::vector<Message>& replies)
{
    const std::size_t count = replies.empty() ? 0 : replies.back().ValueCount(connect::kClosingField);
    return count ? *replies.back().Value(connect::kClosingField, count - 1) : "no answer";
}

connect::Envelope Envelope(const Message& body, connect::Session session = {})
{
    connect::Envelope envelope;
    envelope.messageId = connect::NewMessageId();
    envelope.session = std::move(session);
    envelope.body = body.ToWire();
    return envelope;
}

// Every pending request by key, in its published form (ADMIN1 sees all of them).
std::optional<std::map<std::string, Message>> Pending(connect::NatsTransport& admin)
{
    Replies replies;
    admin.SendRequest(Envelope(Message().Add(0, "om_get_functionality_details").Add(31003, "ADMIN1"),
                               {"ADMIN1", "KIVO", 0}),
                      replies.Delivery(), nullptr);
    const std::vector<Message> all = replies.Wait();
    if (ClosingStatus(all) != "0")
    {
        std::cerr << "bus_load: recovery failed: " << ClosingText(all) << "\n";
        return std::nullopt;
    }
    std::map<std::string, Message> pending;
    for (std::size_t i = 0; i + 1 < all.size(); ++i)
        pending[*all[i].Value(kKey)] = all[i];
    return pending;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::seconds patience)
{
    const auto until = Clock::now() + patience;
    while (!done())
    {
        if (Clock::now() > until)
            return done();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

double Seconds(Clock::duration span)
{
    return std::chrono::duration<double>(span).count();
}

int Usage(const std::string& error)
{
    std::cerr << "bus_load: " << error
              << "\n\n  bus_load [--terminals N] [--rate PER_SECOND] [--seconds S]   (defaults 20, 1000, 60)"
                 "\n           [--cluster] [--kill one|two|server-node]\n";
    return 2;
}

// The nodes a --kill kills (a cluster's nodes count from 1; the server connects to the first).
std::vector<int> Victims(const std::string& kill)
{
    if (kill == "one")
        return {3};
    if (kill == "server-node")
        return {1};
    if (kill == "two")
        return {2, 3};
    return {};
}

// What the command line asks for.
struct LoadOptions
{
    long terminals = 20;
    double rate = 1000;
    double seconds = 60;
    bool cluster = false;
    std::string kill;
};

// Reads the options; an exit code when they are wrong.
std::optional<int> ParseOptions(int argc, char** argv, LoadOptions& options)
{
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        if (arg == "--cluster")
        {
            options.cluster = true;
            continue;
        }
        if (arg == "--kill" && i + 1 < argc)
        {
            options.kill = argv[++i];
            options.cluster = true;
            if (Victims(options.kill).empty())
                return Usage("--kill takes one, two or server-node, not " + options.kill);
            continue;
        }
        if (arg != "--terminals" && arg != "--rate" && arg != "--seconds")
            return Usage("unknown option " + arg);
        if (i + 1 >= argc)
            return Usage(arg + " needs a number");
        char* end = nullptr;
        const double value = std::strtod(argv[++i], &end);
        if (*end || !(value > 0) || (arg == "--terminals" && value != std::floor(value)))
            return Usage(arg + " takes a positive number, not '" + argv[i] + "'");
        if (arg == "--terminals")
            options.terminals = static_cast<long>(value);
        else if (arg == "--rate")
            options.rate = value;
        else
            options.seconds = value;
    }
    return std::nullopt;
}

// A user's options on the bus. A request the bus lost with a node is given up after the time
// limit and sent again; a slow answer given up too early is sent again as well, and the server
// knows it by its id.
connect::BusOptions OptionsFor(SecuredBus& bus, bool cluster, const std::string& user)
{
    connect::BusOptions options = bus.OptionsFor(user);
    options.requestTimeLimit = std::chrono::seconds(cluster ? 8 : 30);
    return options;
}

// Everyone on the bus: the terminals, each maker on a connection of his own (he enters requests
// as himself only), and the administrator who asks for the pending requests.
struct Clients
{
    std::vector<std::unique_ptr<Terminal>> terminals;
    std::map<std::string, std::unique_ptr<connect::NatsTransport>> makers;
    std::unique_ptr<connect::NatsTransport> admin;

    bool Ready() const
    {
        return admin->Connected() &&
               std::all_of(makers.begin(), makers.end(),
                           [](const auto& m) { return m.second->Connected(); }) &&
               std::all_of(terminals.begin(), terminals.end(), [](const auto& t) { return t->Ready(); });
    }
};

void Connect(SecuredBus& bus, const LoadOptions& load, const std::vector<connect::Session>& sessions,
             Clients& clients)
{
    for (long i = 0; i < load.terminals; ++i)
    {
        const connect::Session& session = sessions[static_cast<std::size_t>(i) % sessions.size()];
        clients.terminals.push_back(
            std::make_unique<Terminal>(OptionsFor(bus, load.cluster, session.user), session));
    }
    for (const Branch& branch : kBranches)
    {
        if (!clients.makers.count(branch.maker))
            clients.makers.emplace(branch.maker, std::make_unique<connect::NatsTransport>(
                                                     OptionsFor(bus, load.cluster, branch.maker)));
    }
    clients.admin = std::make_unique<connect::NatsTransport>(OptionsFor(bus, load.cluster, "ADMIN1"));
}

// A message of a maker's, sent and perhaps sent again.
struct Sent
{
    std::string maker;
    connect::Envelope envelope;
    std::unique_ptr<Replies> replies;
};

// When the stream could be read again after the killed nodes came back: it has a leader. With
// two of three nodes gone nats-server keeps no leader, and elects one only after its election
// timeout (4 to 9 s) once they return; nothing of ours can publish before that.
struct Recovery
{
    Clock::time_point restarted;
    Clock::time_point streamLed;
};

// Asked of the bus directly, with a short wait: the library's stream calls wait two seconds.
bool StreamHasLeader(connect::detail::NatsBus& probe)
{
    const std::string subject = "$JS.API.STREAM.INFO." + probe.Subjects().Stream();
    natsMsg* reply = nullptr;
    if (!probe.Connected() ||
        natsConnection_RequestString(&reply, probe.Connection(), subject.c_str(), "", 200) != NATS_OK)
        return false;
    const std::string_view info(natsMsg_GetData(reply), static_cast<std::size_t>(natsMsg_GetDataLength(reply)));
    const bool led = info.find("\"error\"") == std::string_view::npos && info.find("\"leader\"") != std::string_view::npos;
    natsMsg_Destroy(reply);
    return led;
}

// Nodes killed a third of the way through, started again at two thirds.
std::thread StartKiller(SecuredBus& bus, const LoadOptions& load, Recovery& recovery)
{
    if (load.kill.empty())
        return {};
    return std::thread(
        [&bus, &recovery, kill = load.kill, seconds = load.seconds]
        {
            connect::detail::NatsBus probe(bus.ServerOptions(), {});
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 3));
            for (const int node : Victims(kill))
                bus.Node(node).Kill();
            std::cout << "killed " << kill << std::endl;
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds / 3));
            for (const int node : Victims(kill))
                bus.Node(node).Start();
            recovery.restarted = Clock::now();
            std::cout << "started again" << std::endl;
            const Clock::time_point until = recovery.restarted + std::chrono::seconds(60);
            while (!StreamHasLeader(probe) && Clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            recovery.streamLed = Clock::now();
            std::cout << "the stream had a leader " << Seconds(recovery.streamLed - recovery.restarted)
                      << " s after the nodes started again" << std::endl;
        });
}

// The makers: what is due by the clock goes in one message each tick, so the rate holds
// however long the server takes to answer.
void SendAtRate(Clients& clients, const std::vector<std::string>& dealers, double rate, std::size_t planned,
                Clock::time_point started, std::vector<Sent>& sent)
{
    std::size_t lines = 0;
    std::size_t ticks = 0;
    while (lines < planned)
    {
        std::this_thread::sleep_until(started + kTick * ++ticks);
        const std::size_t due =
            std::min(planned, static_cast<std::size_t>(Seconds(Clock::now() - started) * rate));
        if (due <= lines)
            continue;
        std::map<std::string, Message> bodies;
        for (; lines < due; ++lines)
        {
            const char* maker = kBranches[lines % std::size(kBranches)].maker;
            Message& body = bodies[maker];
            if (!body.Has(0))
                body.Add(0, oms::MakerCommand::kEnterFunction);
            body.Add(oms::MakerCommand::kLineField, RequestLine(lines, dealers));
        }
        for (const auto& [maker, body] : bodies)
        {
            sent.push_back(Sent{maker, Envelope(body), std::make_unique<Replies>()});
            clients.makers.at(maker)->SendRequest(sent.back().envelope, sent.back().replies->Delivery(),
                                                  nullptr);
        }
    }
}

// What the makers were told: the keys entered, and how many messages were refused or sent again.
struct Answers
{
    std::set<std::string> entered;
    std::size_t refused = 0;
    std::size_t retried = 0;
};

// A message the library could not deliver (no server reachable, no answer in time) goes
// again with its id. Its lines may have been entered by the first try: the server then
// refuses them as waiting already, and its pending requests tell. The messages of an
// outage go again together, round after round, as makers on their own would send them.
Answers GatherAnswers(Clients& clients, std::vector<Sent>& sent)
{
    Answers answers;
    std::vector<std::vector<Message>> results(sent.size());
    for (std::size_t i = 0; i < sent.size(); ++i)
        results[i] = sent[i].replies->Wait();
    const auto undelivered = [](const std::vector<Message>& all)
    { return ClosingStatus(all).rfind("-", 0) == 0; };
    for (int round = 0; round < 20; ++round)
    {
        std::vector<std::size_t> again;
        for (std::size_t i = 0; i < sent.size(); ++i)
        {
            if (undelivered(results[i]))
                again.push_back(i);
        }
        if (again.empty())
            break;
        std::cout << "round " << round + 1 << ": " << again.size() << " sent again ("
                  << ClosingText(results[again.front()]) << ")" << std::endl;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        for (const std::size_t i : again)
        {
            ++answers.retried;
            sent[i].replies = std::make_unique<Replies>();
            clients.makers.at(sent[i].maker)
                ->SendRequest(sent[i].envelope, sent[i].replies->Delivery(), nullptr);
        }
        for (const std::size_t i : again)
        {
            results[i] = sent[i].replies->Wait();
            if (ClosingStatus(results[i]) != "0" && !undelivered(results[i]))
                results[i] = {};
        }
    }
    for (const std::vector<Message>& all : results)
    {
        if (all.empty())
            continue;
        if (ClosingStatus(all) != "0")
        {
            if (answers.refused++ == 0)
                std::cerr << "bus_load: the server refused: " << ClosingText(all) << "\n";
            continue;
        }
        for (std::size_t i = 0; i + 1 < all.size(); ++i)
            answers.entered.insert(*all[i].Value(kKey));
    }
    return answers;
}

// What the server holds now is the reference: the new pending requests in their published
// form, each terminal's share by its filter. Nothing when the server could not be asked;
// 'consistent' false when the new requests are not those the makers sent.
std::optional<std::vector<std::set<std::string>>> Shares(Clients& clients,
                                                         const std::map<std::string, Message>& before,
                                                         const Answers& answers, std::size_t planned,
                                                         bool& consistent)
{
    std::vector<std::set<std::string>> expected(clients.terminals.size());
    const std::optional<std::map<std::string, Message>> after = Pending(*clients.admin);
    if (!after)
        return std::nullopt;
    std::set<std::string> added;
    for (const auto& [key, form] : *after)
    {
        if (before.count(key))
            continue;
        added.insert(key);
        for (std::size_t t = 0; t < clients.terminals.size(); ++t)
        {
            if (clients.terminals[t]->Filter().Matches(form))
                expected[t].insert(key);
        }
    }
    // Without resends the makers were told of each; with them, each line is pending once.
    const std::set<std::string>& entered = answers.entered;
    const bool allThere = answers.retried > 0
                              ? added.size() == planned &&
                                    std::includes(added.begin(), added.end(), entered.begin(), entered.end())
                              : added == entered;
    if (!allThere)
    {
        std::cerr << "bus_load: the server holds " << added.size() << " new requests of " << planned
                  << ", the makers were told of " << entered.size() << "\n";
        consistent = false;
    }
    return expected;
}

std::size_t Deliveries(const Clients& clients)
{
    std::size_t total = 0;
    for (const auto& terminal : clients.terminals)
        total += terminal->Count();
    return total;
}

// Each terminal's count; whether every terminal holds its share, nothing missing, nothing
// twice and nothing it should not have.
bool ReportTerminals(const Clients& clients, const std::vector<std::set<std::string>>& expected)
{
    bool held = true;
    for (std::size_t t = 0; t < clients.terminals.size(); ++t)
    {
        const std::map<std::string, int> received = clients.terminals[t]->Received();
        std::size_t missing = 0;
        std::size_t twice = 0;
        std::size_t foreign = 0;
        for (const std::string& key : expected[t])
        {
            const auto it = received.find(key);
            missing += it == received.end() ? 1 : 0;
            twice += it != received.end() && it->second > 1 ? 1 : 0;
        }
        for (const auto& [key, count] : received)
            foreign += expected[t].count(key) ? 0 : 1;
        const connect::Session& session = clients.terminals[t]->Session();
        std::cout << "  " << std::left << std::setw(9) << session.user << " level " << session.privilege
                  << ": " << std::right << std::setw(6) << received.size() << " held of " << std::setw(6)
                  << expected[t].size() << " admitted; missing " << missing << ", twice " << twice
                  << ", not admitted " << foreign << "\n";
        held = held && missing == 0 && twice == 0 && foreign == 0;
    }
    return held;
}

// The moments of the run.
struct Times
{
    Clock::time_point started;   // the first request was due
    Clock::time_point generated; // the last was sent
    Clock::time_point answered;  // the makers had every answer
    Clock::time_point delivered; // the terminals had everything due (or the wait ended)
    Clock::time_point streamLed; // after nodes were killed: the stream had a leader again
};

// On a cluster that lost nodes, the makers are answered soon after the nodes they were on
// went (a request lost with its node is given up after the time limit and sent again: the
// server answers while the bus confirms its publications), and the terminals must have
// caught up soon after the makers, or after the stream had a leader again when that was later
// (with two nodes lost, nothing can be published before).
bool CaughtUpInTime(const Times& times)
{
    bool held = true;
    if (Seconds(times.answered - times.generated) > 15)
    {
        std::cerr << "bus_load: the makers' last answer came " << Seconds(times.answered - times.generated)
                  << " s after the last was sent, more than 15 s\n";
        held = false;
    }
    const Clock::time_point due = std::max(times.answered, times.streamLed);
    if (Seconds(times.delivered - due) > 5)
    {
        std::cerr << "bus_load: the terminals caught up " << Seconds(times.delivered - due) << " s after "
                  << (due == times.answered ? "the makers' last answer" : "the stream had a leader again")
                  << ", more than 5 s\n";
        held = false;
    }
    return held;
}

void ReportRates(const Clients& clients, const Answers& answers, std::size_t planned, std::size_t everyone,
                 const Times& times)
{
    if (answers.retried > 0)
        std::cout << "makers: " << answers.retried
                  << " messages sent again after the library could not deliver them\n";
    const double sending = Seconds(times.generated - times.started);
    std::cout << std::fixed << std::setprecision(2) << "maker: " << answers.entered.size() << " of "
              << planned << " requests entered in " << sending << " s (" << answers.entered.size() / sending
              << " per second), the last answered " << Seconds(times.answered - times.generated)
              << " s after the last was sent\n"
              << "terminals: " << Deliveries(clients) << " deliveries of " << everyone << " due to "
              << clients.terminals.size() << " terminals, the last "
              << Seconds(times.delivered - times.generated) << " s after the last request was sent ("
              << Deliveries(clients) / Seconds(times.delivered - times.started)
              << " deliveries per second)\n";
}

// The makers' requests entered while the terminals listen, and what each terminal then holds;
// whether the counts held.
std::optional<bool> LoadTheBus(SecuredBus& bus, Clients& clients, const LoadOptions& load,
                               const std::vector<std::string>& dealers)
{
    const std::optional<std::map<std::string, Message>> before = Pending(*clients.admin);
    if (!before)
        return std::nullopt;
    const std::size_t planned = static_cast<std::size_t>(std::llround(load.rate * load.seconds));
    std::vector<Sent> sent;
    Recovery recovery;
    std::thread killer = StartKiller(bus, load, recovery);
    Times times;
    times.started = Clock::now();
    SendAtRate(clients, dealers, load.rate, planned, times.started, sent);
    times.generated = Clock::now();
    const Answers answers = GatherAnswers(clients, sent);
    times.answered = Clock::now();
    if (killer.joinable())
        killer.join();

    bool consistent = answers.refused == 0 && (answers.retried > 0 || answers.entered.size() == planned);
    const std::optional<std::vector<std::set<std::string>>> expected =
        Shares(clients, *before, answers, planned, consistent);
    if (!expected)
        return std::nullopt;
    std::size_t everyone = 0;
    for (const std::set<std::string>& share : *expected)
        everyone += share.size();
    WaitUntil([&] { return Deliveries(clients) >= everyone; }, std::chrono::seconds(120));
    times.delivered = Clock::now();
    times.streamLed = recovery.streamLed;
    if (load.cluster && !CaughtUpInTime(times))
        consistent = false;
    // Anything sent twice would come now.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ReportRates(clients, answers, planned, everyone, times);
    consistent = ReportTerminals(clients, *expected) && consistent;
    return consistent;
}

} // namespace

int main(int argc, char** argv)
{
    LoadOptions load;
    if (const std::optional<int> wrong = ParseOptions(argc, argv, load))
        return *wrong;
    if (!NatsServerProcess::Available())
    {
        std::cout << "bus_load: nats-server is not installed (scripts/deps installs it); skipped\n";
        return kSkipped;
    }

    ScopedTempDir folder;
    const std::optional<std::filesystem::path> seeded =
        SeededOmsDatabase(KIVO_OMS_PROGRAM, KIVO_TEST_CACHE_DIR);
    if (!seeded)
    {
        std::cerr << "bus_load: kivo-oms could not seed a database\n";
        return 1;
    }
    std::filesystem::copy_file(*seeded, folder.Path() / "oms.db");
    SecuredBus bus(folder.Path(), folder.Path() / "oms.db", load.cluster ? 3 : 0);
    if (!bus.Start())
    {
        std::cerr << "bus_load: nats-server did not start:\n" << bus.Process().Log();
        return 1;
    }
    OmsProcess server(KIVO_OMS_PROGRAM, folder.Path() / "oms.db", folder.Path() / "kivo-oms.log");
    server.SetCredentials(bus.ServerCredentials(), bus.CaFile());
    if (!server.Start(bus.Url()))
    {
        std::cerr << "bus_load: kivo-oms did not start:\n" << server.Log();
        return 1;
    }

    const std::vector<std::pair<std::string, std::string>> dealerList = Dealers(folder.Path() / "oms.db");
    std::vector<std::string> dealers;
    for (const auto& dealer : dealerList)
        dealers.push_back(dealer.first);
    Clients clients;
    Connect(bus, load, Sessions(dealerList), clients);
    if (!WaitUntil([&] { return clients.Ready(); }, std::chrono::seconds(30)))
    {
        std::cerr << "bus_load: the terminals did not all subscribe\n";
        return 1;
    }
    const std::optional<bool> consistent = LoadTheBus(bus, clients, load, dealers);
    if (!consistent)
        return 1;
    std::cout << (*consistent ? "consistent" : "NOT CONSISTENT") << std::endl;
    return *consistent ? 0 : 1;
}
