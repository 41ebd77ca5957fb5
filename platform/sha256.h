// SHA-256 of a block of bytes, from the platform's own implementation (BCrypt on Windows,
// OpenSSL's libcrypto elsewhere).
#pragma once

#include <string>

namespace platform {

// The digest of bytes as 64 lower-case hexadecimal digits; empty when the platform's
// hashing could not be used.
std::string Sha256Hex(const std::string& bytes);

}  // namespace platform
