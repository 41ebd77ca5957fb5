// The digest on the processor's SHA instructions against BCrypt's, byte for byte.
#include <gtest/gtest.h>

#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/win32/sha256_cpu.h"

namespace {

std::string Hex(const unsigned char* digest) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (int i = 0; i < 32; ++i) {
        hex += digits[digest[i] >> 4];
        hex += digits[digest[i] & 15];
    }
    return hex;
}

std::string BCryptHex(const std::string& bytes) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32] = {};
    BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0);
    BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())),
                   static_cast<ULONG>(bytes.size()), 0);
    BCryptFinishHash(hash, digest, sizeof(digest), 0);
    BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    return Hex(digest);
}

TEST(CpuSha256, SameDigestAsBCryptForEveryLengthAndPieceBorder) {
    if (!platform::CpuHasSha()) {
        GTEST_SKIP() << "this processor has no SHA instructions";
    }
    std::mt19937 random(7);
    std::string bytes(3000, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    // Lengths around the block and padding borders, fed whole and in uneven pieces.
    std::vector<size_t> lengths;
    for (size_t n = 0; n <= 200; ++n) {
        lengths.push_back(n);
    }
    for (size_t n : {255, 256, 257, 1000, 1023, 1024, 1025, 2999, 3000}) {
        lengths.push_back(n);
    }
    for (const size_t n : lengths) {
        const std::string input = bytes.substr(0, n);
        const std::string expected = BCryptHex(input);
        for (const size_t piece :
             {n == 0 ? size_t{1} : n, size_t{1}, size_t{7}, size_t{63}, size_t{64}, size_t{65}}) {
            platform::CpuSha256 digest;
            for (size_t at = 0; at < n; at += piece) {
                digest.Add(input.data() + at, std::min(piece, n - at));
            }
            unsigned char out[32] = {};
            digest.Finish(out);
            ASSERT_EQ(expected, Hex(out)) << "length " << n << ", pieces of " << piece;
        }
    }
}

}  // namespace
