#include "oms/OmsServer.h"

#include "oms/DecisionDesk.h"
#include "oms/DetailReplies.h"
#include "oms/FieldIds.h"
#include "oms/MakerCommand.h"
#include "oms/MakerDesk.h"
#include "oms/MakerError.h"
#include "oms/Publication.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteError.h"
#include "oms/SqliteSavepoint.h"
#include "oms/SqliteTransaction.h"
#include "protocol/Functions.h"
#include "protocol/Visibility.h"

#include <algorithm>
#include <charconv>
#include <set>

namespace oms
{

namespace
{

// How much of the outbox is handed to the publisher at once (it may keep many waiting for the
// bus at a time).
constexpr int kPublishBatch = 2000;
// Makers' messages that arrived together are entered in one transaction until it holds this many
// lines (one sync for many small messages).
constexpr std::size_t kMakersLinesATransaction = 2000;

const std::string& FunctionOf(const connect::Message& message)
{
    static const std::string none;
    const std::string* function = message.Value(fid::kFunction);
    return function ? *function : none;
}

} // namespace

OmsServer::OmsServer(const Options& options, connect::Publisher& publisher)
    : m_path(options.databasePath), m_publisher(publisher), m_watchIntervalMs(options.watchIntervalMs),
      m_busyTimeoutMs(options.busyTimeoutMs),
      m_publishInBackground(options.publishInBackground && options.watchIntervalMs > 0)
{
    m_operatorUser = options.operatorUser;
    if (options.fresh)
        Store::MoveAside(options.databasePath);
    Store::Options storeOptions;
    storeOptions.busyTimeoutMs = options.busyTimeoutMs;
    storeOptions.serverLock = true;
    storeOptions.seed = [&options](Store& store) { Seeder(store, options.seed, options.seedSize).Run(); };
    m_store = Store::Open(options.databasePath, storeOptions);
    m_access = std::make_unique<Authorisation>(*m_store, options.busGrants);
    m_created = m_store->WasCreated();
}

OmsServer::~OmsServer()
{
    Stop();
}

void OmsServer::Start()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (PublishOutboxLocked() > 0)
            DeletePublishedLocked();
    }
    if (m_watchIntervalMs > 0 && !m_watcher.joinable())
    {
        {
            std::lock_guard<std::mutex> guard(m_watchLock);
            m_stopping = false;
        }
        m_watcher = std::thread([this] { Watch(); });
    }
}

void OmsServer::Stop()
{
    {
        std::lock_guard<std::mutex> guard(m_watchLock);
        m_stopping = true;
    }
    m_watchWake.notify_all();
    if (m_watcher.joinable())
        m_watcher.join();
    m_outboxReader.reset();
    // What went out since the last write leaves, so that the next start does not send it again;
    // what the watcher had still to publish goes first.
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_publishInBackground)
        PublishOutboxLocked();
    DeletePublishedLocked();
}

void OmsServer::Watch()
{
    std::unique_lock<std::mutex> guard(m_watchLock);
    for (;;)
    {
        m_watchWake.wait_for(guard, std::chrono::milliseconds(m_watchIntervalMs),
                             [this] { return m_stopping || m_publishWanted; });
        if (m_stopping)
            return;
        const bool wanted = std::exchange(m_publishWanted, false);
        guard.unlock();
        try
        {
            PublishFromWatcher(wanted);
        }
        catch (const std::exception&)
        {
            // A busy or failing database is tried again at the next look, on a new connection.
            m_outboxReader.reset();
            m_dataVersion = -1;
        }
        guard.lock();
    }
}

void OmsServer::PublishFromWatcher(bool wanted)
{
    std::lock_guard<std::mutex> publishing(m_publishLock);
    if (!m_outboxReader)
    {
        m_outboxReader = std::make_unique<SqliteDatabase>(m_path, SqliteDatabase::Mode::ReadOnly);
        m_outboxReader->SetBusyTimeout(m_busyTimeoutMs);
    }
    SqliteDatabase& reader = *m_outboxReader;
    // Another connection's commit changes the data version; only then is there anything new. A
    // statement left open by a read would keep the connection on its old snapshot, and keep the
    // log from being folded back into the database.
    reader.ResetAll();
    const std::int64_t version = std::stoll(reader.QueryText("PRAGMA data_version"));
    if (!wanted && version == m_dataVersion && !m_publishBlocked)
        return;
    m_dataVersion = version;
    const std::size_t published = PublishOutboxFrom(reader);
    reader.ResetAll();
    if (published == 0)
        return;
    // What went out leaves the outbox with the next write, or now when the store is free.
    std::unique_lock<std::mutex> store(m_lock, std::try_to_lock);
    if (store)
        DeletePublishedLocked();
}

