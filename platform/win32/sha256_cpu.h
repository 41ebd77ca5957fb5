// SHA-256 on the processor's own SHA instructions (SHA-NI, x86-64), where it has them: about
// ten times BCrypt's speed under Wine, which hashes in plain C. Used by platform::Sha256 on
// Windows when CpuHasSha() says so; BCrypt otherwise.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// True when the processor has the SHA extensions and SSE4.1 (CPUID leaf 7 EBX bit 29, leaf 1
// ECX bit 19). Asked once.
bool CpuHasSha();

// The streaming digest. Only to be used when CpuHasSha().
class CpuSha256 {
public:
    CpuSha256();
    void Add(const void* data, size_t size);
    void Finish(unsigned char (&digest)[32]);

private:
    uint32_t state_[8];
    unsigned char pending_[64];
    size_t pendingSize_ = 0;
    uint64_t total_ = 0;
};

}  // namespace platform
