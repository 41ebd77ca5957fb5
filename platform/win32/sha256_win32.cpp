#include "platform/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include "platform/win32/sha256_cpu.h"

namespace platform {

// The processor's SHA instructions where it has them, BCrypt otherwise.
struct Sha256::State {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    bool ok = false;
    bool onCpu = false;
    CpuSha256 cpu;
};

Sha256::Sha256() : state_(new State) {
    if (CpuHasSha()) {
        state_->onCpu = true;
        state_->ok = true;
        return;
    }
    state_->ok = BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&state_->algorithm,
                                                            BCRYPT_SHA256_ALGORITHM, nullptr, 0)) &&
                 BCRYPT_SUCCESS(
                     BCryptCreateHash(state_->algorithm, &state_->hash, nullptr, 0, nullptr, 0, 0));
}

Sha256::~Sha256() {
    if (state_->hash != nullptr) {
        BCryptDestroyHash(state_->hash);
    }
    if (state_->algorithm != nullptr) {
        BCryptCloseAlgorithmProvider(state_->algorithm, 0);
    }
}

bool Sha256::Add(const void* data, size_t size) {
    if (state_->onCpu) {
        state_->cpu.Add(data, size);
        return true;
    }
    constexpr size_t kChunk = 0x40000000;
    const auto* p = static_cast<const unsigned char*>(data);
    while (state_->ok && size > 0) {
        const ULONG n = size > kChunk ? static_cast<ULONG>(kChunk) : static_cast<ULONG>(size);
        state_->ok = BCRYPT_SUCCESS(BCryptHashData(state_->hash, const_cast<PUCHAR>(p), n, 0));
        p += n;
        size -= n;
    }
    return state_->ok;
}

bool Sha256::Finish(unsigned char (&digest)[32]) {
    if (state_->onCpu) {
        state_->cpu.Finish(digest);
        return true;
    }
    state_->ok =
        state_->ok && BCRYPT_SUCCESS(BCryptFinishHash(state_->hash, digest, sizeof(digest), 0));
    return state_->ok;
}

}  // namespace platform
