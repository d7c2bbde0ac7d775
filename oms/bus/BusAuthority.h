// The deployment's own certificate authority and the message bus's TLS certificate, made with
// OpenSSL's libcrypto in the bus folder:
//
//   ca.pem               the authority's certificate: every program that connects trusts it
//   ca.key               its private key (owner only): it signs the bus's certificate
//   nats-server.pem      the bus's certificate, for the host names and addresses it is reached by
//   nats-server.key      its private key (owner only)
//
// An authority that exists is kept; the bus's certificate is made again whenever the names it
// must carry change (or it comes near its end), so a deployment can add a name without
// touching the terminals.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace oms::bus
{

class BusAuthority
{
public:
    static constexpr const char* kCaFile = "ca.pem";
    static constexpr const char* kCaKeyFile = "ca.key";
    static constexpr const char* kServerCertFile = "nats-server.pem";
    static constexpr const char* kServerKeyFile = "nats-server.key";

    explicit BusAuthority(std::filesystem::path folder) : m_folder(std::move(folder)) {}

    // Makes what is missing: the authority, and a certificate of the bus for 'hosts' (names
    // and IP addresses; localhost and 127.0.0.1 are always among them). Throws
    // std::runtime_error, saying what failed, when a file cannot be made or read.
    void Ensure(const std::vector<std::string>& hosts);

    std::filesystem::path CaFile() const { return m_folder / kCaFile; }
    std::filesystem::path ServerCertFile() const { return m_folder / kServerCertFile; }
    std::filesystem::path ServerKeyFile() const { return m_folder / kServerKeyFile; }

    // The names the bus's certificate was made for; empty when there is none.
    std::vector<std::string> ServerNames() const;

private:
    std::filesystem::path m_folder;
};

} // namespace oms::bus
