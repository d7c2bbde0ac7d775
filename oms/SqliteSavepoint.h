// A part of a transaction that can be undone alone: one decision of a batch that fails goes
// back without taking the others with it.
#pragma once

#include "oms/SqliteDatabase.h"

namespace oms
{

class SqliteSavepoint
{
public:
    explicit SqliteSavepoint(SqliteDatabase& db);
    // Rolls back to the savepoint unless released.
    ~SqliteSavepoint();
    SqliteSavepoint(const SqliteSavepoint&) = delete;
    SqliteSavepoint& operator=(const SqliteSavepoint&) = delete;
    void Release();

private:
    SqliteDatabase& m_db;
    bool m_done = false;
};

} // namespace oms
