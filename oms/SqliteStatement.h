// One prepared statement: bind, step, read columns. Reset and rebound for every use, so that a
// statement prepared once serves a hot path without being compiled again.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace oms
{

class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Resets the statement and clears its bindings; returns itself for chaining binds.
    SqliteStatement& Reset();
    // Parameters are numbered from 1, as in SQL.
    SqliteStatement& Bind(int index, std::string_view text);
    SqliteStatement& Bind(int index, std::int64_t number);
    SqliteStatement& Bind(int index, std::span<const std::uint8_t> blob);
    SqliteStatement& BindNull(int index);
    SqliteStatement& BindOptional(int index, const std::optional<std::string>& text);

    // True while a row is there; false when the statement is done.
    bool Step();
    // Runs to the end, for statements that return no rows.
    void Run();

    bool IsNull(int column) const;
    std::string Text(int column) const;
    std::optional<std::string> OptionalText(int column) const;
    std::int64_t Int(int column) const;
    std::vector<std::uint8_t> Blob(int column) const;

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

} // namespace oms
