// A failure of the database, with SQLite's result code and message.
#pragma once

#include <stdexcept>
#include <string>

namespace oms
{

class SqliteError : public std::runtime_error
{
public:
    SqliteError(int code, const std::string& what) : std::runtime_error(what), m_code(code) {}
    // SQLite's primary result code (SQLITE_BUSY, SQLITE_CORRUPT ...).
    int Code() const { return m_code & 0xff; }

private:
    int m_code;
};

} // namespace oms