void OmsServer::PublishAfterCommitLocked()
{
    if (!m_publishInBackground || !m_watcher.joinable())
    {
        PublishOutboxLocked();
        return;
    }
    {
        std::lock_guard<std::mutex> guard(m_watchLock);
        m_publishWanted = true;
    }
    m_watchWake.notify_all();
}

std::size_t OmsServer::PublishOutbox()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return PublishOutboxLocked();
}

std::size_t OmsServer::PublishOutboxLocked()
{
    std::lock_guard<std::mutex> publishing(m_publishLock);
    const std::size_t published = PublishOutboxFrom(m_store->Db());
    m_store->Db().ResetAll();
    return published;
}

std::size_t OmsServer::PublishOutboxFrom(SqliteDatabase& db)
{
    std::size_t published = 0;
    for (;;)
    {
        std::vector<std::pair<std::int64_t, connect::Message>> entries;
        try
        {
            entries = Store::ReadOutbox(db, m_publishedThrough, kPublishBatch);
        }
        catch (const SqliteError&)
        {
            // An outbox the database cannot read keeps what it holds, in order, for the next look.
            m_publishBlocked = true;
            return published;
        }
        if (entries.empty())
        {
            m_publishBlocked = false;
            return published;
        }
        std::vector<connect::Message> messages;
        messages.reserve(entries.size());
        for (auto& entry : entries)
            messages.push_back(std::move(entry.second));
        // A message the publisher could not hand over (the bus is down) stays first in line, with
        // what follows it, and the watcher tries again at its next look.
        const std::size_t handed = m_publisher.PublishAll(messages);
        if (handed > 0)
        {
            m_publishedThrough = entries[handed - 1].first;
            m_log.Event("published", {{"messages", static_cast<std::int64_t>(handed)},
                                      {"through", m_publishedThrough.load()}});
        }
        published += handed;
        if (handed < entries.size())
        {
            if (!m_publishBlocked)
                m_log.Event("publication held",
                            {{"waiting", static_cast<std::int64_t>(entries.size() - handed)}});
            m_publishBlocked = true;
            return published;
        }
    }
}

// Published messages otherwise leave the outbox in the server's next write; one that only reads
// (a terminal without a maker) would publish them all again at every start. The lock is not
// waited for: a database another program is writing keeps them until a later look or write.
void OmsServer::DeletePublishedLocked()
{
    const std::int64_t through = m_publishedThrough;
    if (through <= m_deletedThrough)
        return;
    SqliteDatabase& db = m_store->Db();
    db.SetBusyTimeout(0);
    try
    {
        SqliteTransaction transaction(db);
        m_store->DeleteOutboxThrough(through);
        transaction.Commit();
        m_deletedThrough = through;
    }
    catch (const SqliteError&)
    {
    }
    db.SetBusyTimeout(m_busyTimeoutMs);
}

std::int64_t OmsServer::Enter(const MakerRequest& request)
{
    std::lock_guard<std::mutex> guard(m_lock);
    std::int64_t key = 0;
    {
        SqliteTransaction transaction(m_store->Db());
        // What was published before goes now, in a transaction that syncs anyway.
        m_store->DeleteOutboxThrough(m_publishedThrough);
        key = MakerDesk(*m_store).EnterWithin(request);
        transaction.Commit();
    }
    PublishAfterCommitLocked();
    return key;
}

void OmsServer::WithStore(const std::function<void(Store&)>& work)
{
    std::lock_guard<std::mutex> guard(m_lock);
    work(*m_store);
}

void OmsServer::OnRequest(const connect::Message& request, connect::ReplyStream& replies)
{
    const Request one{&request, &replies};
    OnRequests(std::span<const Request>(&one, 1));
}

