// SHA-256 (OpenSSL's libcrypto) as the server writes it: 64 lower-case hexadecimal digits.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace oms
{

std::string Sha256Hex(std::span<const std::uint8_t> bytes);
std::string Sha256Hex(std::string_view text);

} // namespace oms
