// Where a terminal or a server finds the message bus, and the names it uses there.
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace connect
{

struct BusOptions
{
    // nats://host:port or tls://host:port (several, separated by commas, for a cluster).
    std::string url;
    // Who connects: the user whose requests these are (each user has a request subject and an
    // inbox of his own), and the password the bus knows him by. Without a password the
    // connection is anonymous, which only an unsecured bus takes.
    std::string user;
    std::string password;
    // The certificate authority that signed the bus's certificate: the connection is made with
    // TLS and only to a bus that proves itself with a certificate of this authority.
    std::string caFile;
    // The first token of every subject and the stream's name, so that several deployments (or
    // tests) can share one bus without seeing each other.
    std::string prefix = "kivo";
    // How long a request may wait for its closing reply before the library closes it.
    std::chrono::milliseconds requestTimeLimit{10000};
    // How long a publication waits for the bus to confirm that it stored the message.
    std::chrono::milliseconds publishTimeLimit{2000};
    // How long to wait between two tries to reach the bus again.
    std::chrono::milliseconds reconnectWait{250};
    // The name the connection shows in the bus's monitoring.
    std::string clientName;
    // Tries the addresses in the order given (the server: a deployment chooses its node) rather
    // than in a random one (terminals and makers: spread over a cluster's nodes).
    bool inOrder = false;
    // On how many nodes the server keeps the stream of published messages; 0: three when three
    // or more bus addresses are given (a cluster), else one.
    int streamReplicas = 0;

    // Empty when the URL is one the bus takes; otherwise why not, in words for the user.
    static std::optional<std::string> CheckUrl(const std::string& url);
    // Takes the user and password from a credentials file (the lines "user = ID" and
    // "password = SECRET", '#' comments), as `kivo-oms bus grant` writes it. Throws
    // std::invalid_argument, naming the file and what is wrong, when it cannot be used.
    void LoadCredentials(const std::string& path);
    // True when the connection is made with TLS (a CA file, or tls:// addresses).
    bool Secure() const;
    // The replicas the stream is made with.
    int Replicas() const;
};

// Makes the bus's certificate authority the only one the TLS library trusts by default in this
// program. The messaging library loads the default trust for every secured connection before it
// adds the authority it is given; by default that is the system's whole bundle, any of whose
// authorities would then vouch for a bus as well as the deployment's own, and whose reading is
// half of a maker's work in a short run. OpenSSL takes its default file and folder from the
// environment (SSL_CERT_FILE, SSL_CERT_DIR): they name the authority's file and its folder.
// Nothing is changed for an empty name. It sets the environment, so it is called before the
// program starts a thread.
void TrustOnlyTheBusAuthority(const std::string& caFile);

} // namespace connect
