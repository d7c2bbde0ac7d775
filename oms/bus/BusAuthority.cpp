#include "oms/bus/BusAuthority.h"

#include <openssl/bn.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <sys/stat.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace oms::bus
{

namespace
{

namespace fs = std::filesystem;

constexpr long kDay = 24L * 3600;
constexpr long kAuthorityDays = 10 * 365;
constexpr long kServerDays = 2 * 365;
// A bus certificate this close to its end is made again at the next Ensure.
constexpr long kRenewDays = 60;

struct KeyFree
{
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertFree
{
    void operator()(X509* cert) const { X509_free(cert); }
};
struct FileClose
{
    void operator()(FILE* file) const { std::fclose(file); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;
using File = std::unique_ptr<FILE, FileClose>;

[[noreturn]] void Fail(const std::string& what)
{
    const unsigned long code = ERR_get_error();
    char detail[256] = "";
    if (code)
        ERR_error_string_n(code, detail, sizeof detail);
    ERR_clear_error();
    throw std::runtime_error(what + (code ? std::string(": ") + detail : std::string()));
}

File OpenFile(const fs::path& path, const char* mode, bool secret)
{
    // A private key is never readable by others, not even for a moment.
    const mode_t before = secret ? umask(077) : umask(022);
    File file(std::fopen(path.c_str(), mode));
    umask(before);
    if (!file)
        Fail("cannot open " + path.string());
    return file;
}

Key NewKey()
{
    Key key(EVP_EC_gen("P-256"));
    if (!key)
        Fail("cannot make a key");
    return key;
}

Key ReadKey(const fs::path& path)
{
    File file = OpenFile(path, "r", false);
    Key key(PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr));
    if (!key)
        Fail("cannot read the key " + path.string());
    return key;
}

Cert ReadCert(const fs::path& path)
{
    File file = OpenFile(path, "r", false);
    Cert cert(PEM_read_X509(file.get(), nullptr, nullptr, nullptr));
    if (!cert)
        Fail("cannot read the certificate " + path.string());
    return cert;
}

// Written under another name and renamed, so that a half-written file never has the name.
void WriteKey(const fs::path& path, EVP_PKEY* key)
{
    const fs::path partial = path.string() + ".partial";
    {
        File file = OpenFile(partial, "w", true);
        if (PEM_write_PrivateKey(file.get(), key, nullptr, nullptr, 0, nullptr, nullptr) != 1)
            Fail("cannot write the key " + path.string());
    }
    fs::rename(partial, path);
}

void WriteCert(const fs::path& path, X509* cert)
{
    const fs::path partial = path.string() + ".partial";
    {
        File file = OpenFile(partial, "w", false);
        if (PEM_write_X509(file.get(), cert) != 1)
            Fail("cannot write the certificate " + path.string());
    }
    fs::rename(partial, path);
}

void AddExtension(X509* cert, X509* issuer, int nid, const std::string& value)
{
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (!extension)
        Fail("cannot make the certificate extension " + value);
    const int added = X509_add_ext(cert, extension, -1);
    X509_EXTENSION_free(extension);
    if (added != 1)
        Fail("cannot add the certificate extension " + value);
}

// A certificate for 'key' with the common name, valid for 'days', issued by 'issuer' (itself
// when null); the caller signs it.
Cert NewCert(EVP_PKEY* key, const std::string& commonName, long days, X509* issuer)
{
    Cert cert(X509_new());
    if (!cert || X509_set_version(cert.get(), 2) != 1)
        Fail("cannot make a certificate");
    // A random serial: two certificates of one authority never share one.
    unsigned char serial[16];
    if (RAND_bytes(serial, sizeof serial) != 1)
        Fail("no random numbers for a certificate's serial");
    serial[0] &= 0x7f;
    BIGNUM* number = BN_bin2bn(serial, sizeof serial, nullptr);
    if (!number || !BN_to_ASN1_INTEGER(number, X509_get_serialNumber(cert.get())))
        Fail("cannot set a certificate's serial");
    BN_free(number);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -300);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), days * kDay);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Kivo"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    if (X509_set_pubkey(cert.get(), key) != 1)
        Fail("cannot put the key in the certificate");
    X509* authority = issuer ? issuer : cert.get();
    if (!issuer)
    {
        AddExtension(cert.get(), authority, NID_basic_constraints, "critical,CA:TRUE,pathlen:0");
        AddExtension(cert.get(), authority, NID_key_usage, "critical,keyCertSign,cRLSign");
        AddExtension(cert.get(), authority, NID_subject_key_identifier, "hash");
    }
    else
    {
        AddExtension(cert.get(), authority, NID_basic_constraints, "critical,CA:FALSE");
        AddExtension(cert.get(), authority, NID_key_usage, "critical,digitalSignature,keyEncipherment");
        AddExtension(cert.get(), authority, NID_ext_key_usage, "serverAuth");
        AddExtension(cert.get(), authority, NID_subject_key_identifier, "hash");
        AddExtension(cert.get(), authority, NID_authority_key_identifier, "keyid");
    }
    return cert;
}

bool IsAddress(const std::string& host)
{
    unsigned char buffer[16];
    return inet_pton(AF_INET, host.c_str(), buffer) == 1 || inet_pton(AF_INET6, host.c_str(), buffer) == 1;
}

std::vector<std::string> Normalised(std::vector<std::string> hosts)
{
    hosts.push_back("localhost");
    hosts.push_back("127.0.0.1");
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());
    hosts.erase(std::remove(hosts.begin(), hosts.end(), std::string()), hosts.end());
    return hosts;
}

} // namespace