void OmsServer::OnRequests(std::span<const Request> batch)
{
    std::lock_guard<std::mutex> guard(m_lock);
    // No read stays open between batches: it would hold the connection on an old snapshot and
    // keep the write-ahead log from being folded in.
    struct ReadsClosed
    {
        SqliteDatabase& db;
        ~ReadsClosed() { db.ResetAll(); }
    } closed{m_store->Db()};
    std::size_t i = 0;
    while (i < batch.size())
    {
        // Decisions, and makers' messages, that arrived together share a transaction; makers'
        // messages up to some thousands of lines, so that files of many lines are committed, and
        // published while the next is entered, one by one rather than all at the end.
        const std::string& function = FunctionOf(*batch[i].message);
        std::size_t end = i;
        std::size_t lines = 0;
        while (end < batch.size() &&
               (function == protocol::kDecisionFunction || function == MakerCommand::kEnterFunction) &&
               FunctionOf(*batch[end].message) == function &&
               (function != MakerCommand::kEnterFunction || lines < kMakersLinesATransaction))
            lines += batch[end++].message->ValueCount(MakerCommand::kLineField);
        if (end > i)
        {
            try
            {
                if (function == protocol::kDecisionFunction)
                    HandleDecisions(batch.subspan(i, end - i));
                else
                    HandleMakersLines(batch.subspan(i, end - i));
            }
            catch (const std::exception& failure)
            {
                for (std::size_t j = i; j < end; ++j)
                    batch[j].replies->Close(kStatusServerFault,
                                            std::string("The server's database failed: ") + failure.what());
            }
            i = end;
            continue;
        }
        try
        {
            HandleQuery(*batch[i].message, *batch[i].replies);
        }
        catch (const std::exception& failure)
        {
            batch[i].replies->Close(kStatusServerFault,
                                    std::string("The server's database failed: ") + failure.what());
        }
        ++i;
    }
}

void OmsServer::HandleDecisions(std::span<const Request> run)
{
    const auto failed = [](const SqliteError& failure)
    {
        return DecisionDesk::Outcome{
            kStatusServerFault,
            std::string("The server's database failed; nothing was recorded: ") + failure.what(), false};
    };
    std::vector<DecisionDesk::Outcome> outcomes(run.size());
    // Answers that hold whatever becomes of this transaction: messages decided before it, again.
    std::vector<bool> settled(run.size(), false);
    try
    {
        SqliteTransaction transaction(m_store->Db());
        m_store->DeleteOutboxThrough(m_publishedThrough);
        DecisionDesk desk(*m_store, *m_access);
        std::set<std::string> decidedHere;
        for (std::size_t i = 0; i < run.size(); ++i)
        {
            // One decision that fails in the database goes back alone.
            SqliteSavepoint savepoint(m_store->Db());
            try
            {
                const std::string& id = run[i].replies->MessageId();
                outcomes[i] = desk.Decide(*run[i].message, *run[i].replies);
                savepoint.Release();
                if (!outcomes[i].repeated)
                    decidedHere.insert(id);
                else
                    settled[i] = !decidedHere.contains(id);
            }
            catch (const SqliteError& failure)
            {
                // An I/O error or a full disk makes SQLite roll back the whole transaction, the
                // decisions before this one with it: then none of them may be answered as done.
                if (!m_store->Db().InTransaction())
                    throw;
                outcomes[i] = failed(failure);
            }
        }
        transaction.Commit();
        m_lastCommit = Store::Now();
    }
    catch (const SqliteError& failure)
    {
        for (std::size_t i = 0; i < run.size(); ++i)
        {
            if (!settled[i])
                outcomes[i] = failed(failure);
        }
    }
    if (m_afterCommit)
        m_afterCommit();
    // Answered only once durable: an answer never claims what a crash could undo.
    for (std::size_t i = 0; i < run.size(); ++i)
        run[i].replies->Close(outcomes[i].code, outcomes[i].text);
    if (m_log.On())
    {
        std::int64_t applied = 0;
        std::int64_t repeated = 0;
        for (const DecisionDesk::Outcome& outcome : outcomes)
        {
            applied += outcome.code == kStatusOk && !outcome.repeated ? 1 : 0;
            repeated += outcome.repeated ? 1 : 0;
        }
        m_log.Event("decisions", {{"messages", static_cast<std::int64_t>(run.size())},
                                  {"applied", applied},
                                  {"repeated", repeated},
                                  {"refused", static_cast<std::int64_t>(run.size()) - applied - repeated}});
    }
    PublishAfterCommitLocked();
}

