// A fast 64-bit hash of bytes (not cryptographic), computed as XXH64 (start value 0): four lanes
// of eight bytes at a time. It tells whether a file still holds the bytes it was read with;
// it is computed while those bytes are in memory anyway, at several GB/s.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// The hash of size bytes at data.
uint64_t Hash64(const void* data, size_t size);

// The same hash over bytes given in pieces of any size: Digest after the pieces equals
// Hash64 of them joined.
class Hasher64 {
public:
    Hasher64();
    void Update(const void* data, size_t size);
    uint64_t Digest() const;

private:
    uint64_t lanes_[4];
    unsigned char pending_[32];  // bytes of an unfinished stripe
    size_t pendingSize_ = 0;
    uint64_t total_ = 0;
};

}  // namespace platform
