// The secrets users and the server know the message bus by: random passwords, and the bcrypt
// hashes of them that the bus's authorisation holds (the bus never sees a password at rest).
#pragma once

#include <string>

namespace oms::bus
{

// 32 random bytes (OpenSSL), written as 43 URL-safe base64 characters.
std::string NewSecret();
// The bcrypt hash of the secret ("$2b$..."), as nats-server checks a password against it.
std::string HashSecret(const std::string& secret);
bool SecretMatches(const std::string& secret, const std::string& hash);

} // namespace oms::bus
