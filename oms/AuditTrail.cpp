#include "oms/AuditTrail.h"

#include "oms/Digest.h"

namespace oms
{

namespace
{

constexpr const char* kColumns = "SELECT seq, key, checker, decision, outcome, reason, edited, decided_at, "
                                 "message_id, status_code, status_text, content_hash, applied, row_hash "
                                 "FROM decision_log ";

DecisionEntry Read(const SqliteStatement& q)
{
    DecisionEntry d;
    d.seq = q.Int(0);
    if (!q.IsNull(1))
        d.key = q.Int(1);
    d.checker = q.Text(2);
    d.decision = q.Text(3);
    d.outcome = q.Text(4);
    d.reason = q.Text(5);
    d.edited = q.Text(6);
    d.decidedAt = q.Text(7);
    d.messageId = q.OptionalText(8).value_or("");
    d.statusCode = static_cast<int>(q.Int(9));
    d.statusText = q.Text(10);
    d.contentHash = q.Text(11);
    d.applied = q.Text(12);
    d.rowHash = q.Text(13);
    return d;
}

// Each part with its length in front, so that no two rows write the same text.
void Put(std::string& out, const std::string& part)
{
    out += std::to_string(part.size());
    out += ':';
    out += part;
    out += ';';
}

std::optional<std::string> NonEmpty(const std::string& text)
{
    return text.empty() ? std::nullopt : std::optional<std::string>(text);
}

} // namespace

const std::string AuditTrail::kGenesis(64, '0');

std::string AuditTrail::RowHash(const std::string& previous, const DecisionEntry& entry)
{
    std::string text;
    text.reserve(256 + entry.reason.size() + entry.edited.size() + entry.statusText.size() + entry.applied.size());
    Put(text, previous);
    Put(text, std::to_string(entry.seq));
    Put(text, entry.key ? std::to_string(*entry.key) : std::string("-"));
    Put(text, entry.checker);
    Put(text, entry.decision);
    Put(text, entry.outcome);
    Put(text, entry.reason);
    Put(text, entry.edited);
    Put(text, entry.decidedAt);
    Put(text, entry.messageId);
    Put(text, std::to_string(entry.statusCode));
    Put(text, entry.statusText);
    Put(text, entry.contentHash);
    Put(text, entry.applied);
    return Sha256Hex(text);
}

void AuditTrail::Append(DecisionEntry& entry)
{
    std::string previous = kGenesis;
    std::int64_t rows = 0;
    {
        SqliteStatement& head = m_db.Prepare("SELECT rows, last_seq, last_hash FROM audit_head WHERE id = 1");
        if (head.Step())
        {
            rows = head.Int(0);
            entry.seq = head.Int(1) + 1;
            previous = head.Text(2);
        }
        else
        {
            entry.seq = 1;
        }
    }
    entry.rowHash = RowHash(previous, entry);
    SqliteStatement& q = m_db.Prepare(
        "INSERT INTO decision_log(seq, key, checker, decision, outcome, reason, edited, decided_at, message_id, "
        "status_code, status_text, content_hash, applied, row_hash) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    q.Bind(1, entry.seq);
    if (entry.key)
        q.Bind(2, *entry.key);
    q.Bind(3, entry.checker)
        .Bind(4, entry.decision)
        .Bind(5, entry.outcome)
        .Bind(6, entry.reason)
        .Bind(7, entry.edited)
        .Bind(8, entry.decidedAt)
        .BindOptional(9, NonEmpty(entry.messageId))
        .Bind(10, std::int64_t{entry.statusCode})
        .Bind(11, entry.statusText)
        .Bind(12, entry.contentHash)
        .Bind(13, entry.applied)
        .Bind(14, entry.rowHash)
        .Run();
    m_db.Prepare("INSERT INTO audit_head(id, rows, last_seq, last_hash) VALUES(1, ?, ?, ?) "
                 "ON CONFLICT(id) DO UPDATE SET rows = excluded.rows, last_seq = excluded.last_seq, "
                 "last_hash = excluded.last_hash")
        .Bind(1, rows + 1)
        .Bind(2, entry.seq)
        .Bind(3, entry.rowHash)
        .Run();
}

void AuditTrail::Seal()
{
    std::vector<DecisionEntry> rows;
    {
        SqliteStatement& q = m_db.Prepare(std::string(kColumns) + "ORDER BY seq");
        while (q.Step())
            rows.push_back(Read(q));
    }
    std::string previous = kGenesis;
    std::int64_t seq = 0;
    for (DecisionEntry& row : rows)
    {
        // Numbered again from 1 without gaps, so that a gap is always a row taken out later.
        m_db.Prepare("UPDATE decision_log SET seq = ? WHERE seq = ?").Bind(1, ++seq).Bind(2, row.seq).Run();
        row.seq = seq;
        row.rowHash = RowHash(previous, row);
        m_db.Prepare("UPDATE decision_log SET row_hash = ? WHERE seq = ?").Bind(1, row.rowHash).Bind(2, seq).Run();
        previous = row.rowHash;
    }
    m_db.Execute("DELETE FROM audit_head");
    m_db.Prepare("INSERT INTO audit_head(id, rows, last_seq, last_hash) VALUES(1, ?, ?, ?)")
        .Bind(1, seq)
        .Bind(2, seq)
        .Bind(3, previous)
        .Run();
}

AuditTrail::Verdict AuditTrail::Verify()
{
    Verdict verdict;
    std::string previous = kGenesis;
    std::int64_t expected = 1;
    SqliteStatement& q = m_db.Prepare(std::string(kColumns) + "ORDER BY seq");
    while (q.Step())
    {
        const DecisionEntry row = Read(q);
        ++verdict.rows;
        if (row.seq > expected)
            verdict.findings.push_back(
                {expected, row.seq == expected + 1
                               ? "row " + std::to_string(expected) + " is missing: it was deleted"
                               : "rows " + std::to_string(expected) + " to " + std::to_string(row.seq - 1) +
                                     " are missing: they were deleted"});
        else if (row.seq < expected)
            verdict.findings.push_back({row.seq, "row " + std::to_string(row.seq) + " is out of order"});
        const std::string computed = RowHash(previous, row);
        if (row.rowHash != computed)
        {
            // A row whose own hash fits the row before it was written whole by someone else (put
            // in); one whose hash does not fit its contents was changed afterwards.
            verdict.findings.push_back(
                {row.seq, row.seq > expected || row.seq < expected
                              ? "row " + std::to_string(row.seq) + " does not follow the row before it"
                              : "row " + std::to_string(row.seq) +
                                    " was changed or put in: its contents do not match its hash"});
        }
        previous = row.rowHash;
        expected = row.seq + 1;
    }
    verdict.lastHash = previous;

    SqliteStatement& head = m_db.Prepare("SELECT rows, last_seq, last_hash FROM audit_head WHERE id = 1");
    if (head.Step())
    {
        const std::int64_t rows = head.Int(0);
        const std::int64_t lastSeq = head.Int(1);
        const std::string lastHash = head.Text(2);
        if (lastSeq > expected - 1)
            verdict.findings.push_back({expected, "the log ends at row " + std::to_string(expected - 1) +
                                                      ", but the server wrote " + std::to_string(lastSeq) +
                                                      ": rows were deleted at its end"});
        else if (lastSeq < expected - 1 || rows != verdict.rows)
            verdict.findings.push_back({lastSeq + 1, "the log holds " + std::to_string(verdict.rows) +
                                                         " rows, but the server wrote " + std::to_string(rows) +
                                                         ": rows were put in"});
        else if (lastHash != previous)
            verdict.findings.push_back({lastSeq, "the last row's hash is not the one the server wrote"});
    }
    else if (verdict.rows > 0)
    {
        verdict.findings.push_back({0, "the log has no head: it was not written by this server, or the head "
                                       "was deleted"});
    }
    return verdict;
}

std::optional<DecisionEntry> AuditTrail::ByMessageId(const std::string& messageId)
{
    SqliteStatement& q = m_db.Prepare(std::string(kColumns) + "WHERE message_id = ?").Bind(1, messageId);
    if (!q.Step())
        return std::nullopt;
    return Read(q);
}

std::vector<DecisionEntry> AuditTrail::ForRequest(std::int64_t key)
{
    std::vector<DecisionEntry> entries;
    SqliteStatement& q = m_db.Prepare(std::string(kColumns) + "WHERE key = ? ORDER BY seq").Bind(1, key);
    while (q.Step())
        entries.push_back(Read(q));
    return entries;
}

void AuditTrail::ForEachBetween(const std::string& from, const std::string& to,
                                const std::function<void(const DecisionEntry&)>& visit)
{
    SqliteStatement& q = m_db.Prepare(std::string(kColumns) +
                                      "WHERE (?1 = '' OR decided_at >= ?1) AND (?2 = '' OR decided_at < ?2) "
                                      "ORDER BY seq")
                             .Bind(1, from)
                             .Bind(2, to);
    while (q.Step())
        visit(Read(q));
}

} // namespace oms
