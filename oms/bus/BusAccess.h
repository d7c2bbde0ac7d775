// Who may use the message bus and what each may do there, written as the bus's own
// configuration in the bus folder:
//
//   nats-server.conf          where the bus listens, its storage, its TLS certificate, its pid
//                             file; includes the authorisation
//   kivo-auth.conf            one user per bus grant, with the hash of his password and his
//                             permissions; written again on every grant and revocation
//   credentials/ID.creds      a user's credentials (owner only), to hand to him
//   credentials/kivo-oms.creds  the server's own
//
// A user may send requests only on his own subject, read only his own inbox, and read the
// published messages only through consumers whose filter is his level's (the bus refuses to
// make any other); only the server publishes published messages and manages their stream.
// Revoking a grant rewrites the authorisation and tells a running bus to read it again, which
// closes the user's connections.
#pragma once

#include "oms/Store.h"

#include <filesystem>
#include <string>
#include <vector>

namespace oms::bus
{

class BusAccess
{
public:
    struct Settings
    {
        // Where the bus listens (host:port), and the names it is reached by (for its certificate).
        std::string listen = "127.0.0.1:4222";
        std::vector<std::string> hosts;
        // Where the bus keeps its stream; empty: "store" in the bus folder.
        std::filesystem::path storage;
    };

    BusAccess(Store& store, std::filesystem::path folder, std::string prefix = "kivo");

    // Makes the authority and the bus's certificate when missing, gives the server its own
    // credentials, and writes the bus's configuration and authorisation.
    void Init(const Settings& settings);
    // Gives the user (a user of the server's table, active) credentials with a new password,
    // replacing any he had, and writes the authorisation again. The credentials file's path.
    // Throws std::invalid_argument for a user who cannot have them.
    std::filesystem::path Grant(const std::string& user);
    // False when the user held no grant.
    bool Revoke(const std::string& user);
    // Writes the authorisation from the grants and what the table says of each user now.
    void WriteAuthorisation();
    // Tells the bus running from this folder (its pid file) to read its configuration again;
    // what was done, in words.
    std::string Reload() const;

    std::filesystem::path ConfigFile() const { return m_folder / "nats-server.conf"; }
    std::filesystem::path AuthorisationFile() const { return m_folder / "kivo-auth.conf"; }
    std::filesystem::path PidFile() const { return m_folder / "nats-server.pid"; }
    std::filesystem::path CaFile() const;
    std::filesystem::path CredentialsFile(const std::string& user) const;
    std::filesystem::path ServerCredentialsFile() const;

    // The subjects a user may publish on and subscribe to, as the authorisation writes them.
    struct Permissions
    {
        std::vector<std::string> publish;
        std::vector<std::string> subscribe;
    };
    Permissions PermissionsOf(const std::string& user);

private:
    std::filesystem::path WriteCredentials(const std::string& user, const std::string& file);

    Store& m_store;
    std::filesystem::path m_folder;
    std::string m_prefix;
};

} // namespace oms::bus
