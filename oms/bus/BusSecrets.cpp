#include "oms/bus/BusSecrets.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <crypt.h>

#include <cstring>
#include <stdexcept>

namespace oms::bus
{

namespace
{

// The secrets are random, 256 bits each: there is no dictionary to slow down, so a low cost
// keeps the bus's check of every connection cheap without weakening anything.
constexpr unsigned long kBcryptCost = 6;

} // namespace

std::string NewSecret()
{
    unsigned char bytes[32];
    if (RAND_bytes(bytes, sizeof bytes) != 1)
        throw std::runtime_error("no random numbers for a secret");
    unsigned char text[48] = {};
    const int length = EVP_EncodeBlock(text, bytes, sizeof bytes);
    std::string secret(reinterpret_cast<const char*>(text), static_cast<std::size_t>(length));
    while (!secret.empty() && secret.back() == '=')
        secret.pop_back();
    for (char& c : secret)
        c = c == '+' ? '-' : c == '/' ? '_' : c;
    return secret;
}

std::string HashSecret(const std::string& secret)
{
    char setting[CRYPT_GENSALT_OUTPUT_SIZE];
    if (!crypt_gensalt_rn("$2b$", kBcryptCost, nullptr, 0, setting, sizeof setting))
        throw std::runtime_error(std::string("bcrypt cannot make a salt: ") + std::strerror(errno));
    crypt_data data{};
    const char* hashed = crypt_rn(secret.c_str(), setting, &data, sizeof data);
    if (!hashed || hashed[0] == '*')
        throw std::runtime_error("bcrypt cannot hash the secret");
    return hashed;
}

bool SecretMatches(const std::string& secret, const std::string& hash)
{
    crypt_data data{};
    const char* hashed = crypt_rn(secret.c_str(), hash.c_str(), &data, sizeof data);
    return hashed && hashed[0] != '*' && hash == hashed;
}

} // namespace oms::bus