void OmsServer::Refuse(connect::ReplyStream& replies, const std::string& function, const Refusal& refusal)
{
    replies.Close(refusal.code, refusal.text);
    const std::string& sender =
        !replies.AuthenticatedUser().empty() ? replies.AuthenticatedUser() : replies.Sender().user;
    m_log.Event("refused", {{"sender", Authorisation::Bounded(sender, 64)},
                            {"function", Authorisation::Bounded(function, 64)},
                            {"status", std::int64_t{refusal.code}},
                            {"text", Authorisation::Bounded(refusal.text, 2 * kMaxReasonLength)}});
    try
    {
        SqliteTransaction transaction(m_store->Db());
        m_store->AppendRefusal(Authorisation::Bounded(sender, 64), Authorisation::Bounded(function, 64),
                               refusal.code, Authorisation::Bounded(refusal.text, 2 * kMaxReasonLength));
        transaction.Commit();
    }
    catch (const SqliteError&)
    {
        // The answer went out; a note the database cannot take now is not worth failing it for.
    }
}

std::optional<Caller> OmsServer::Identify(connect::ReplyStream& replies, const std::string& function,
                                          const std::string& named)
{
    std::variant<Caller, Refusal> who = m_access->Identify(replies, named);
    if (Refusal* refused = std::get_if<Refusal>(&who))
    {
        Refuse(replies, function, *refused);
        return std::nullopt;
    }
    Caller& caller = std::get<Caller>(who);
    // On the bus the user the message names can only be the sender himself.
    if (!replies.AuthenticatedUser().empty() && !named.empty() && named != caller.user)
    {
        Refuse(replies, function,
               Refusal{kStatusBadMessage, "The request names " + Authorisation::Bounded(named, 64) +
                                              ", but it came from " + caller.user +
                                              "'s connection; nothing was done"});
        return std::nullopt;
    }
    return std::move(caller);
}

void OmsServer::HandleQuery(const connect::Message& request, connect::ReplyStream& replies)
{
    const std::string& function = FunctionOf(request);
    if (const std::optional<Refusal> malformed = Authorisation::CheckShape(request, -1, kMaxConsoleMessage))
    {
        Refuse(replies, function, *malformed);
        return;
    }
    if (function == protocol::kUserDetailsFunction || function == protocol::kAccountDetailsFunction ||
        function == protocol::kLimitsDetailsFunction)
        HandleDetails(request, replies);
    else if (function == protocol::kRecoveryFunction)
        HandleRecovery(request, replies);
    else if (function == protocol::kStatusFunction)
        HandleStatus(request, replies);
    else
        replies.Close(kStatusUnknownFunction, "The server has no function \"" + function + "\"");
}

void OmsServer::HandleDetails(const connect::Message& request, connect::ReplyStream& replies)
{
    const std::string& function = FunctionOf(request);
    const std::string* keyText = request.Value(fid::kRequestKey);
    std::int64_t key = 0;
    const bool readable =
        keyText && std::from_chars(keyText->data(), keyText->data() + keyText->size(), key).ptr ==
                       keyText->data() + keyText->size();
    if (!readable || keyText->empty())
    {
        replies.Close(kStatusBadMessage, "A detail query needs the request's key (51803)");
        return;
    }
    const std::string* asking = request.Value(fid::kMaker);
    const std::optional<Caller> caller = Identify(replies, function, asking ? *asking : std::string());
    if (!caller)
        return;
    const std::optional<RequestRecord> record = m_store->Request(key);
    if (!record)
    {
        replies.Close(kStatusNoRequest, "There is no request " + *keyText);
        return;
    }
    if (!Authorisation::MaySee(*caller, *record))
    {
        Refuse(replies, function,
               Refusal{kStatusNotVisible, "Request " + *keyText + " is not among the requests you may see"});
        return;
    }
    if (!Authorisation::MayDecide(*caller, *record))
    {
        Refuse(replies, function,
               Refusal{kStatusNotAuthorised, caller->user + " may not see the details of " +
                                                 AuthTypeText(record->type) +
                                                 " requests (his roles do not include " +
                                                 std::to_string(Authorisation::RoleFor(*record)) + ")"});
        return;
    }
    const bool fits = (function == protocol::kUserDetailsFunction && IsUserType(record->type)) ||
                      (function == protocol::kAccountDetailsFunction && IsAccountType(record->type)) ||
                      (function == protocol::kLimitsDetailsFunction && record->type == kRmsLimits);
    if (!fits)
    {
        replies.Close(kStatusBadMessage, "Request " + *keyText + " is a " + AuthTypeText(record->type) +
                                             " request; " + function + " does not describe it");
        return;
    }
    if (record->status != kPending)
    {
        replies.Close(kStatusAlreadyDecided, "Request " + *keyText + " was already " + record->status +
                                                 " by " + record->decidedBy + " at " + record->decidedAt);
        return;
    }
    replies.Reply(DetailReplies(*m_store).Build(*record, m_store->Changes(key)));
    replies.Close(kStatusOk, "Details of request " + *keyText);
}

