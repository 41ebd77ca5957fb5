// Ordering of language entries by ID.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "lang/lang_entry.h"

namespace lang {

// Compares IDs by UTF-16 code units one by one from position depth on (the units before it
// are known to be equal); a prefix sorts before the longer ID.
int CompareIdsFrom(std::u16string_view a, std::u16string_view b, size_t depth);

// Puts entries in ascending ID order, equal IDs in ascending position.
//
// IDs tend to share long prefixes ("IDS_MENU_..."), so a plain comparison sort walks the
// same units again and again. Here the entries are instead distributed (radix sort) by
// four code units at a time, and each group that shares them by the next four; a group
// that is small, or already in order, is finished with plain comparisons.
//
// The sorter keeps its buffers from one call to the next.
class IdSorter {
public:
    // The positions of entries in order; valid until the next call.
    const std::vector<uint32_t>& Order(const std::vector<LangEntry>& entries);

private:
    struct Key {
        uint64_t chunk;  // the ID's units at the current depth, first unit highest, 0-padded
        uint32_t units;  // how many units the ID has there (0..4); fewer sorts first
        uint32_t index;  // position in the entries
    };
    struct Range {
        size_t first;
        size_t last;
        size_t depth;  // the units before depth are equal throughout the range
        // Whether to look first if the range is in order already: only for a range that is at
        // most half of the one it came from, so that an entry is looked at in at most about
        // log2(count) levels, however long the prefixes that IDs share.
        bool checkOrder;
    };

    bool FullLess(const Key& a, const Key& b, size_t depth) const;
    void LoadChunks(const Range& r);
    void RadixByChunk(const Range& r);
    void Split(const Range& r);

    const std::vector<LangEntry>* entries_ = nullptr;
    std::vector<Key> keys_;
    std::vector<Key> temp_;
    std::vector<Range> todo_;
    std::vector<uint32_t> order_;
    std::array<std::array<uint32_t, 256>, 9> counts_{};  // one histogram per radix pass
};

}  // namespace lang
