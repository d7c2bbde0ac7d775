#include "oms/bus/BusAccess.h"

#include "connect/BusSubjects.h"
#include "oms/Authorisation.h"
#include "oms/BusGrants.h"
#include "oms/Publication.h"
#include "oms/SqliteTransaction.h"
#include "oms/bus/BusAuthority.h"
#include "oms/bus/BusSecrets.h"
#include "protocol/Visibility.h"

#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace oms::bus
{

namespace
{

namespace fs = std::filesystem;

// Written whole under another name and renamed: the bus never reads half a file.
void WriteFile(const fs::path& path, const std::string& text, bool secret)
{
    const fs::path partial = path.string() + ".partial";
    const mode_t before = umask(secret ? 077 : 022);
    {
        std::ofstream out(partial, std::ios::trunc);
        out << text;
        out.close();
        if (!out)
        {
            umask(before);
            throw std::runtime_error("cannot write " + path.string());
        }
    }
    umask(before);
    fs::rename(partial, path);
}

std::string Quoted(const std::string& text)
{
    std::string quoted = "\"";
    for (const char c : text)
    {
        if (c == '"' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

std::string List(const std::vector<std::string>& subjects)
{
    std::string text = "[";
    for (const std::string& subject : subjects)
        text += (text.size() > 1 ? ", " : "") + Quoted(subject);
    return text + "]";
}

} // namespace

BusAccess::BusAccess(Store& store, fs::path folder, std::string prefix)
    : m_store(store), m_folder(std::move(folder)), m_prefix(std::move(prefix))
{
}

fs::path BusAccess::CaFile() const
{
    return BusAuthority(m_folder).CaFile();
}

fs::path BusAccess::CredentialsFile(const std::string& user) const
{
    return m_folder / "credentials" / (user + ".creds");
}

fs::path BusAccess::ServerCredentialsFile() const
{
    return m_folder / "credentials" / "kivo-oms.creds";
}

namespace
{

// host:port, split; throws for a port that is no number.
std::pair<std::string, int> HostAndPort(const std::string& address)
{
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        throw std::invalid_argument("\"" + address + "\" is no host:port");
    const int port = std::atoi(address.c_str() + colon + 1);
    if (port < 1 || port > 65535 - 1100)
        throw std::invalid_argument("\"" + address + "\" has no port a cluster can count up from");
    return {address.substr(0, colon), port};
}

} // namespace

std::string BusAccess::ClusterUrl() const
{
    std::ifstream in(m_folder / "cluster-url");
    std::string url;
    std::getline(in, url);
    return url;
}

void BusAccess::Init(const Settings& settings)
{
    BusAuthority authority(m_folder);
    authority.Ensure(settings.hosts);
    const fs::path storage = settings.storage.empty() ? m_folder / "store" : settings.storage;
    if (settings.nodes > 0)
    {
        // The nodes prove themselves to each other with the bus's certificate and a secret of the
        // cluster's; each keeps its own copy of the stream.
        const auto [host, port] = HostAndPort(settings.listen);
        const std::string secret = NewSecret();
        std::string routes;
        std::string url;
        for (int n = 1; n <= settings.nodes; ++n)
        {
            routes +=
                std::string(routes.empty() ? "" : ", ") + Quoted("nats-route://route:" + secret + "@" + host +
                                                                 ":" + std::to_string(port + 1000 + n - 1));
            url +=
                (url.empty() ? "" : ",") + std::string("tls://") + host + ":" + std::to_string(port + n - 1);
        }
        for (int n = 1; n <= settings.nodes; ++n)
        {
            std::ostringstream node;
            node << "# Node " << n << " of the message bus's cluster, written by kivo-oms bus init --nodes.\n"
                 << "server_name: " << Quoted("kivo-" + std::to_string(n)) << "\n"
                 << "listen: " << Quoted(host + ":" + std::to_string(port + n - 1)) << "\n"
                 << "jetstream {\n    store_dir: "
                 << Quoted(fs::absolute(storage / ("node" + std::to_string(n))).string()) << "\n}\n"
                 << "tls {\n    cert_file: " << Quoted(fs::absolute(authority.ServerCertFile()).string())
                 << "\n    key_file: " << Quoted(fs::absolute(authority.ServerKeyFile()).string())
                 << "\n    timeout: 5\n}\n"
                 << "cluster {\n    name: kivo\n    listen: "
                 << Quoted(host + ":" + std::to_string(port + 1000 + n - 1))
                 << "\n    authorization { user: route, password: " << Quoted(secret) << " }\n"
                 << "    routes: [" << routes << "]\n"
                 << "    tls {\n        cert_file: "
                 << Quoted(fs::absolute(authority.ServerCertFile()).string())
                 << "\n        key_file: " << Quoted(fs::absolute(authority.ServerKeyFile()).string())
                 << "\n        ca_file: " << Quoted(fs::absolute(authority.CaFile()).string())
                 << "\n        timeout: 5\n    }\n}\n"
                 << "pid_file: "
                 << Quoted(fs::absolute(m_folder / ("node" + std::to_string(n) + ".pid")).string()) << "\n"
                 << "include \"kivo-auth.conf\"\n";
            WriteFile(NodeConfigFile(n), node.str(), true);
        }
        WriteFile(m_folder / "cluster-url", url + "\n", false);
    }
    std::ostringstream config;
    config << "# The message bus of the Maker Checker console, written by kivo-oms bus init.\n"
           << "# Users and their permissions are in kivo-auth.conf, which kivo-oms bus grant, revoke\n"
           << "# and config write again; after a change here, nats-server --signal reload.\n"
           << "listen: " << Quoted(settings.listen) << "\n"
           << "jetstream {\n    store_dir: " << Quoted(fs::absolute(storage).string()) << "\n}\n"
           << "tls {\n"
           << "    cert_file: " << Quoted(fs::absolute(authority.ServerCertFile()).string()) << "\n"
           << "    key_file: " << Quoted(fs::absolute(authority.ServerKeyFile()).string()) << "\n"
           << "    timeout: 5\n}\n"
           << "pid_file: " << Quoted(fs::absolute(PidFile()).string()) << "\n"
           << "include \"kivo-auth.conf\"\n";
    WriteFile(ConfigFile(), config.str(), false);

    const std::string secret = NewSecret();
    {
        SqliteTransaction transaction(m_store.Db());
        BusGrants(m_store.Db()).Grant(connect::BusSubjects::kServerUser, HashSecret(secret), Store::Now());
        transaction.Commit();
    }
    WriteCredentials(connect::BusSubjects::kServerUser, secret);
    WriteAuthorisation();
}

fs::path BusAccess::Grant(const std::string& user)
{
    const std::optional<Caller> known = Authorisation(m_store, false).FromTable(user);
    if (!known)
        throw std::invalid_argument(user + " is not a user of this server");
    if (known->privilege < 0)
        throw std::invalid_argument(user + " is not an active user of this server");
    const std::string secret = NewSecret();
    {
        SqliteTransaction transaction(m_store.Db());
        BusGrants(m_store.Db()).Grant(user, HashSecret(secret), Store::Now());
        transaction.Commit();
    }
    const fs::path file = WriteCredentials(user, secret);
    WriteAuthorisation();
    return file;
}

bool BusAccess::Revoke(const std::string& user)
{
    bool revoked = false;
    {
        SqliteTransaction transaction(m_store.Db());
        revoked = BusGrants(m_store.Db()).Revoke(user, Store::Now());
        transaction.Commit();
    }
    std::error_code ignored;
    fs::remove(CredentialsFile(user), ignored);
    WriteAuthorisation();
    return revoked;
}

fs::path BusAccess::WriteCredentials(const std::string& user, const std::string& secret)
{
    const fs::path file =
        user == connect::BusSubjects::kServerUser ? ServerCredentialsFile() : CredentialsFile(user);
    fs::create_directories(file.parent_path());
    WriteFile(file,
              "# Message bus credentials of " + user + ", made " + Store::Now() +
                  ". Keep this file private: whoever holds it acts as " + user + " on the bus.\n" +
                  "user = " + user + "\npassword = " + secret + "\n",
              true);
    return file;
}

BusAccess::Permissions BusAccess::PermissionsOf(const std::string& user)
{
    const connect::BusSubjects subjects(m_prefix);
    Permissions permissions;
    if (user == connect::BusSubjects::kServerUser)
    {
        permissions.publish = {">"};
        permissions.subscribe = {">"};
        return permissions;
    }
    const std::optional<Caller> known = Authorisation(m_store, false).FromTable(user);
    if (!known || known->privilege < 0)
        return permissions;
    const std::string stream = subjects.Stream();
    permissions.publish.push_back(subjects.RequestsFrom(user));
    permissions.publish.push_back("$JS.API.STREAM.INFO." + stream);
    // Consumers only with the filter of his level: the bus refuses any other (the filter is part
    // of the subject a consumer is made on, and must be the one in its configuration).
    if (const std::optional<connect::SubscriptionFilter> filter =
            protocol::VisibilityFilter(known->privilege, known->user, known->broker))
        permissions.publish.push_back("$JS.API.CONSUMER.CREATE." + stream + ".*." +
                                      subjects.FilterSubject(*filter));
    // The empty answers a consumer's flow control asks for (its requests, and the stall notices
    // of its heartbeats, carry a subject below this one). Named here rather than granted through
    // allow_responses: that grant makes the bus remember the reply subject of every message it
    // delivers, and the published stream's messages all carry one (their acknowledgement
    // subject) that a terminal never answers, so the bus's table of them grew to thousands and
    // was swept on every delivery. Answering another consumer's flow control only lets the bus
    // send that consumer what it would send anyway.
    permissions.publish.push_back("$JS.FC." + stream + ".>");
    permissions.subscribe.push_back(subjects.InboxOf(user) + ".>");
    return permissions;
}

void BusAccess::WriteAuthorisation()
{
    std::ostringstream out;
    out << "# Who may use the message bus, written by kivo-oms from its bus grants and users table at "
        << Store::Now() << ".\n# Do not edit: kivo-oms bus grant, revoke and config write it again.\n"
        << "authorization {\n    users = [\n";
    for (const BusGrant& grant : BusGrants(m_store.Db()).All())
    {
        if (!grant.revokedAt.empty())
        {
            out << "        # " << grant.user << ": revoked " << grant.revokedAt << "\n";
            continue;
        }
        const Permissions permissions = PermissionsOf(grant.user);
        if (permissions.publish.empty() && permissions.subscribe.empty())
        {
            out << "        # " << grant.user << ": no longer an active user of the server\n";
            continue;
        }
        out << "        {\n            user: " << Quoted(grant.user)
            << "\n            password: " << Quoted(grant.passwordHash) << "\n            permissions: {\n"
            << "                publish: { allow: " << List(permissions.publish) << " }\n"
            << "                subscribe: { allow: " << List(permissions.subscribe) << " }\n";
        out << "            }\n        }\n";
    }
    out << "    ]\n}\n";
    fs::create_directories(m_folder);
    WriteFile(AuthorisationFile(), out.str(), true);
}

std::string BusAccess::Reload() const
{
    // The bus alone, or each node of a cluster.
    std::vector<fs::path> pidFiles = {PidFile()};
    for (int n = 1; n <= 9; ++n)
        pidFiles.push_back(m_folder / ("node" + std::to_string(n) + ".pid"));
    std::string said;
    for (const fs::path& pidFile : pidFiles)
    {
        std::ifstream in(pidFile);
        long pid = 0;
        if (!(in >> pid) || pid <= 1)
            continue;
        // A pid file left by a bus that is gone may name another program by now.
        std::ifstream command("/proc/" + std::to_string(pid) + "/comm");
        std::string name;
        if (!std::getline(command, name) || name.rfind("nats-server", 0) != 0)
            continue;
        if (::kill(static_cast<pid_t>(pid), SIGHUP) != 0)
            said += (said.empty() ? "" : "; ") + std::string("the bus of pid ") + std::to_string(pid) +
                    " could not be told to reload: " + std::strerror(errno);
        else
            said += (said.empty() ? "" : "; ") + std::string("the bus (pid ") + std::to_string(pid) +
                    ") reads its authorisation again";
    }
    return said.empty()
               ? "no bus runs from " + m_folder.string() + "; it reads the authorisation when it starts"
               : said;
}

} // namespace oms::bus
