// The decision log's hash chain: what it catches (a row changed, taken out, put in, rows taken
// off the end) and what it must not flag (a log written by the server alone, a log upgraded from
// before the chain existed).
#include "OmsTestSupport.h"

#include "oms/AuditTrail.h"
#include "oms/ServerStatus.h"
#include "oms/SqliteTransaction.h"

using namespace oms_test;

namespace
{

class AuditTrailTest : public ServerTest
{
protected:
    // A few decisions, applied and refused, as terminals send them.
    void Decide()
    {
        const connect::Session checker{"CHECKER2", "KIVO", 0};
        const oms::RequestRecord user = Pending(oms::kModifyUser);
        const oms::RequestRecord limits = Pending(oms::kRmsLimits);
        ASSERT_EQ(Ask(Accept(user, "CHECKER2"), "a-1", checker).Code(), oms::kStatusOk);
        ASSERT_EQ(Ask(Accept(user, "CHECKER2"), "a-2", checker).Code(), oms::kStatusAlreadyDecided);
        ASSERT_EQ(Ask(Reject(limits, "CHECKER2", "Too high"), "a-3", checker).Code(), oms::kStatusOk);
        ASSERT_EQ(Ask(Reject(limits, "CHECKER2", "Again"), "a-4", checker).Code(), oms::kStatusAlreadyDecided);
    }
    oms::AuditTrail::Verdict Verify()
    {
        return Read<oms::AuditTrail::Verdict>([](oms::Store& s) { return oms::AuditTrail(s.Db()).Verify(); });
    }
    // What someone with the database file and a SQL shell does: the triggers are no obstacle.
    void Tamper(const std::string& sql)
    {
        server->WithStore(
            [&](oms::Store& s)
            {
                s.Db().Execute("DROP TRIGGER IF EXISTS decision_log_no_update;"
                               "DROP TRIGGER IF EXISTS decision_log_no_delete;");
                s.Db().Execute(sql);
            });
    }
    static std::string Findings(const oms::AuditTrail::Verdict& verdict)
    {
        std::string text;
        for (const oms::AuditTrail::Finding& finding : verdict.findings)
            text += finding.what + "\n";
        return text;
    }
};

TEST_F(AuditTrailTest, TheServersOwnLogHoldsAndEachRowCarriesWhatWasApplied)
{
    Decide();
    const oms::AuditTrail::Verdict verdict = Verify();
    EXPECT_EQ(verdict.rows, 4);
    EXPECT_TRUE(verdict.findings.empty()) << Findings(verdict);
    const oms::RequestRecord decided = *Request(Read<std::int64_t>(
        [](oms::Store& s) { return std::stoll(s.Db().QueryText("SELECT key FROM decision_log WHERE seq = 1")); }));
    const std::vector<oms::DecisionEntry> log = Log(decided.key);
    ASSERT_FALSE(log.empty());
    // The accepted change, field by field with the value before it.
    EXPECT_FALSE(log[0].applied.empty());
    EXPECT_NE(log[0].applied.find('\t'), std::string::npos);
    EXPECT_EQ(log[0].rowHash.size(), 64u);
    EXPECT_EQ(log[0].contentHash.size(), 64u);
}

TEST_F(AuditTrailTest, ARowChangedAfterwardsIsNamed)
{
    Decide();
    Tamper("UPDATE decision_log SET reason = 'Approved by phone' WHERE seq = 3");
    const oms::AuditTrail::Verdict verdict = Verify();
    ASSERT_EQ(verdict.findings.size(), 1u) << Findings(verdict);
    EXPECT_EQ(verdict.findings[0].seq, 3);
    EXPECT_EQ(verdict.findings[0].what, "row 3 was changed or put in: its contents do not match its hash");
}

TEST_F(AuditTrailTest, ARowTakenOutIsNamedAndSoAreRowsTakenOffTheEnd)
{
    Decide();
    Tamper("DELETE FROM decision_log WHERE seq = 2");
    oms::AuditTrail::Verdict verdict = Verify();
    ASSERT_FALSE(verdict.findings.empty());
    EXPECT_EQ(verdict.findings[0].what, "row 2 is missing: it was deleted");

    Tamper("DELETE FROM decision_log WHERE seq >= 3");
    verdict = Verify();
    ASSERT_FALSE(verdict.findings.empty());
    EXPECT_NE(Findings(verdict).find("the log ends at row 1, but the server wrote 4: rows were deleted at its end"),
              std::string::npos)
        << Findings(verdict);
}

TEST_F(AuditTrailTest, ARowPutInIsNamedWhereverItGoes)
{
    Decide();
    // At the end, as if the server had written it: its hash cannot be the chain's.
    Tamper("INSERT INTO decision_log(seq, key, checker, decision, outcome, reason, edited, decided_at, message_id, "
           "status_code, status_text, content_hash, applied, row_hash) SELECT 5, key, 'CHECKER1', 'accept', "
           "'applied', '', '', decided_at, 'forged', 0, 'forged', content_hash, applied, row_hash FROM "
           "decision_log WHERE seq = 4");
    oms::AuditTrail::Verdict verdict = Verify();
    EXPECT_NE(Findings(verdict).find("row 5 was changed or put in"), std::string::npos) << Findings(verdict);
    EXPECT_NE(Findings(verdict).find("the log holds 5 rows, but the server wrote 4"), std::string::npos);

    // Before the first row.
    Tamper("DELETE FROM decision_log WHERE seq = 5; INSERT INTO decision_log(seq, checker, decision, outcome, "
           "reason, edited, decided_at, status_code, status_text) VALUES(0, 'X', 'accept', 'applied', '', '', "
           "'2024-01-01T00:00:00Z', 0, 'x')");
    verdict = Verify();
    EXPECT_FALSE(verdict.findings.empty());
    EXPECT_EQ(verdict.findings[0].seq, 0);
}

TEST_F(AuditTrailTest, ALongLogOfTheServersHolds)
{
    server->WithStore(
        [](oms::Store& s)
        {
            oms::SqliteTransaction transaction(s.Db());
            for (int i = 0; i < 10000; ++i)
            {
                oms::DecisionEntry entry;
                entry.key = 100001 + i % 50;
                entry.checker = i % 2 ? "CHECKER1" : "CHECKER2";
                entry.decision = i % 3 ? "accept" : "reject";
                entry.outcome = i % 5 ? "refused" : "applied";
                entry.reason = i % 3 ? "" : "Reason " + std::to_string(i);
                entry.decidedAt = oms::Store::Now();
                entry.messageId = "long-" + std::to_string(i);
                entry.statusText = "text " + std::to_string(i);
                s.AppendDecision(entry);
            }
            transaction.Commit();
        });
    const oms::AuditTrail::Verdict verdict = Verify();
    EXPECT_EQ(verdict.rows, 10000);
    EXPECT_TRUE(verdict.findings.empty()) << Findings(verdict);
}

TEST_F(AuditTrailTest, ADatabaseFromBeforeTheChainIsSealedWhenItIsOpened)
{
    Decide();
    // The database as the server of schema 1 left it: no chain, no grants, no refusals.
    server->WithStore(
        [](oms::Store& s)
        {
            s.Db().Execute(kRequestFieldsAsATable);
            s.Db().Execute("DROP TRIGGER decision_log_no_update; DROP TRIGGER decision_log_no_delete;"
                           "DROP TABLE audit_head; DROP TABLE bus_users; DROP TABLE refusals;"
                           "ALTER TABLE decision_log DROP COLUMN content_hash;"
                           "ALTER TABLE decision_log DROP COLUMN applied;"
                           "ALTER TABLE decision_log DROP COLUMN row_hash;"
                           "CREATE TRIGGER decision_log_no_update BEFORE UPDATE ON decision_log "
                           "BEGIN SELECT RAISE(ABORT, 'the decision log is append-only'); END;"
                           "CREATE TRIGGER decision_log_no_delete BEFORE DELETE ON decision_log "
                           "BEGIN SELECT RAISE(ABORT, 'the decision log is append-only'); END;"
                           "PRAGMA user_version = 1;");
        });
    Restart();
    oms::AuditTrail::Verdict verdict = Verify();
    EXPECT_EQ(verdict.rows, 4);
    EXPECT_TRUE(verdict.findings.empty()) << Findings(verdict);
    EXPECT_EQ(Read<std::string>([](oms::Store& s) { return s.Db().QueryText("PRAGMA user_version"); }), "3");
    // The chain goes on from there, and the log is append-only again.
    const oms::RequestRecord next = Pending(oms::kModifyUser);
    ASSERT_EQ(Ask(Accept(next, "CHECKER2"), "b-1", {"CHECKER2", "KIVO", 0}).Code(), oms::kStatusOk);
    verdict = Verify();
    EXPECT_EQ(verdict.rows, 5);
    EXPECT_TRUE(verdict.findings.empty()) << Findings(verdict);
    EXPECT_THROW(server->WithStore([](oms::Store& s) { s.Db().Execute("DELETE FROM decision_log"); }),
                 std::exception);
}

} // namespace
