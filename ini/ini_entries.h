// The keys of one profile section with their values, kept compactly for files of millions
// of keys: the texts lie in large blocks as WTF-8 (UTF-8 that also carries unpaired
// surrogates, so every UTF-16 text comes back unchanged), and an open-addressing table of
// 8-byte cells (hash and position) finds a key by its folded name (A to Z as a to z).
// Iteration runs in ascending ordinal order of the folded keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct IniEntry {
    std::u16string key;  // letter case of the first occurrence
    std::u16string value;
};

class IniEntries {
public:
    using value_type = std::pair<std::u16string, IniEntry>;  // (folded key, entry)

    // Yields the entries by value, in folded-key order.
    class const_iterator {
    public:
        using iterator_category = std::input_iterator_tag;
        using value_type = IniEntries::value_type;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = value_type;

        value_type operator*() const;
        const_iterator& operator++() {
            ++pos_;
            return *this;
        }
        bool operator==(const const_iterator& other) const { return pos_ == other.pos_; }
        bool operator!=(const const_iterator& other) const { return pos_ != other.pos_; }

    private:
        friend class IniEntries;
        const_iterator(const IniEntries* owner, size_t pos) : owner_(owner), pos_(pos) {}
        const IniEntries* owner_;
        size_t pos_;
    };

    // Entries appended and not yet indexed do not count.
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const_iterator begin() const;
    const_iterator end() const { return const_iterator(this, size_); }

    // Adds the entry unless its folded key is there already (the first one wins); true
    // when it was added. Throws std::length_error past 4,095 blocks (over 4 GB of text).
    bool Add(std::u16string_view key, std::u16string_view value);
    // Adds the entry, or replaces the value of its folded key (the stored letter case of
    // the key stays); true when the entries changed.
    bool Set(std::u16string_view key, std::u16string_view value);
    // At least the UTF-16 length of all keys and values (for reserving text).
    size_t TextSizeBound() const;
    // Stores the entry without looking for its key; IndexAppended then makes the entries
    // appended since the last call findable, where the first of each folded key wins.
    // Reading a file goes this way: the table is then built once, at its size.
    void Append(std::u16string_view key, std::u16string_view value);
    void IndexAppended();
    // The value of key (folded), or false.
    bool Find(std::u16string_view key, std::u16string& value) const;

private:
    // Where an entry lies: block number (12 bits) and offset in the block (20 bits). There
    // the entry is stored as the byte counts of key and value (LEB128), then their bytes.
    using Position = uint32_t;

    std::string_view KeyBytes(Position at) const;
    std::string_view ValueBytes(Position at) const;
    // Starts an entry in the last block (a new one when it lacks room) with the byte counts;
    // the caller appends the bytes.
    Position Reserve(size_t keySize, size_t valueSize);
    Position Store(std::string_view key, std::string_view value);
    // The table cell of the folded key, and whether it holds it (else: the free one).
    std::pair<size_t, bool> Probe(std::string_view key, uint32_t hash) const;
    void Rehash(size_t cells);
    void Insert(Position at, uint32_t hash, size_t cell);
    // Grows the table when one more key would fill it beyond 70 %.
    void MakeRoomForOne();
    const std::vector<Position>& Order() const;

    std::vector<std::string> blocks_;
    std::vector<uint64_t> table_;  // 0: free; else (hash << 32) | (position + 1)
    size_t size_ = 0;
    mutable std::vector<Position> order_;  // the entries in folded-key order
    mutable bool ordered_ = true;
    std::vector<Position> appended_;  // stored, not yet in the table
};
