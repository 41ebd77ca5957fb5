#include "lang/id_order.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>

#include "lang/prefetch.h"

namespace lang {

namespace {

constexpr size_t kChunkUnits = 4;
constexpr size_t kSmallRange = 32;   // sorted by plain comparisons
constexpr size_t kRadixRange = 256;  // distributed by radix passes from this size on

}  // namespace

bool IdSorter::FullLess(const Key& a, const Key& b, size_t depth) const {
    const std::vector<LangEntry>& entries = *entries_;
    const int c = CompareIdsFrom(entries[a.index].id, entries[b.index].id, depth);
    return c != 0 ? c < 0 : a.index < b.index;
}

void IdSorter::LoadChunks(const Range& r) {
    for (size_t i = r.first; i < r.last; ++i) {
        if (i + kPrefetchDistance < r.last) {
            PrefetchForRead((*entries_)[keys_[i + kPrefetchDistance].index].id.data() + r.depth);
        }
        const std::u16string_view id = (*entries_)[keys_[i].index].id;
        uint64_t chunk = 0;
        uint32_t units = 0;
        for (size_t u = r.depth; u < id.size() && units < kChunkUnits; ++u, ++units) {
            chunk |= static_cast<uint64_t>(id[u]) << (16 * (kChunkUnits - 1 - units));
        }
        keys_[i].chunk = chunk;
        keys_[i].units = units;
    }
}

// A stable least-significant-digit radix sort of the range by (chunk, units), one byte a
// pass. Only the bytes that differ somewhere in the range get a pass: in IDs of ASCII
// letters and digits every other byte is 0.
void IdSorter::RadixByChunk(const Range& r) {
    const size_t n = r.last - r.first;
    Key* src = keys_.data() + r.first;
    uint64_t all = ~uint64_t{0};
    uint64_t any = 0;
    bool unitsDiffer = false;
    for (const Key* k = src; k != src + n; ++k) {
        all &= k->chunk;
        any |= k->chunk;
        unitsDiffer = unitsDiffer || k->units != src->units;
    }
    // Digit 0 is units; digit d (1..8) is byte d - 1 of the chunk, lowest first.
    std::array<size_t, 9> digits;
    size_t digitCount = 0;
    if (unitsDiffer) {
        digits[digitCount++] = 0;
    }
    for (size_t d = 1; d < 9; ++d) {
        const unsigned shift = static_cast<unsigned>(8 * (d - 1));
        if (((all >> shift) & 0xFF) != ((any >> shift) & 0xFF)) {
            digits[digitCount++] = d;
        }
    }
    const auto digit = [](const Key& k, size_t d) -> uint32_t {
        return d == 0 ? k.units : static_cast<uint32_t>((k.chunk >> (8 * (d - 1))) & 0xFF);
    };
    for (size_t j = 0; j < digitCount; ++j) {
        counts_[j].fill(0);
    }
    for (const Key* k = src; k != src + n; ++k) {
        for (size_t j = 0; j < digitCount; ++j) {
            ++counts_[j][digit(*k, digits[j])];
        }
    }
    temp_.resize(std::max(temp_.size(), n));
    Key* dst = temp_.data();
    for (size_t j = 0; j < digitCount; ++j) {
        std::array<uint32_t, 256> offsets;
        uint32_t sum = 0;
        for (size_t b = 0; b < 256; ++b) {
            offsets[b] = sum;
            sum += counts_[j][b];
        }
        for (const Key* k = src; k != src + n; ++k) {
            dst[offsets[digit(*k, digits[j])]++] = *k;
        }
        std::swap(src, dst);
    }
    if (src != keys_.data() + r.first) {
        std::copy(src, src + n, keys_.data() + r.first);
    }
}

// Sorts the range by the four units at its depth and queues the groups that share them
// and go on.
void IdSorter::Split(const Range& r) {
    const auto first = keys_.begin() + static_cast<ptrdiff_t>(r.first);
    const auto last = keys_.begin() + static_cast<ptrdiff_t>(r.last);
    const auto fullLess = [this, &r](const Key& a, const Key& b) {
        return FullLess(a, b, r.depth);
    };
    const size_t n = r.last - r.first;
    if (n <= kSmallRange) {
        std::sort(first, last, fullLess);
        return;
    }
    if (r.checkOrder && std::is_sorted(first, last, fullLess)) {
        return;
    }
    LoadChunks(r);
    if (n >= kRadixRange) {
        RadixByChunk(r);
    } else {
        std::stable_sort(first, last, [](const Key& a, const Key& b) {
            return a.chunk != b.chunk ? a.chunk < b.chunk : a.units < b.units;
        });
    }
    for (size_t g = r.first; g < r.last;) {
        size_t end = g + 1;
        while (end < r.last && keys_[end].chunk == keys_[g].chunk &&
               keys_[end].units == keys_[g].units) {
            ++end;
        }
        if (keys_[g].units == kChunkUnits && end - g > 1) {
            const bool halved = 2 * (end - g) <= n;
            todo_.push_back(Range{g, end, r.depth + kChunkUnits, halved});
        }
        g = end;
    }
}

const std::vector<uint32_t>& IdSorter::Order(const std::vector<LangEntry>& entries) {
    entries_ = &entries;
    keys_.resize(entries.size());
    for (size_t i = 0; i < keys_.size(); ++i) {
        keys_[i].index = static_cast<uint32_t>(i);
    }
    // Every range on the list is in ascending position order (the radix passes are stable),
    // so a group of equal IDs needs no further work. A list rather than recursion: the
    // depth grows with the length of the IDs.
    todo_.clear();
    todo_.push_back(Range{0, keys_.size(), 0, true});
    while (!todo_.empty()) {
        const Range r = todo_.back();
        todo_.pop_back();
        if (r.last - r.first >= 2) {
            Split(r);
        }
    }
    order_.resize(keys_.size());
    for (size_t i = 0; i < keys_.size(); ++i) {
        order_[i] = keys_[i].index;
    }
    entries_ = nullptr;
    return order_;
}

int CompareIdsFrom(std::u16string_view a, std::u16string_view b, size_t depth) {
    const size_t common = std::min(a.size(), b.size());
    size_t i = std::min(depth, common);
    // Four units at a time while they are equal.
    for (; i + 4 <= common; i += 4) {
        uint64_t x;
        uint64_t y;
        std::memcpy(&x, a.data() + i, sizeof x);
        std::memcpy(&y, b.data() + i, sizeof y);
        if (x != y) {
            break;
        }
    }
    for (; i < common; ++i) {
        if (a[i] != b[i]) {
            return a[i] < b[i] ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace lang
