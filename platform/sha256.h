// SHA-256 from the platform's own implementation (BCrypt on Windows, OpenSSL's libcrypto
// elsewhere).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// A digest computed piece by piece.
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    // Adds the next bytes; false once the platform's hashing failed.
    bool Add(const void* data, size_t size);
    // The digest of everything added, as 64 lower-case hexadecimal digits; empty when the
    // platform's hashing could not be used. Call once.
    std::string FinishHex();

private:
    // The platform's part of FinishHex: the 32 bytes of the digest.
    bool Finish(unsigned char (&digest)[32]);

    struct State;
    std::unique_ptr<State> state_;
};

// The digest of bytes as 64 lower-case hexadecimal digits; empty when the platform's
// hashing could not be used.
std::string Sha256Hex(const std::string& bytes);

// The digest of the file at path, read in pieces (never the whole file in memory at once);
// size receives how many bytes were hashed. Empty when the file could not be read or hashed.
std::string Sha256OfFile(const std::u16string& path, uint64_t& size);

}  // namespace platform
