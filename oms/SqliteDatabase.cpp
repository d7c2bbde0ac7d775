#include "oms/SqliteDatabase.h"

#include "oms/SqliteError.h"

#include <sqlite3.h>

namespace oms
{

SqliteDatabase::SqliteDatabase(const std::string& path, Mode mode) : m_path(path)
{
    const int access = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY
                       : mode == Mode::Create   ? SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE
                                                : SQLITE_OPEN_READWRITE;
    const int flags = access | SQLITE_OPEN_NOMUTEX;
    const int result = sqlite3_open_v2(path.c_str(), &m_db, flags, nullptr);
    if (result != SQLITE_OK)
    {
        const std::string message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(result);
        const int code = m_db ? sqlite3_extended_errcode(m_db) : result;
        sqlite3_close(m_db);
        m_db = nullptr;
        throw SqliteError(code, message);
    }
    sqlite3_extended_result_codes(m_db, 1);
}

SqliteDatabase::~SqliteDatabase()
{
    m_statements.clear();
    sqlite3_close(m_db);
}

void SqliteDatabase::Execute(std::string_view sql)
{
    char* error = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
    {
        const std::string message = error ? error : sqlite3_errmsg(m_db);
        sqlite3_free(error);
        throw SqliteError(sqlite3_extended_errcode(m_db), message);
    }
}

SqliteStatement& SqliteDatabase::Prepare(const std::string& sql)
{
    auto it = m_statements.find(sql);
    if (it == m_statements.end())
        it = m_statements.emplace(sql, std::make_unique<SqliteStatement>(m_db, sql)).first;
    return it->second->Reset();
}

void SqliteDatabase::ResetAll()
{
    for (auto& [sql, statement] : m_statements)
        statement->Reset();
}

std::string SqliteDatabase::QueryText(std::string_view sql)
{
    SqliteStatement statement(m_db, sql);
    return statement.Step() ? statement.Text(0) : std::string();
}

std::int64_t SqliteDatabase::LastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

std::int64_t SqliteDatabase::Changes() const
{
    return sqlite3_changes64(m_db);
}

void SqliteDatabase::SetBusyTimeout(int milliseconds)
{
    sqlite3_busy_timeout(m_db, milliseconds);
}

bool SqliteDatabase::InTransaction() const
{
    return sqlite3_get_autocommit(m_db) == 0;
}

} // namespace oms
