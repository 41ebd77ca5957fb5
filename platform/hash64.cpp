#include "platform/hash64.h"

#include <cstring>

namespace platform {

namespace {

constexpr uint64_t kPrime1 = 0x9E3779B185EBCA87ULL;
constexpr uint64_t kPrime2 = 0xC2B2AE3D27D4EB4FULL;
constexpr uint64_t kPrime3 = 0x165667B19E3779F9ULL;
constexpr uint64_t kPrime4 = 0x85EBCA77C2B2AE63ULL;
constexpr uint64_t kPrime5 = 0x27D4EB2F165667C5ULL;
constexpr size_t kStripe = 32;

uint64_t Rotl(uint64_t x, int r) {
    return (x << r) | (x >> (64 - r));
}

bool HostIsLittleEndian() {
    const uint16_t one = 1;
    unsigned char first = 0;
    std::memcpy(&first, &one, 1);
    return first == 1;
}

// Little-endian loads, whatever the host (one load on a little-endian one).
uint64_t Read64(const unsigned char* p) {
    uint64_t v = 0;
    std::memcpy(&v, p, 8);
    if (!HostIsLittleEndian()) {
        uint64_t swapped = 0;
        for (int i = 0; i < 8; ++i) {
            swapped = (swapped << 8) | ((v >> (8 * i)) & 0xFF);
        }
        v = swapped;
    }
    return v;
}

uint64_t Read32(const unsigned char* p) {
    return static_cast<uint64_t>(p[0]) | static_cast<uint64_t>(p[1]) << 8 |
           static_cast<uint64_t>(p[2]) << 16 | static_cast<uint64_t>(p[3]) << 24;
}

uint64_t Round(uint64_t lane, uint64_t input) {
    return Rotl(lane + input * kPrime2, 31) * kPrime1;
}

uint64_t MergeRound(uint64_t h, uint64_t lane) {
    return (h ^ Round(0, lane)) * kPrime1 + kPrime4;
}

// Consumes the whole stripes of [p, p + size); returns how many bytes that was.
size_t Stripes(uint64_t lanes[4], const unsigned char* p, size_t size) {
    uint64_t v1 = lanes[0], v2 = lanes[1], v3 = lanes[2], v4 = lanes[3];
    size_t done = 0;
    for (; size - done >= kStripe; done += kStripe) {
        v1 = Round(v1, Read64(p + done));
        v2 = Round(v2, Read64(p + done + 8));
        v3 = Round(v3, Read64(p + done + 16));
        v4 = Round(v4, Read64(p + done + 24));
    }
    lanes[0] = v1;
    lanes[1] = v2;
    lanes[2] = v3;
    lanes[3] = v4;
    return done;
}

// The final value from the lanes, the total length and the bytes after the last stripe
// (fewer than 32).
uint64_t Finish(const uint64_t lanes[4], uint64_t total, const unsigned char* tail,
                size_t tailSize) {
    uint64_t h;
    if (total >= kStripe) {
        h = Rotl(lanes[0], 1) + Rotl(lanes[1], 7) + Rotl(lanes[2], 12) + Rotl(lanes[3], 18);
        for (int i = 0; i < 4; ++i) {
            h = MergeRound(h, lanes[i]);
        }
    } else {
        h = kPrime5;
    }
    h += total;
    size_t i = 0;
    for (; i + 8 <= tailSize; i += 8) {
        h = Rotl(h ^ Round(0, Read64(tail + i)), 27) * kPrime1 + kPrime4;
    }
    if (i + 4 <= tailSize) {
        h = Rotl(h ^ (Read32(tail + i) * kPrime1), 23) * kPrime2 + kPrime3;
        i += 4;
    }
    for (; i < tailSize; ++i) {
        h = Rotl(h ^ (tail[i] * kPrime5), 11) * kPrime1;
    }
    h ^= h >> 33;
    h *= kPrime2;
    h ^= h >> 29;
    h *= kPrime3;
    h ^= h >> 32;
    return h;
}

void StartLanes(uint64_t lanes[4]) {
    lanes[0] = kPrime1 + kPrime2;
    lanes[1] = kPrime2;
    lanes[2] = 0;
    lanes[3] = 0 - kPrime1;
}

}  // namespace

uint64_t Hash64(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    uint64_t lanes[4];
    StartLanes(lanes);
    const size_t done = size >= kStripe ? Stripes(lanes, p, size) : 0;
    return Finish(lanes, size, p + done, size - done);
}

Hasher64::Hasher64() {
    StartLanes(lanes_);
}

void Hasher64::Update(const void* data, size_t size) {
    const auto* p = static_cast<const unsigned char*>(data);
    total_ += size;
    if (pendingSize_ > 0) {
        const size_t take = size < kStripe - pendingSize_ ? size : kStripe - pendingSize_;
        std::memcpy(pending_ + pendingSize_, p, take);
        pendingSize_ += take;
        p += take;
        size -= take;
        if (pendingSize_ < kStripe) {
            return;
        }
        Stripes(lanes_, pending_, kStripe);
        pendingSize_ = 0;
    }
    const size_t done = Stripes(lanes_, p, size);
    pendingSize_ = size - done;
    if (pendingSize_ > 0) {
        std::memcpy(pending_, p + done, pendingSize_);
    }
}

uint64_t Hasher64::Digest() const {
    return Finish(lanes_, total_, pending_, pendingSize_);
}

}  // namespace platform
