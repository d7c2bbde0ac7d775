// What the server's tests share: a server on a database of their own (seeded small, for speed),
// a publisher that keeps what it is given, requests handed to the server as a transport hands
// them, and decision messages built field by field as a terminal builds them.
#pragma once

#include "connect/Message.h"
#include "connect/Publisher.h"
#include "oms/FieldIds.h"
#include "oms/OmsServer.h"
#include "oms/RequestRecord.h"
#include "oms/Store.h"
#include "support/ScopedTempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace oms_test
{

class RecordingPublisher : public connect::Publisher
{
public:
    bool Publish(const connect::Message& message) override
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_published.push_back(message);
        return true;
    }
    std::vector<connect::Message> Published()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_published;
    }
    // Published messages about the request with this key.
    std::vector<connect::Message> About(std::int64_t key)
    {
        std::vector<connect::Message> about;
        for (const connect::Message& m : Published())
        {
            if (m.Value(oms::fid::kRequestKey) && *m.Value(oms::fid::kRequestKey) == std::to_string(key))
                about.push_back(m);
        }
        return about;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_published.clear();
    }

private:
    std::mutex m_lock;
    std::vector<connect::Message> m_published;
};

// Every reply of one request; the last is the closing one.
struct Answer
{
    std::vector<connect::Message> replies;
    int Code() const { return replies.empty() ? -100 : std::stoi(*replies.back().Value(32766, 0)); }
    std::string Text() const
    {
        if (replies.empty())
            return "";
        const connect::Message& closing = replies.back();
        return *closing.Value(32766, closing.ValueCount(32766) - 1);
    }
    // The replies before the closing one.
    std::vector<connect::Message> Data() const
    {
        return replies.empty() ? replies : std::vector<connect::Message>(replies.begin(), replies.end() - 1);
    }
};

inline oms::Seeder::Size SmallSeed()
{
    oms::Seeder::Size size;
    size.dealersPerBroker = 8;
    size.accountsPerBroker = 10;
    size.investorsPerBroker = 2;
    size.pendingRequests = 20;
    return size;
}

// A limit owner of the level ("broker:", "branch:" ...) with no request pending.
inline std::string FreeLimitOwner(oms::Store& store, const std::string& level)
{
    for (const std::string& owner : store.EntityIds(oms::EntityKind::Limits))
    {
        if (owner.rfind(level, 0) == 0 && !store.PendingFor(oms::EntityKind::Limits, owner))
            return owner;
    }
    throw std::runtime_error("every " + level + " owner has a request pending");
}

// Turns a database's changed fields back into the table the servers of schemas 1 and 2 kept, a
// row a field, so that tests can open a database as those servers left it.
inline constexpr const char* kRequestFieldsAsATable =
    "DROP VIEW request_fields;"
    "CREATE TABLE request_fields(key INTEGER NOT NULL REFERENCES requests(key), position INTEGER NOT NULL, "
    "field INTEGER NOT NULL, value TEXT NOT NULL, old_value TEXT, PRIMARY KEY(key, position), "
    "UNIQUE(key, field)) WITHOUT ROWID;"
    "INSERT INTO request_fields SELECT r.key, j.key, j.value ->> 0, j.value ->> 1, j.value ->> 2 "
    "FROM requests r, json_each(r.changes) j;"
    "ALTER TABLE requests DROP COLUMN changes;";

// A small seeded database, made once per test program and copied for each test.
inline const std::string& SeededTemplate()
{
    static ScopedTempDir folder;
    static const std::string path = []
    {
        const std::string made = folder / "template.db";
        oms::Store::Options options;
        options.seed = [](oms::Store& store)
        { oms::Seeder(store, oms::Seeder::kDefaultSeed, SmallSeed()).Run(); };
        oms::Store::Open(made, options);
        return made;
    }();
    return path;
}

class ServerTest : public ::testing::Test
{
protected:
    ServerTest() { Restart(); }
    // On a folder of its own under 'base' (a memory file system, where the syncs of a test that
    // commits hundreds of times cost nothing).
    explicit ServerTest(const std::filesystem::path& base) : folder(base) { Restart(); }

    std::string DatabasePath() const { return folder / "kivo-oms.db"; }

    // A server on the test's database (created and seeded at the first start), not yet started;
    // it looks for requests other programs entered every 'watchIntervalMs' (0: never).
    void MakeServer(int watchIntervalMs = 0, bool busGrants = false)
    {
        server.reset();
        if (!std::filesystem::exists(DatabasePath()))
            std::filesystem::copy_file(SeededTemplate(), DatabasePath());
        oms::OmsServer::Options options;
        options.databasePath = DatabasePath();
        options.seedSize = SmallSeed();
        options.watchIntervalMs = watchIntervalMs;
        options.busGrants = busGrants;
        server = std::make_unique<oms::OmsServer>(options, publisher);
    }
    void Restart()
    {
        MakeServer();
        server->Start();
    }

