#include "oms/SqliteTransaction.h"

namespace oms
{

SqliteTransaction::SqliteTransaction(SqliteDatabase& db) : m_db(db)
{
    m_db.Execute("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction()
{
    if (m_done)
        return;
    // A statement that failed, or stopped at its first row, keeps its pages: until every kept
    // statement is reset, SQLite cannot end the transaction, and the write lock stays taken.
    m_db.ResetAll();
    try
    {
        m_db.Execute("ROLLBACK");
    }
    catch (...)
    {
        // SQLite may have rolled back on its own already (a full disk, an interrupt).
    }
}

void SqliteTransaction::Commit()
{
    m_db.ResetAll();
    m_db.Execute("COMMIT");
    m_done = true;
}

} // namespace oms
