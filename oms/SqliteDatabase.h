// One connection to a SQLite database file, with the statements it has prepared.
#pragma once

#include "oms/SqliteStatement.h"

#include <map>
#include <memory>
#include <string>
#include <string_view>

struct sqlite3;

namespace oms
{

class SqliteDatabase
{
public:
    enum class Mode
    {
        OpenExisting, // the file must be there
        Create,       // created when missing
        ReadOnly      // the file must be there, and nothing is written to it
    };

    SqliteDatabase(const std::string& path, Mode mode);
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Runs statements that return nothing (several may be separated by semicolons).
    void Execute(std::string_view sql);
    // A statement prepared once and kept for the life of the connection, reset for this use.
    SqliteStatement& Prepare(const std::string& sql);
    // Resets every kept statement, so that none holds a read open (before a commit or a checkpoint).
    void ResetAll();
    // The first column of the first row as text; empty when there is no row.
    std::string QueryText(std::string_view sql);
    std::int64_t LastInsertId() const;
    std::int64_t Changes() const;
    // How long a statement waits for another connection's lock before failing with SQLITE_BUSY.
    void SetBusyTimeout(int milliseconds);
    // False once SQLite has rolled a transaction back by itself: after an I/O error or a full
    // disk the whole transaction is gone, not only the statement that failed.
    bool InTransaction() const;

    sqlite3* Handle() const { return m_db; }
    const std::string& Path() const { return m_path; }

private:
    sqlite3* m_db = nullptr;
    std::string m_path;
    std::map<std::string, std::unique_ptr<SqliteStatement>, std::less<>> m_statements;
};

} // namespace oms
