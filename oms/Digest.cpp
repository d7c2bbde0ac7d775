#include "oms/Digest.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace oms
{

std::string Sha256Hex(std::span<const std::uint8_t> bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 is not available from the crypto library");
    static const char* const kHex = "0123456789abcdef";
    std::string text;
    text.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i)
    {
        text += kHex[digest[i] >> 4];
        text += kHex[digest[i] & 0x0f];
    }
    return text;
}

std::string Sha256Hex(std::string_view text)
{
    return Sha256Hex(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

} // namespace oms
