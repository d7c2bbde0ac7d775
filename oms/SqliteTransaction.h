// A write transaction: BEGIN IMMEDIATE on construction (the write lock is taken at once, so a
// busy database fails here rather than halfway through), ROLLBACK on destruction unless
// committed.
#pragma once

#include "oms/SqliteDatabase.h"

namespace oms
{

class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteDatabase& db);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;
    void Commit();

private:
    SqliteDatabase& m_db;
    bool m_done = false;
};

} // namespace oms
