// The decision log as a chain that shows tampering: each row carries the SHA-256 of the hash of
// the row before it and of its own contents, and the head (the row count and the last hash) is
// kept beside the log in the same transaction. A row changed afterwards no longer matches its
// hash; a row taken out or put in breaks the order of the numbers and the chain at the next
// row; rows taken off the end no longer reach the head. Whoever can write the file could build
// a new chain from scratch: the head that `kivo-oms audit verify` prints is what an operator
// records elsewhere, and verify --expect compares with it later.
#pragma once

#include "oms/SqliteDatabase.h"
#include "oms/Store.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace oms
{

class AuditTrail
{
public:
    // The hash before the first row.
    static const std::string kGenesis;

    struct Finding
    {
        std::int64_t seq = 0; // the row it is about (0: the log as a whole)
        std::string what;
    };
    struct Verdict
    {
        std::int64_t rows = 0;
        std::string lastHash;
        std::vector<Finding> findings; // empty when the chain holds
    };

    explicit AuditTrail(SqliteDatabase& db) : m_db(db) {}

    // Writes the entry as the next row and moves the head; inside the caller's transaction.
    void Append(DecisionEntry& entry);
    // Gives every row its hash, in order, and sets the head (rows written before the chain
    // existed). The append-only triggers must be off.
    void Seal();
    Verdict Verify();

    std::optional<DecisionEntry> ByMessageId(const std::string& messageId);
    std::vector<DecisionEntry> ForRequest(std::int64_t key);
    // Every row decided at or after 'from' and before 'to' (texts compared as the store writes
    // times; an empty bound is open), in order.
    void ForEachBetween(const std::string& from, const std::string& to,
                        const std::function<void(const DecisionEntry&)>& visit);

    static std::string RowHash(const std::string& previous, const DecisionEntry& entry);

private:
    SqliteDatabase& m_db;
};

} // namespace oms
