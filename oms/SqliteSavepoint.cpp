#include "oms/SqliteSavepoint.h"

namespace oms
{

SqliteSavepoint::SqliteSavepoint(SqliteDatabase& db) : m_db(db)
{
    m_db.Execute("SAVEPOINT part");
}

SqliteSavepoint::~SqliteSavepoint()
{
    if (m_done)
        return;
    try
    {
        m_db.Execute("ROLLBACK TO part; RELEASE part");
    }
    catch (...)
    {
        // The whole transaction is gone already; its owner rolls back.
    }
}

void SqliteSavepoint::Release()
{
    m_db.Execute("RELEASE part");
    m_done = true;
}

} // namespace oms
