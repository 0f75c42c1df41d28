// Salted password hashes (PBKDF2-HMAC-SHA256) as stored in SYSUser.password:
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>".
#pragma once

#include <string>

namespace kestrel {

std::string HashPassword(const std::string& password);
// Constant-time comparison of the derived key; a malformed stored hash never matches. A null
// stored hash is checked against a fixed dummy so that unknown users cost the same time.
bool VerifyPassword(const std::string& password, const std::string* storedHash);

}  // namespace kestrel
