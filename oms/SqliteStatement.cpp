#include "oms/SqliteStatement.h"

#include "oms/SqliteError.h"

#include <sqlite3.h>

namespace oms
{

namespace
{
void Check(sqlite3* db, int result, const char* what)
{
    if (result != SQLITE_OK)
        throw SqliteError(sqlite3_extended_errcode(db), std::string(what) + ": " + sqlite3_errmsg(db));
}
} // namespace

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) : m_db(db)
{
    Check(db,
          sqlite3_prepare_v3(db, sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                             &m_statement, nullptr),
          "preparing a statement");
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(m_statement);
}

SqliteStatement& SqliteStatement::Reset()
{
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::string_view text)
{
    Check(m_db,
          sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT),
          "binding a text");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::int64_t number)
{
    Check(m_db, sqlite3_bind_int64(m_statement, index, number), "binding a number");
    return *this;
}

SqliteStatement& SqliteStatement::Bind(int index, std::span<const std::uint8_t> blob)
{
    Check(m_db,
          sqlite3_bind_blob(m_statement, index, blob.data(), static_cast<int>(blob.size()), SQLITE_TRANSIENT),
          "binding bytes");
    return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index)
{
    Check(m_db, sqlite3_bind_null(m_statement, index), "binding null");
    return *this;
}

SqliteStatement& SqliteStatement::BindOptional(int index, const std::optional<std::string>& text)
{
    return text ? Bind(index, std::string_view(*text)) : BindNull(index);
}

bool SqliteStatement::Step()
{
    const int result = sqlite3_step(m_statement);
    if (result == SQLITE_ROW)
        return true;
    if (result == SQLITE_DONE)
        return false;
    const int code = sqlite3_extended_errcode(m_db);
    const std::string message = sqlite3_errmsg(m_db);
    sqlite3_reset(m_statement);
    throw SqliteError(code, message);
}

void SqliteStatement::Run()
{
    while (Step())
    {
    }
}

bool SqliteStatement::IsNull(int column) const
{
    return sqlite3_column_type(m_statement, column) == SQLITE_NULL;
}

std::string SqliteStatement::Text(int column) const
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
    return text ? std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column)))
                : std::string();
}

std::optional<std::string> SqliteStatement::OptionalText(int column) const
{
    if (IsNull(column))
        return std::nullopt;
    return Text(column);
}

std::int64_t SqliteStatement::Int(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

std::vector<std::uint8_t> SqliteStatement::Blob(int column) const
{
    const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(m_statement, column));
    const int size = sqlite3_column_bytes(m_statement, column);
    return data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>();
}

} // namespace oms
