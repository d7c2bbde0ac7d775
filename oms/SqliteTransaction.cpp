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
