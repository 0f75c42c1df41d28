// Salted password hashes (PBKDF2-HMAC-SHA256) as stored in SYSUser.password:
// "pbkdf2-sha256$<iterations>$<salt hex>$<hash hex>".
#pragma once

#include <string>

namespace kestrel {

// The most iterations a stored hash may ask for: more would let a crafted dump make every
// logon take minutes.
constexpr int kMaxPasswordIterations = 1000000;

std::string HashPassword(const std::string& password);
// False when the stored hash is of our form but asks for more than kMaxPasswordIterations
// (or an unreadable number of) iterations; other texts are acceptable (they never match).
bool HashIterationsAcceptable(const std::string& storedHash);
// Constant-time comparison of the derived key; a malformed stored hash never matches. A null
// stored hash is checked against a fixed dummy so that unknown users cost the same time.
bool VerifyPassword(const std::string& password, const std::string* storedHash);

}  // namespace kestrel