    Answer Ask(const connect::Message& request, const std::string& messageId = "",
               const connect::Session& session = {})
    {
        return AskAs(request, "", session, messageId);
    }
    // As a request from the bus, whose sender the bus authenticated (empty: in process).
    Answer AskAs(const connect::Message& request, const std::string& authenticated,
                 const connect::Session& session = {}, const std::string& messageId = "")
    {
        Answer answer;
        const std::string* function = request.Value(0);
        connect::ReplyStream replies(
            function ? *function : "",
            [&answer](const connect::Message& reply) { answer.replies.push_back(reply); }, messageId,
            session, authenticated);
        server->OnRequest(request, replies);
        return answer;
    }

    // Requests handed to the server together, as a transport hands those that waited together
    // (message, message id); 'onReply' hears each reply as it is sent, with the request's index.
    std::vector<Answer> AskTogether(const std::vector<std::pair<connect::Message, std::string>>& requests,
                                    const std::function<void(std::size_t)>& onReply = {})
    {
        std::vector<Answer> answers(requests.size());
        std::vector<std::unique_ptr<connect::ReplyStream>> streams;
        std::vector<connect::RequestHandler::Request> batch;
        for (std::size_t i = 0; i < requests.size(); ++i)
        {
            const std::string* function = requests[i].first.Value(0);
            streams.push_back(std::make_unique<connect::ReplyStream>(
                function ? *function : "",
                [&answers, &onReply, i](const connect::Message& reply)
                {
                    answers[i].replies.push_back(reply);
                    if (onReply)
                        onReply(i);
                },
                requests[i].second, connect::Session{}));
            batch.push_back({&requests[i].first, streams.back().get()});
        }
        server->OnRequests(batch);
        return answers;
    }

    template <typename T> T Read(const std::function<T(oms::Store&)>& read)
    {
        std::optional<T> result;
        server->WithStore([&](oms::Store& store) { result = read(store); });
        return *result;
    }
    std::optional<oms::RequestRecord> Request(std::int64_t key)
    {
        return Read<std::optional<oms::RequestRecord>>([key](oms::Store& s) { return s.Request(key); });
    }
    oms::FieldValues Fields(oms::EntityKind kind, const std::string& id)
    {
        return Read<oms::FieldValues>([&](oms::Store& s) { return s.Fields(kind, id); });
    }
    std::vector<oms::DecisionEntry> Log(std::int64_t key)
    {
        return Read<std::vector<oms::DecisionEntry>>([key](oms::Store& s) { return s.Decisions(key); });
    }
    std::vector<std::string> Problems()
    {
        return Read<std::vector<std::string>>([](oms::Store& s) { return s.CheckConsistency(); });
    }
    std::string FreeOwner(const std::string& level)
    {
        return Read<std::string>([&](oms::Store& s) { return FreeLimitOwner(s, level); });
    }
    // The oldest pending request of a type (and, when given, of a category).
    oms::RequestRecord Pending(int type, const std::string& category = "")
    {
        return Read<oms::RequestRecord>(
            [&](oms::Store& s)
            {
                std::optional<oms::RequestRecord> found;
                s.ForEachPending(
                    [&](const oms::RequestRecord& r)
                    {
                        if (!found && r.type == type && (category.empty() || r.category == category))
                            found = r;
                    });
                if (!found)
                    throw std::runtime_error("no pending request of type " + std::to_string(type));
                return *found;
            });
    }

    ScopedTempDir folder;
    RecordingPublisher publisher;
    std::unique_ptr<oms::OmsServer> server;
};

// The start of a decision as the terminal sends it: the entity, unless deleted, and the checker.
inline connect::Message DecisionFor(const oms::RequestRecord& r, const std::string& checker)
{
    connect::Message m;
    m.Add(0, "om_authenticate_functionality");
    if (oms::IsUserType(r.type) && r.type != oms::kDeleteUser)
        m.Add(31003, r.entity);
    if (oms::IsAccountType(r.type) && r.type != oms::kDeleteAccount)
        m.Add(54001, r.entity);
    return m.Add(54294, checker);
}

inline connect::Message Accept(const oms::RequestRecord& r, const std::string& checker)
{
    return DecisionFor(r, checker)
        .Add(51803, std::to_string(r.key))
        .Add(63713, std::to_string(r.type))
        .Add(10303, "accepted");
}

inline connect::Message Reject(const oms::RequestRecord& r, const std::string& checker,
                               const std::string& reason)
{
    return DecisionFor(r, checker)
        .Add(32766, reason)
        .Add(63713, std::to_string(r.type))
        .Add(51803, std::to_string(r.key))
        .Add(10303, "rejected");
}

inline connect::Message Update(std::int64_t key, const std::string& checker,
                               const std::vector<std::pair<int, std::string>>& edited)
{
    connect::Message m;
    m.Add(0, "om_authenticate_functionality")
        .Add(54294, checker)
        .Add(51803, std::to_string(key))
        .Add(63713, "360")
        .Add(10303, "accepted");
    for (const auto& [id, value] : edited)
        m.Add(id, value);
    return m;
}

inline connect::Message Details(const char* function, std::int64_t key, const std::string& user)
{
    return connect::Message().Add(0, function).Add(54247, user).Add(51803, std::to_string(key));
}

inline std::vector<std::string> Values(const connect::Message& m, int id)
{
    const connect::Message::Field* field = m.Find(id);
    return field ? field->values : std::vector<std::string>{};
}

} // namespace oms_test
