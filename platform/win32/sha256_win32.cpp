#include "platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

namespace platform {

namespace {

constexpr ULONG kChunk = 0x40000000;

std::string Hex(const unsigned char* digest, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

}  // namespace

std::string Sha256Hex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(
            BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) {
        return std::string();
    }
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32] = {};
    bool ok = BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0));
    for (size_t at = 0; ok && at < bytes.size(); at += kChunk) {
        const size_t left = bytes.size() - at;
        const ULONG size = left > kChunk ? kChunk : static_cast<ULONG>(left);
        ok = BCRYPT_SUCCESS(BCryptHashData(
            hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data() + at)), size, 0));
    }
    ok = ok && BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, sizeof(digest), 0));
    if (hash != nullptr) {
        BCryptDestroyHash(hash);
    }
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return ok ? Hex(digest, sizeof(digest)) : std::string();
}

}  // namespace platform
