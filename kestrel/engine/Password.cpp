#include "kestrel/engine/Password.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <stdexcept>
#include <vector>

namespace kestrel {

namespace {

constexpr int kIterations = 10000;
constexpr size_t kSaltBytes = 16;
constexpr size_t kKeyBytes = 32;

std::string Hex(const unsigned char* p, size_t n) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < n; ++i) {
    s += digits[p[i] >> 4];
    s += digits[p[i] & 15];
  }
  return s;
}

bool Unhex(const std::string& s, std::vector<unsigned char>& out) {
  if (s.size() % 2 != 0) return false;
  auto digit = [](char c) {
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
  };
  out.clear();
  for (size_t i = 0; i < s.size(); i += 2) {
    const int hi = digit(s[i]), lo = digit(s[i + 1]);
    if (hi < 0 || lo < 0) return false;
    out.push_back(static_cast<unsigned char>(hi * 16 + lo));
  }
  return true;
}

void Derive(const std::string& password, const std::vector<unsigned char>& salt, int iterations,
            unsigned char key[kKeyBytes]) {
  if (PKCS5_PBKDF2_HMAC(password.data(), static_cast<int>(password.size()), salt.data(),
                        static_cast<int>(salt.size()), iterations, EVP_sha256(),
                        static_cast<int>(kKeyBytes), key) != 1)
    throw std::runtime_error("password hashing failed");
}

}  // namespace

std::string HashPassword(const std::string& password) {
  std::vector<unsigned char> salt(kSaltBytes);
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1)
    throw std::runtime_error("no random bytes for a salt");
  unsigned char key[kKeyBytes];
  Derive(password, salt, kIterations, key);
  return "pbkdf2-sha256$" + std::to_string(kIterations) + "$" + Hex(salt.data(), salt.size()) +
         "$" + Hex(key, kKeyBytes);
}

bool HashIterationsAcceptable(const std::string& storedHash) {
  const auto a = storedHash.find('$'), b = storedHash.find('$', a + 1);
  if (a == std::string::npos || b == std::string::npos || storedHash.substr(0, a) != "pbkdf2-sha256")
    return true;
  const std::string digits = storedHash.substr(a + 1, b - a - 1);
  if (digits.empty() || digits.size() > 9 ||
      digits.find_first_not_of("0123456789") != std::string::npos)
    return false;
  return std::stoi(digits) <= kMaxPasswordIterations;
}

bool VerifyPassword(const std::string& password, const std::string* storedHash) {
  std::vector<unsigned char> salt(kSaltBytes, 0), expected(kKeyBytes, 0);
  int iterations = kIterations;
  bool wellFormed = false;
  if (storedHash != nullptr) {
    const std::string& s = *storedHash;
    const auto a = s.find('$'), b = s.find('$', a + 1), c = s.find('$', b + 1);
    if (a != std::string::npos && b != std::string::npos && c != std::string::npos &&
        s.substr(0, a) == "pbkdf2-sha256") {
      try {
        iterations = std::stoi(s.substr(a + 1, b - a - 1));
      } catch (const std::exception&) {
        iterations = 0;
      }
      wellFormed = iterations > 0 && iterations <= kMaxPasswordIterations &&
                   Unhex(s.substr(b + 1, c - b - 1), salt) && Unhex(s.substr(c + 1), expected) &&
                   expected.size() == kKeyBytes;
    }
    if (!wellFormed) iterations = kIterations;
  }
  if (salt.empty()) salt.assign(kSaltBytes, 0);
  unsigned char key[kKeyBytes];
  Derive(password, salt, iterations, key);
  if (expected.size() != kKeyBytes) expected.assign(kKeyBytes, 0);
  const bool same = CRYPTO_memcmp(key, expected.data(), kKeyBytes) == 0;
  return wellFormed && same;
}

}  // namespace kestrel