std::string OmsServer::StatusJson()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return StatusJsonLocked();
}

std::string OmsServer::StatusJsonLocked()
{
    const auto count = [this](const char* sql) { return std::stoll(m_store->Db().QueryText(sql)); };
    const std::int64_t outbox = std::stoll(m_store->Db().QueryText(
        "SELECT COUNT(*) FROM outbox WHERE seq > " + std::to_string(m_publishedThrough.load())));
    const std::string line = ServerLog::Line(
        Store::Now(), "status",
        {{"pending", m_store->CountRequests(kPending)},
         {"outbox", outbox},
         {"decisions_applied", count("SELECT COUNT(*) FROM decision_log WHERE outcome = 'applied'")},
         {"decisions_refused", count("SELECT COUNT(*) FROM decision_log WHERE outcome = 'refused'")},
         {"last_commit", m_lastCommit},
         {"bus", m_busState ? m_busState() : std::string("none (in process)")},
         {"database", m_path},
         {"version", std::string(KIVO_VERSION)}});
    m_store->Db().ResetAll();
    return line;
}

// Operators and monitors: level-0 users and the server's own user on the bus.
void OmsServer::HandleStatus(const connect::Message& request, connect::ReplyStream& replies)
{
    const bool operatorAsks = !m_operatorUser.empty() && replies.AuthenticatedUser() == m_operatorUser;
    if (!operatorAsks)
    {
        const std::optional<Caller> caller = Identify(replies, protocol::kStatusFunction, std::string());
        if (!caller)
            return;
        if (caller->privilege != 0 && !caller->vouched)
        {
            Refuse(replies, protocol::kStatusFunction,
                   Refusal{kStatusNotAuthorised, caller->user + " may not ask for the server's status"});
            return;
        }
    }
    (void)request;
    replies.Reply(connect::Message().Add(1, StatusJsonLocked()));
    replies.Close(kStatusOk, "Status");
}

void OmsServer::HandleRecovery(const connect::Message& request, connect::ReplyStream& replies)
{
    const std::string* asking = request.Value(fid::kUser);
    const std::optional<Caller> caller =
        Identify(replies, FunctionOf(request), asking ? *asking : std::string());
    if (!caller)
        return;
    const std::optional<connect::SubscriptionFilter> filter =
        protocol::VisibilityFilter(caller->privilege, caller->user, caller->broker);
    std::size_t sent = 0;
    if (filter)
    {
        m_store->ForEachPending(
            [&](const RequestRecord& pending)
            {
                connect::Message form = PublishedForm(pending);
                if (filter->Matches(form))
                {
                    replies.Reply(std::move(form));
                    ++sent;
                }
            });
    }
    replies.Close(kStatusOk, std::to_string(sent) + " pending request" + (sent == 1 ? "" : "s"));
}

