// A server killed (SIGKILL) while makers enter requests and a checker decides them: once in the
// middle of its writes, once while it hands a decided request's outcome to the bus. After a
// restart every decision it answered is there once, nothing half-written is left, nothing was
// handed over that the database does not hold, and the subscribers end up knowing every request's
// latest state.
//
// The server runs in a forked child. Its publisher writes each message it hands over to a pipe
// and waits for the parent to take it, as a bus confirms a publication; the parent chooses the
// moment of the kill from what it reads, so no timing decides what the test sees.
#include "OmsTestSupport.h"

#include "oms/RequestGenerator.h"
#include "oms/ServerStatus.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <set>
#include <sstream>

using namespace oms_test;

namespace
{

void WriteLine(int fd, const std::string& line)
{
    const std::string text = line + "\n";
    // Shorter than the pipe's atomic size: written whole or not at all.
    if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        ::_exit(4);
}

// In the child: "P key status" for each message handed over, then waits for the parent's byte.
class HandOverPublisher : public connect::Publisher
{
public:
    HandOverPublisher(int events, int acks) : m_events(events), m_acks(acks) {}
    bool Publish(const connect::Message& message) override
    {
        const std::string* key = message.Value(oms::fid::kRequestKey);
        const std::string* status = message.Value(54211);
        WriteLine(m_events, "P " + (key ? *key : "?") + " " + (status ? *status : "?"));
        char taken = 0;
        if (::read(m_acks, &taken, 1) != 1)
            ::_exit(5); // the parent is gone
        return true;
    }

private:
    int m_events;
    int m_acks;
};

// The child's work until it is killed: a maker enters a request, the checker decides the oldest
// pending one it may decide, "A key" tells the parent each decision the server answered.
[[noreturn]] void ServeUntilKilled(const std::string& database, const std::string& phase, int events,
                                   int acks)
{
    HandOverPublisher publisher(events, acks);
    oms::OmsServer::Options options;
    options.databasePath = database;
    options.watchIntervalMs = 0;
    oms::OmsServer busy(options, publisher);
    busy.Start();
    oms::RequestGenerator makers(busy, std::chrono::milliseconds(1000), "CHECKER2",
                                 phase == "writing" ? 7 : 8);
    std::set<std::int64_t> refused;
    for (int round = 0;; ++round)
    {
        makers.EnterOne();
        std::optional<oms::RequestRecord> oldest;
        busy.WithStore(
            [&](oms::Store& store)
            {
                store.ForEachPending(
                    [&](const oms::RequestRecord& r)
                    {
                        if (!oldest && !refused.count(r.key))
                            oldest = r;
                    });
            });
        if (!oldest)
            continue;
        Answer answer;
        connect::ReplyStream replies(
            "om_authenticate_functionality",
            [&answer](const connect::Message& reply) { answer.replies.push_back(reply); },
            phase + "-" + std::to_string(round), connect::Session{"CHECKER2", "KIVO", 0});
        busy.OnRequest(round % 3 ? Accept(*oldest, "CHECKER2")
                                 : Reject(*oldest, "CHECKER2", "round " + std::to_string(round)),
                       replies);
        if (answer.Code() == oms::kStatusOk)
            WriteLine(events, "A " + std::to_string(oldest->key));
        else
            refused.insert(oldest->key); // his own, or an investor's client before its user
    }
}

// Lines from the child's pipe, each waited for with a generous limit.
class LineReader
{
public:
    explicit LineReader(int fd) : m_fd(fd) {}
    // Empty at the end of the pipe or when nothing came in time.
    std::optional<std::string> Next(std::chrono::milliseconds limit)
    {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        for (;;)
        {
            const std::size_t end = m_buffer.find('\n');
            if (end != std::string::npos)
            {
                std::string line = m_buffer.substr(0, end);
                m_buffer.erase(0, end + 1);
                return line;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd wait{m_fd, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&wait, 1, static_cast<int>(left.count())) <= 0)
                return std::nullopt;
            char chunk[512];
            const ssize_t got = ::read(m_fd, chunk, sizeof chunk);
            if (got <= 0)
                return std::nullopt;
            m_buffer.append(chunk, static_cast<std::size_t>(got));
        }
    }

private:
    int m_fd;
    std::string m_buffer;
};

// A line from the child: "A key" (a decision answered) or "P key status" (a message handed over).
struct Event
{
    bool answered = false;
    std::int64_t key = 0;
    std::string status;
};

Event Parse(const std::string& line)
{
    std::istringstream words(line);
    char what = 0;
    Event event;
    words >> what >> event.key;
    std::getline(words >> std::ws, event.status);
    event.answered = what == 'A';
    return event;
}

// What the parent saw of a child's run.
struct Seen
{
    std::set<std::int64_t> answered;
    // Every message handed over, taken by the parent or not, in order.
    std::vector<std::pair<std::int64_t, std::string>> handedOver;
    // The last status of each request that the parent took: what subscribers know.
    std::map<std::int64_t, std::string> delivered;
};

class CrashTest : public ServerTest
{
protected:
    enum class KillWhile
    {
        Writing,            // the moment the server answered enough decisions
        HandingOverOutcome, // it waits for the bus to take a decided request's outcome
    };