std::vector<std::string> BusAuthority::ServerNames() const
{
    std::error_code missing;
    if (!fs::exists(ServerCertFile(), missing))
        return {};
    const Cert cert = ReadCert(ServerCertFile());
    std::vector<std::string> names;
    auto* alternatives = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(cert.get(), NID_subject_alt_name, nullptr, nullptr));
    for (int i = 0; alternatives && i < sk_GENERAL_NAME_num(alternatives); ++i)
    {
        const GENERAL_NAME* entry = sk_GENERAL_NAME_value(alternatives, i);
        if (entry->type == GEN_DNS)
        {
            const ASN1_IA5STRING* dns = entry->d.dNSName;
            names.emplace_back(reinterpret_cast<const char*>(ASN1_STRING_get0_data(dns)),
                               static_cast<std::size_t>(ASN1_STRING_length(dns)));
        }
        else if (entry->type == GEN_IPADD)
        {
            const ASN1_OCTET_STRING* ip = entry->d.iPAddress;
            char text[64] = "";
            const int family = ASN1_STRING_length(ip) == 4 ? AF_INET : AF_INET6;
            inet_ntop(family, ASN1_STRING_get0_data(ip), text, sizeof text);
            names.emplace_back(text);
        }
    }
    GENERAL_NAMES_free(alternatives);
    std::sort(names.begin(), names.end());
    return names;
}

void BusAuthority::Ensure(const std::vector<std::string>& hosts)
{
    std::error_code error;
    fs::create_directories(m_folder, error);
    if (error)
        throw std::runtime_error("cannot make the bus folder " + m_folder.string() + ": " + error.message());

    Key authorityKey;
    Cert authority;
    if (fs::exists(CaFile()) && fs::exists(m_folder / kCaKeyFile))
    {
        authorityKey = ReadKey(m_folder / kCaKeyFile);
        authority = ReadCert(CaFile());
    }
    else
    {
        authorityKey = NewKey();
        authority = NewCert(authorityKey.get(), "Kivo message bus authority", kAuthorityDays, nullptr);
        if (X509_sign(authority.get(), authorityKey.get(), EVP_sha256()) == 0)
            Fail("cannot sign the authority's certificate");
        WriteKey(m_folder / kCaKeyFile, authorityKey.get());
        WriteCert(CaFile(), authority.get());
        fs::remove(ServerCertFile(), error); // one of the old authority's would not be trusted
    }

    const std::vector<std::string> names = Normalised(hosts);
    if (fs::exists(ServerCertFile()) && fs::exists(ServerKeyFile()) && ServerNames() == names)
    {
        const Cert current = ReadCert(ServerCertFile());
        ASN1_TIME* renewal = X509_gmtime_adj(nullptr, kRenewDays * kDay);
        const bool lasting = renewal && ASN1_TIME_compare(X509_get0_notAfter(current.get()), renewal) > 0;
        ASN1_TIME_free(renewal);
        EVP_PKEY* issuerKey = X509_get0_pubkey(authority.get());
        if (lasting && X509_verify(current.get(), issuerKey) == 1)
            return;
    }
    const Key serverKey = NewKey();
    Cert server = NewCert(serverKey.get(), "Kivo message bus", kServerDays, authority.get());
    std::string alternatives;
    for (const std::string& host : names)
        alternatives += (alternatives.empty() ? "" : ",") + std::string(IsAddress(host) ? "IP:" : "DNS:") + host;
    AddExtension(server.get(), authority.get(), NID_subject_alt_name, alternatives);
    if (X509_sign(server.get(), authorityKey.get(), EVP_sha256()) == 0)
        Fail("cannot sign the bus's certificate");
    WriteKey(ServerKeyFile(), serverKey.get());
    WriteCert(ServerCertFile(), server.get());
}

} // namespace oms::bus