// Makers' tools on the bus: each message's lines are entered together or, when one is refused,
// not at all. Messages that arrive together share one transaction (one sync of the disk), each
// behind a savepoint of its own, and are all answered once it is committed.
void OmsServer::HandleMakersLines(std::span<const Request> run)
{
    struct Entry
    {
        connect::ReplyStream* replies = nullptr;
        std::vector<MakerCommand::Line> lines;
        std::size_t lineCount = 0;
        std::vector<std::int64_t> keys;
        std::optional<Refusal> refused; // answered so, after the commit
    };
    std::vector<Entry> entries;
    for (const Request& request : run)
    {
        connect::ReplyStream& replies = *request.replies;
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < request.message->ValueCount(MakerCommand::kLineField); ++i)
            lines.push_back(*request.message->Value(MakerCommand::kLineField, i));
        const auto where = [&lines](int line)
        { return lines.size() > 1 ? "Line " + std::to_string(line) + ": " : ""; };
        if (const std::optional<Refusal> malformed =
                Authorisation::CheckShape(*request.message, MakerCommand::kLineField, kMaxMakersMessage))
        {
            Refuse(replies, MakerCommand::kEnterFunction, *malformed);
            continue;
        }
        const std::string* maker = request.message->Value(fid::kMaker);
        const std::string& sender = replies.AuthenticatedUser();
        // On the bus a maker is a user with access like any other, and enters requests only as
        // himself: his lines name him or nobody.
        if (!sender.empty() && !Identify(replies, MakerCommand::kEnterFunction, std::string()))
            continue;
        if (!sender.empty() && maker && *maker != sender)
        {
            Refuse(replies, MakerCommand::kEnterFunction,
                   Refusal{kStatusBadMessage,
                           "The requests name maker " + Authorisation::Bounded(*maker, 64) +
                               ", but they came from " + sender + "'s connection; nothing was entered"});
            continue;
        }
        std::string error;
        int badLine = 0;
        auto parsed = MakerCommand::ParseLines(lines, maker ? *maker : sender, &error, &badLine);
        if (!parsed || parsed->empty())
        {
            replies.Close(kStatusBadMessage, parsed ? "The message holds no request (field 1, one a line)"
                                                    : where(badLine) + error + "; nothing was entered");
            continue;
        }
        const auto foreign = std::find_if(parsed->begin(), parsed->end(),
                                          [&sender](const MakerCommand::Line& line)
                                          { return !sender.empty() && line.request.maker != sender; });
        if (foreign != parsed->end())
        {
            Refuse(replies, MakerCommand::kEnterFunction,
                   Refusal{kStatusBadMessage, where(foreign->number) + "the request names maker " +
                                                  Authorisation::Bounded(foreign->request.maker, 64) +
                                                  ", but it came from " + sender +
                                                  "'s connection; nothing was entered"});
            continue;
        }
        entries.push_back(Entry{&replies, std::move(*parsed), lines.size(), {}, std::nullopt});
    }
    if (entries.empty())
        return;

    const auto failed = [](const SqliteError& failure)
    {
        return Refusal{kStatusServerFault,
                       std::string("The server's database failed; nothing was entered: ") + failure.what()};
    };
    try
    {
        SqliteTransaction transaction(m_store->Db());
        m_store->DeleteOutboxThrough(m_publishedThrough);
        MakerDesk desk(*m_store);
        for (Entry& entry : entries)
        {
            // One message refused, or failing in the database, goes back alone.
            SqliteSavepoint savepoint(m_store->Db());
            try
            {
                for (const MakerCommand::Line& line : entry.lines)
                    entry.keys.push_back(desk.EnterWithin(line.request));
                savepoint.Release();
            }
            catch (const MakerError& refused)
            {
                const std::string at =
                    entry.lineCount > 1
                        ? "Line " + std::to_string(entry.lines[entry.keys.size()].number) + ": "
                        : "";
                entry.refused = Refusal{kStatusBadMessage, at + refused.what() + "; nothing was entered"};
                entry.keys.clear();
            }
            catch (const SqliteError& failure)
            {
                // An I/O error or a full disk makes SQLite roll back the whole transaction.
                if (!m_store->Db().InTransaction())
                    throw;
                entry.refused = failed(failure);
                entry.keys.clear();
            }
        }
        transaction.Commit();
        m_lastCommit = Store::Now();
    }
    catch (const SqliteError& failure)
    {
        for (Entry& entry : entries)
        {
            entry.refused = failed(failure);
            entry.keys.clear();
        }
    }
    if (m_log.On())
    {
        std::int64_t entered = 0;
        std::int64_t refused = 0;
        for (const Entry& entry : entries)
        {
            entered += static_cast<std::int64_t>(entry.keys.size());
            refused += entry.refused ? 1 : 0;
        }
        m_log.Event("requests entered", {{"messages", static_cast<std::int64_t>(entries.size())},
                                         {"requests", entered},
                                         {"messages_refused", refused}});
    }
    // Answered only once durable.
    for (Entry& entry : entries)
    {
        if (entry.refused)
        {
            entry.replies->Close(entry.refused->code, entry.refused->text);
            continue;
        }
        for (std::size_t i = 0; i < entry.keys.size(); ++i)
        {
            const MakerRequest& entered = entry.lines[i].request;
            entry.replies->Reply(connect::Message()
                                     .Add(fid::kRequestKey, std::to_string(entry.keys[i]))
                                     .Add(fid::kAuthType, std::to_string(entered.type))
                                     .Add(fid::kMaker, entered.maker)
                                     .Add(MakerCommand::kLineField, entered.entity));
        }
        entry.replies->Close(kStatusOk, std::to_string(entry.keys.size()) + " request" +
                                            (entry.keys.size() == 1 ? "" : "s") + " entered");
    }
    PublishAfterCommitLocked();
}

} // namespace oms