    // Runs a server in a child until it answered 'decisions' decisions, then kills it.
    Seen RunAndKill(KillWhile when, std::size_t decisions)
    {
        Seen seen;
        server.reset(); // the child is the server now
        int events[2];
        int acks[2];
        if (::pipe(events) != 0 || ::pipe(acks) != 0)
        {
            ADD_FAILURE() << "no pipe";
            return seen;
        }
        const std::string phase = when == KillWhile::Writing ? "writing" : "handing-over";
        const pid_t child = ::fork();
        if (child == 0)
        {
            ::close(events[0]);
            ::close(acks[1]);
            ServeUntilKilled(DatabasePath(), phase, events[1], acks[0]);
        }
        ::close(events[1]);
        ::close(acks[0]);
        if (child < 0)
        {
            ADD_FAILURE() << "no fork";
            return seen;
        }

        LineReader reader(events[0]);
        bool killed = false;
        while (!killed)
        {
            const std::optional<std::string> line = reader.Next(std::chrono::seconds(60));
            if (!line)
            {
                ADD_FAILURE() << phase << ": the server stopped talking after " << seen.answered.size()
                              << " decisions";
                break;
            }
            const Event event = Parse(*line);
            if (event.answered)
            {
                seen.answered.insert(event.key);
                killed = when == KillWhile::Writing && seen.answered.size() >= decisions;
                continue;
            }
            seen.handedOver.emplace_back(event.key, event.status);
            killed = when == KillWhile::HandingOverOutcome && seen.answered.size() >= decisions &&
                     event.status != oms::kPending;
            if (!killed)
            {
                seen.delivered[event.key] = event.status;
                if (::write(acks[1], "k", 1) != 1)
                    ADD_FAILURE() << "the server is gone";
            }
        }
        ::kill(child, SIGKILL);
        int exit = 0;
        EXPECT_EQ(::waitpid(child, &exit, 0), child);
        EXPECT_TRUE(WIFSIGNALED(exit) && WTERMSIG(exit) == SIGKILL) << phase << " ended on its own";
        // What the child wrote before it died: answered, or handed over and never taken.
        while (const std::optional<std::string> line = reader.Next(std::chrono::seconds(5)))
        {
            const Event event = Parse(*line);
            if (event.answered)
                seen.answered.insert(event.key);
            else
                seen.handedOver.emplace_back(event.key, event.status);
        }
        ::close(events[0]);
        ::close(acks[1]);
        return seen;
    }

    // Requests entered since 'firstNewKey' and every decided one: those subscribers must know.
    std::vector<std::int64_t> KeysToKnow(std::int64_t firstNewKey)
    {
        const std::string keys = Read<std::string>(
            [firstNewKey](oms::Store& s)
            {
                return s.Db().QueryText("SELECT group_concat(key) FROM requests WHERE key >= " +
                                        std::to_string(firstNewKey) + " OR status != 'auth pending'");
            });
        std::vector<std::int64_t> found;
        std::istringstream list(keys);
        for (std::string key; std::getline(list, key, ',');)
            found.push_back(std::stoll(key));
        return found;
    }

    // Restarts the server and checks the database and what the subscribers know.
    void ExpectNothingLostOrHalfDone(const Seen& seen)
    {
        publisher.Clear();
        Restart();
        EXPECT_EQ(Problems(), std::vector<std::string>{});
        for (const std::int64_t key : seen.answered)
        {
            const std::optional<oms::RequestRecord> request = Request(key);
            ASSERT_TRUE(request) << key;
            EXPECT_NE(request->status, oms::kPending) << "answered, yet lost: " << key;
            const std::vector<oms::DecisionEntry> log = Log(key);
            EXPECT_EQ(std::count_if(log.begin(), log.end(),
                                    [](const oms::DecisionEntry& e) { return e.outcome == "applied"; }),
                      1)
                << key;
        }
        for (const auto& [key, status] : seen.handedOver)
        {
            const std::optional<oms::RequestRecord> request = Request(key);
            ASSERT_TRUE(request) << "handed over, yet never committed: " << key;
            if (status != oms::kPending)
            {
                EXPECT_EQ(request->status, status) << "handed over, yet never committed: " << key;
            }
        }
        // The restarted server publishes what its predecessor had not: each request's latest state
        // reaches the subscribers (an earlier state published again before it is harmless).
        for (const auto& [key, status] : seen.delivered)
            known[key] = status;
        for (const connect::Message& message : publisher.Published())
            known[std::stoll(*message.Value(oms::fid::kRequestKey))] = *message.Value(54211);
        for (const std::int64_t key : KeysToKnow(firstNewKey))
            EXPECT_EQ(known[key], Request(key)->status) << "subscribers do not know request " << key;
    }

    // The first request the children enter; seeded requests still pending were never published.
    std::int64_t firstNewKey = 0;
    // Each request's latest state as its subscribers know it, across the restarts.
    std::map<std::int64_t, std::string> known;
};

TEST_F(CrashTest, AServerKilledAnywhereLosesNothingItAnsweredAndPublishesWhatItHadNot)
{
    firstNewKey = Read<std::int64_t>(
        [](oms::Store& s) { return std::stoll(s.Db().QueryText("SELECT max(key) FROM requests")) + 1; });
    const Seen writing = RunAndKill(KillWhile::Writing, 15);
    EXPECT_GE(writing.answered.size(), 15u);
    ExpectNothingLostOrHalfDone(writing);

    const Seen handing = RunAndKill(KillWhile::HandingOverOutcome, 15);
    ASSERT_FALSE(handing.handedOver.empty());
    EXPECT_NE(handing.handedOver.back().second, oms::kPending);
    ExpectNothingLostOrHalfDone(handing);

    // The restarted server goes on: a pending request is decided as usual.
    const oms::RequestRecord next = Pending(oms::kModifyUser);
    EXPECT_EQ(Ask(Accept(next, "CHECKER2"), "after-kill", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
    EXPECT_EQ(Request(next.key)->status, "accepted");
    EXPECT_EQ(Problems(), std::vector<std::string>{});
}

} // namespace
