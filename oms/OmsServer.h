// kivo-oms, the order-management server simulator: answers the terminals' detail queries,
// decisions and recovery, takes makers' requests, and publishes every new, changed and decided
// request. Whatever it publishes is first written to the outbox in the transaction that caused
// it and published from there after the commit, so a crash in between delays a publication but
// never loses it.
//
// Thread-safe: requests arrive on the transport's thread, makers' requests on the generator's,
// and a watcher thread publishes what other programs (the maker tool) write into the database.
#pragma once

#include "connect/Publisher.h"
#include "connect/RequestHandler.h"
#include "oms/Authorisation.h"
#include "oms/MakerRequest.h"
#include "oms/Seeder.h"
#include "oms/ServerLog.h"
#include "oms/Store.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace oms
{

class OmsServer final : public connect::RequestHandler
{
public:
    struct Options
    {
        std::string databasePath;
        // Moves an existing database aside first and starts with a new one.
        bool fresh = false;
        int busyTimeoutMs = 5000;
        std::uint32_t seed = Seeder::kDefaultSeed;
        Seeder::Size seedSize;
        // How often the watcher looks for requests that another program entered (0: never).
        int watchIntervalMs = 250;
        // On a bus that authenticates its users: a user must hold a current bus grant too.
        bool busGrants = false;
        // The server's own user on the bus, who may ask for its status (besides level-0 users).
        std::string operatorUser;
        // Publications go out from the watcher's thread, without the store's lock, so that a bus
        // slow to confirm them (a cluster choosing a new leader) does not hold the answers to
        // requests meanwhile. Needs the watcher (watchIntervalMs above 0).
        bool publishInBackground = false;
    };

    // Opens the database, creating and seeding it when there is none. Throws StoreError with a
    // message for the user when the database cannot be used (nothing is changed then).
    // 'publisher' (not owned) must outlive the server.
    OmsServer(const Options& options, connect::Publisher& publisher);
    ~OmsServer() override;
    OmsServer(const OmsServer&) = delete;
    OmsServer& operator=(const OmsServer&) = delete;

    // Publishes what the outbox still holds (what a crash left unpublished, requests entered
    // while no server ran) and starts the watcher.
    void Start();
    void Stop();

    void OnRequest(const connect::Message& request, connect::ReplyStream& replies) override;
    // Decisions that arrive together are recorded in one transaction, one sync of the disk,
    // before any of them is answered or published.
    void OnRequests(std::span<const Request> batch) override;

    // A maker's request: recorded and published. Throws MakerError when refused.
    std::int64_t Enter(const MakerRequest& request);
    // Runs 'work' on the store under the server's lock (tools, tests, the terminal's scripts).
    void WithStore(const std::function<void(Store&)>& work);
    // Publishes what is in the outbox now, stopping at a message the publisher cannot hand over
    // or an outbox the database cannot read (the watcher tries again); how many were published.
    std::size_t PublishOutbox();

    // Called after a decision's commit and before its publication (tests stop the process there).
    void SetAfterCommitHook(std::function<void()> hook) { m_afterCommit = std::move(hook); }
    bool WasCreated() const { return m_created; }
    // What the status names as the bus's state ("connected" ...), asked when the status is.
    void SetBusState(std::function<std::string()> state) { m_busState = std::move(state); }
    ServerLog& Log() { return m_log; }
    // The server's state as one JSON object: pending requests, the outbox still to publish,
    // decisions applied, the last commit, the bus, the version.
    std::string StatusJson();
    const std::string& DatabasePath() const { return m_path; }

private:
    void HandleDecisions(std::span<const Request> run);
    void HandleQuery(const connect::Message& request, connect::ReplyStream& replies);
    void HandleDetails(const connect::Message& request, connect::ReplyStream& replies);
    void HandleRecovery(const connect::Message& request, connect::ReplyStream& replies);
    void HandleStatus(const connect::Message& request, connect::ReplyStream& replies);
    std::string StatusJsonLocked();
    void HandleMakersLines(std::span<const Request> run);
    // Publishes the outbox from the last publication on, read through 'db' (the store's
    // connection, or the watcher's own); the caller holds m_publishLock.
    std::size_t PublishOutboxFrom(SqliteDatabase& db);
    // The same through the store's connection; the caller holds the store's lock.
    std::size_t PublishOutboxLocked();
    // After a commit: publishes now, or has the watcher publish.
    void PublishAfterCommitLocked();
    void DeletePublishedLocked();
    void Watch();
    // The watcher's look: publishes what another connection's commit (or this server's) added.
    void PublishFromWatcher(bool wanted);
    // Answers a refused request and keeps a bounded note of it (who, what, why).
    void Refuse(connect::ReplyStream& replies, const std::string& function, const Refusal& refusal);
    // Who asks, or the refusal already answered.
    std::optional<Caller> Identify(connect::ReplyStream& replies, const std::string& function,
                                   const std::string& named);

    std::string m_path;
    connect::Publisher& m_publisher;
    std::unique_ptr<Store> m_store;
    std::unique_ptr<Authorisation> m_access;
    bool m_created = false;
    std::string m_operatorUser;
    std::function<std::string()> m_busState;
    std::string m_lastCommit;
    ServerLog m_log;
    int m_watchIntervalMs = 0;
    int m_busyTimeoutMs = 0;
    bool m_publishInBackground = false;
    std::function<void()> m_afterCommit;

    std::mutex m_lock; // the store
    // One publication at a time. The watcher reads the outbox through a connection of its own
    // and takes the store's lock for none of it, so that a maker's long batch being entered does
    // not hold back the publication of the batch committed before it. Taken after m_lock where
    // both are held.
    std::mutex m_publishLock;
    std::unique_ptr<SqliteDatabase> m_outboxReader; // the watcher's, opened at its first look
    std::atomic<std::int64_t> m_publishedThrough{0};
    std::int64_t m_deletedThrough = 0; // by a deletion of its own, not a decision's or a request's
    // The publisher refused the next message in the outbox, or the outbox could not be read.
    std::atomic<bool> m_publishBlocked{false};
    std::int64_t m_dataVersion = -1; // the watcher's connection's, at its last publication

    std::mutex m_watchLock;
    std::condition_variable m_watchWake;
    bool m_stopping = false;
    bool m_publishWanted = false; // a commit since the watcher last published
    std::thread m_watcher;
};

} // namespace oms
