#include "oms/BusGrants.h"

namespace oms
{

namespace
{

BusGrant ReadGrant(const SqliteStatement& q)
{
    return BusGrant{q.Text(0), q.Text(1), q.Text(2), q.OptionalText(3).value_or("")};
}

} // namespace

void BusGrants::Grant(const std::string& user, const std::string& passwordHash, const std::string& at)
{
    m_db.Prepare("INSERT INTO bus_users(user, password_hash, granted_at, revoked_at) VALUES(?, ?, ?, NULL) "
                 "ON CONFLICT(user) DO UPDATE SET password_hash = excluded.password_hash, "
                 "granted_at = excluded.granted_at, revoked_at = NULL")
        .Bind(1, user)
        .Bind(2, passwordHash)
        .Bind(3, at)
        .Run();
}

bool BusGrants::Revoke(const std::string& user, const std::string& at)
{
    m_db.Prepare("UPDATE bus_users SET revoked_at = ? WHERE user = ? AND revoked_at IS NULL")
        .Bind(1, at)
        .Bind(2, user)
        .Run();
    return m_db.Changes() > 0;
}

bool BusGrants::Current(const std::string& user)
{
    SqliteStatement& q =
        m_db.Prepare("SELECT 1 FROM bus_users WHERE user = ? AND revoked_at IS NULL").Bind(1, user);
    return q.Step();
}

std::optional<BusGrant> BusGrants::Find(const std::string& user)
{
    SqliteStatement& q = m_db.Prepare("SELECT user, password_hash, granted_at, revoked_at FROM bus_users "
                                      "WHERE user = ?")
                             .Bind(1, user);
    if (!q.Step())
        return std::nullopt;
    return ReadGrant(q);
}

std::vector<BusGrant> BusGrants::All()
{
    std::vector<BusGrant> grants;
    SqliteStatement& q =
        m_db.Prepare("SELECT user, password_hash, granted_at, revoked_at FROM bus_users ORDER BY user");
    while (q.Step())
        grants.push_back(ReadGrant(q));
    return grants;
}

} // namespace oms
