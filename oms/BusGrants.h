// Who may use the message bus: one row per user given bus credentials, with the hash of his
// password (the bus's authorisation is written from these rows) and whether the grant was
// revoked. A revoked grant keeps its row, so that the record of who had access stays.
#pragma once

#include "oms/SqliteDatabase.h"

#include <optional>
#include <string>
#include <vector>

namespace oms
{

struct BusGrant
{
    std::string user;
    std::string passwordHash; // bcrypt, as the bus checks it
    std::string grantedAt;
    std::string revokedAt; // empty while the grant holds
};

class BusGrants
{
public:
    explicit BusGrants(SqliteDatabase& db) : m_db(db) {}

    // Gives (or gives again, replacing the password: a rotation) the user access.
    void Grant(const std::string& user, const std::string& passwordHash, const std::string& at);
    // False when the user had no grant that held.
    bool Revoke(const std::string& user, const std::string& at);
    bool Current(const std::string& user);
    std::optional<BusGrant> Find(const std::string& user);
    // Every grant, revoked ones too, by user.
    std::vector<BusGrant> All();

private:
    SqliteDatabase& m_db;
};

} // namespace oms
