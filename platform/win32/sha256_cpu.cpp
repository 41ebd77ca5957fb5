#include "platform/win32/sha256_cpu.h"

#include <immintrin.h>
#include <intrin.h>

#include <cstring>

// Compiled with -msha -msse4.1 (GCC, MinGW); the instructions run only after CpuHasSha().

namespace platform {

namespace {

alignas(16) constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// The compression of whole 64-byte blocks. The state is kept as the instructions want it,
// ABEF and CDGH; the message schedule in four registers, w[g % 4] holding words 4g..4g+3.
void Blocks(uint32_t state[8], const unsigned char* data, size_t blocks) {
    const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
    __m128i tmp = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
    __m128i state1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
    tmp = _mm_shuffle_epi32(tmp, 0xB1);                // CDAB
    state1 = _mm_shuffle_epi32(state1, 0x1B);          // EFGH
    __m128i state0 = _mm_alignr_epi8(tmp, state1, 8);  // ABEF
    state1 = _mm_blend_epi16(state1, tmp, 0xF0);       // CDGH
    for (; blocks > 0; --blocks, data += 64) {
        const __m128i abefBefore = state0;
        const __m128i cdghBefore = state1;
        __m128i w[4];
        for (int g = 0; g < 16; ++g) {
            if (g < 4) {
                w[g] = _mm_shuffle_epi8(
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * g)), byteSwap);
            }
            __m128i msg = _mm_add_epi32(
                w[g % 4], _mm_load_si128(reinterpret_cast<const __m128i*>(&kRound[4 * g])));
            state1 = _mm_sha256rnds2_epu32(state1, state0, msg);
            if (g >= 3 && g < 15) {
                // Words 4(g+1).. from the four groups before them.
                __m128i& next = w[(g + 1) % 4];
                next = _mm_add_epi32(next, _mm_alignr_epi8(w[g % 4], w[(g + 3) % 4], 4));
                next = _mm_sha256msg2_epu32(next, w[g % 4]);
            }
            msg = _mm_shuffle_epi32(msg, 0x0E);
            state0 = _mm_sha256rnds2_epu32(state0, state1, msg);
            if (g >= 1 && g < 13) {
                __m128i& later = w[(g + 3) % 4];  // becomes words 4(g+3)..
                later = _mm_sha256msg1_epu32(later, w[g % 4]);
            }
        }
        state0 = _mm_add_epi32(state0, abefBefore);
        state1 = _mm_add_epi32(state1, cdghBefore);
    }
    tmp = _mm_shuffle_epi32(state0, 0x1B);        // FEBA
    state1 = _mm_shuffle_epi32(state1, 0xB1);     // DCHG
    state0 = _mm_blend_epi16(tmp, state1, 0xF0);  // DCBA
    state1 = _mm_alignr_epi8(state1, tmp, 8);     // HGFE
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), state0);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), state1);
}

}  // namespace

bool CpuHasSha() {
    static const bool has = [] {
        int regs[4] = {};
        __cpuid(regs, 0);
        if (regs[0] < 7) {
            return false;
        }
        __cpuid(regs, 1);
        const bool sse41 = (regs[2] & (1 << 19)) != 0;
        __cpuidex(regs, 7, 0);
        return sse41 && (regs[1] & (1 << 29)) != 0;
    }();
    return has;
}

CpuSha256::CpuSha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

void CpuSha256::Add(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const size_t take = size < 64 - pendingSize_ ? size : 64 - pendingSize_;
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < 64) {
            return;
        }
        Blocks(state_, pending_, 1);
        pendingSize_ = 0;
    }
    Blocks(state_, p, size / 64);
    p += size / 64 * 64;
    pendingSize_ = size % 64;
    std::memcpy(pending_, p, pendingSize_);
}

void CpuSha256::Finish(unsigned char (&digest)[32]) {
    const uint64_t bits = total_ * 8;
    unsigned char tail[128] = {};
    std::memcpy(tail, pending_, pendingSize_);
    tail[pendingSize_] = 0x80;
    const size_t length = pendingSize_ + 9 <= 64 ? 64 : 128;
    for (int i = 0; i < 8; ++i) {
        tail[length - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    Blocks(state_, tail, length / 64);
    for (int i = 0; i < 8; ++i) {
        for (int b = 0; b < 4; ++b) {
            digest[4 * i + b] = static_cast<unsigned char>(state_[i] >> (24 - 8 * b));
        }
    }
}

}  // namespace platform
