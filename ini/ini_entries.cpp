#include "ini/ini_entries.h"
#include "text/ascii_case.h"

#include <algorithm>
#include <stdexcept>

namespace {

// Blocks start small (most sections hold a few keys) and grow to this size.
constexpr size_t kFirstBlock = 256;
constexpr size_t kLargestBlock = size_t(1) << 20;

unsigned char FoldByte(unsigned char c) {
    return static_cast<unsigned char>(::text::FoldAscii(static_cast<char>(c)));
}

constexpr char16_t FoldUnit(char16_t c) {
    return ::text::FoldAscii(c);
}

bool IsHigh(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLow(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

size_t Wtf8Size(std::u16string_view text) {
    size_t size = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x80) {
            size += 1;
        } else if (c < 0x800) {
            size += 2;
        } else if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            size += 4;
            ++i;
        } else {
            size += 3;  // an unpaired surrogate too
        }
    }
    return size;
}

char* PutWtf8(char* out, std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string ToWtf8(std::u16string_view text) {
    std::string bytes(Wtf8Size(text), '\0');
    PutWtf8(&bytes[0], text);
    return bytes;
}

// The UTF-16 units of WTF-8 bytes (as PutWtf8 writes them), one at a time.
class Units {
public:
    Units(std::string_view bytes, size_t pos) : bytes_(bytes), pos_(pos) {}

    bool Next(char16_t& unit) {
        if (low_ != 0) {
            unit = low_;
            low_ = 0;
            return true;
        }
        if (pos_ >= bytes_.size()) {
            return false;
        }
        const unsigned char lead = static_cast<unsigned char>(bytes_[pos_]);
        const size_t extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t c = extra == 0   ? lead
                     : extra == 1 ? lead & 0x1F
                     : extra == 2 ? lead & 0x0F
                                  : lead & 0x07;
        for (size_t k = 1; k <= extra && pos_ + k < bytes_.size(); ++k) {
            c = (c << 6) | (static_cast<unsigned char>(bytes_[pos_ + k]) & 0x3F);
        }
        pos_ += extra + 1;
        if (c >= 0x10000) {
            c -= 0x10000;
            unit = static_cast<char16_t>(0xD800 + (c >> 10));
            low_ = static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            unit = static_cast<char16_t>(c);
        }
        return true;
    }

private:
    std::string_view bytes_;
    size_t pos_;
    char16_t low_ = 0;
};

std::u16string FromWtf8(std::string_view bytes) {
    std::u16string text;
    text.reserve(bytes.size());
    Units units(bytes, 0);
    for (char16_t unit; units.Next(unit);) {
        text.push_back(unit);
    }
    return text;
}

uint32_t FoldedHash(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : bytes) {
        hash = (hash ^ FoldByte(static_cast<unsigned char>(c))) * 1099511628211ull;
    }
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

bool FoldedEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldByte(static_cast<unsigned char>(a[i])) !=
            FoldByte(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// Ordinal order of the folded UTF-16 texts. Byte order is code point order, which is the
// order of UTF-16 units except that U+E000..U+FFFF come after the surrogates there; so
// from the first character that differs the units themselves are compared.
bool FoldedLess(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    while (i < n && FoldByte(static_cast<unsigned char>(a[i])) ==
                        FoldByte(static_cast<unsigned char>(b[i]))) {
        ++i;
    }
    if (i == n) {
        return a.size() < b.size();
    }
    const unsigned char x = static_cast<unsigned char>(a[i]);
    const unsigned char y = static_cast<unsigned char>(b[i]);
    if (x < 0x80 || y < 0x80) {
        return FoldByte(x) < FoldByte(y);  // both start a character; ASCII sorts first
    }
    while (i > 0 && (static_cast<unsigned char>(a[i]) & 0xC0) == 0x80) {
        --i;
    }
    Units ua(a, i);
    Units ub(b, i);
    while (true) {
        char16_t p = 0;
        char16_t q = 0;
        const bool hasP = ua.Next(p);
        const bool hasQ = ub.Next(q);
        if (!hasP || !hasQ) {
            return !hasP && hasQ;
        }
        if (FoldUnit(p) != FoldUnit(q)) {
            return FoldUnit(p) < FoldUnit(q);
        }
    }
}

// Cells for count keys: at most 70 % full.
size_t TableSizeFor(size_t count) {
    return std::max<size_t>(8, count + count * 3 / 7 + 1);
}

// The first cell to look at for hash in a table of size cells.
size_t FirstCell(uint32_t hash, size_t size) {
    return static_cast<size_t>((static_cast<uint64_t>(hash) * size) >> 32);
}

constexpr uint32_t kOffsetBits = 20;
constexpr uint32_t kMaxBlocks = (uint32_t(1) << (32 - kOffsetBits)) - 1;

void PutCount(std::string& out, size_t count) {
    while (count >= 0x80) {
        out.push_back(static_cast<char>(0x80 | (count & 0x7F)));
        count >>= 7;
    }
    out.push_back(static_cast<char>(count));
}

size_t CountSize(size_t count) {
    size_t size = 1;
    for (; count >= 0x80; count >>= 7) {
        ++size;
    }
    return size;
}

size_t GetCount(std::string_view bytes, size_t& at) {
    size_t count = 0;
    for (int shift = 0;; shift += 7) {
        const unsigned char b = static_cast<unsigned char>(bytes[at++]);
        count |= static_cast<size_t>(b & 0x7F) << shift;
        if (b < 0x80) {
            return count;
        }
    }
}

}  // namespace

IniEntries::value_type IniEntries::const_iterator::operator*() const {
    const Position at = owner_->Order()[pos_];
    IniEntry entry{FromWtf8(owner_->KeyBytes(at)), FromWtf8(owner_->ValueBytes(at))};
    std::u16string folded(entry.key);
    for (char16_t& c : folded) {
        c = FoldUnit(c);
    }
    return {std::move(folded), std::move(entry)};
}

IniEntries::const_iterator IniEntries::begin() const {
    Order();
    return const_iterator(this, 0);
}

std::string_view IniEntries::KeyBytes(Position at) const {
    const std::string_view block = blocks_[at >> kOffsetBits];
    size_t offset = at & ((uint32_t(1) << kOffsetBits) - 1);
    const size_t keySize = GetCount(block, offset);
    GetCount(block, offset);
    return block.substr(offset, keySize);
}

std::string_view IniEntries::ValueBytes(Position at) const {
    const std::string_view block = blocks_[at >> kOffsetBits];
    size_t offset = at & ((uint32_t(1) << kOffsetBits) - 1);
    const size_t keySize = GetCount(block, offset);
    const size_t valueSize = GetCount(block, offset);
    return block.substr(offset + keySize, valueSize);
}

IniEntries::Position IniEntries::Reserve(size_t keySize, size_t valueSize) {
    const size_t size = CountSize(keySize) + CountSize(valueSize) + keySize + valueSize;
    // An entry starts in the first 2^20 bytes of a block; a larger entry gets a block of
    // its own.
    if (blocks_.empty() || blocks_.back().size() >= kLargestBlock ||
        blocks_.back().capacity() - blocks_.back().size() < size) {
        if (blocks_.size() >= kMaxBlocks) {
            throw std::length_error("profile section too large");
        }
        const size_t grown =
            std::min(kLargestBlock, kFirstBlock << std::min<size_t>(blocks_.size(), 12));
        blocks_.emplace_back();
        blocks_.back().reserve(std::max(size, grown));
    }
    std::string& block = blocks_.back();
    const size_t offset = block.size();
    // Within the capacity: the block does not move.
    PutCount(block, keySize);
    PutCount(block, valueSize);
    return static_cast<Position>(((blocks_.size() - 1) << kOffsetBits) | offset);
}

IniEntries::Position IniEntries::Store(std::string_view key, std::string_view value) {
    const Position at = Reserve(key.size(), value.size());
    blocks_.back().append(key);
    blocks_.back().append(value);
    return at;
}

std::pair<size_t, bool> IniEntries::Probe(std::string_view key, uint32_t hash) const {
    const size_t size = table_.size();
    for (size_t cell = FirstCell(hash, size);; cell = cell + 1 == size ? 0 : cell + 1) {
        const uint64_t value = table_[cell];
        if (value == 0) {
            return {cell, false};
        }
        if (static_cast<uint32_t>(value >> 32) == hash &&
            FoldedEqual(KeyBytes(static_cast<Position>(value - 1)), key)) {
            return {cell, true};
        }
    }
}

void IniEntries::Rehash(size_t cells) {
    std::vector<uint64_t> table(cells, 0);
    for (const uint64_t value : table_) {
        if (value != 0) {
            size_t cell = FirstCell(static_cast<uint32_t>(value >> 32), cells);
            while (table[cell] != 0) {
                cell = cell + 1 == cells ? 0 : cell + 1;
            }
            table[cell] = value;
        }
    }
    table_.swap(table);
}

void IniEntries::Insert(Position at, uint32_t hash, size_t cell) {
    table_[cell] = (static_cast<uint64_t>(hash) << 32) | (static_cast<uint64_t>(at) + 1);
    ++size_;
    ordered_ = false;
}

void IniEntries::MakeRoomForOne() {
    if (TableSizeFor(size_ + 1) > table_.size()) {
        Rehash(TableSizeFor(2 * size_ + 1));
    }
}

size_t IniEntries::TextSizeBound() const {
    size_t size = 0;
    for (const std::string& block : blocks_) {
        size += block.size();  // a UTF-16 unit takes at least one byte
    }
    return size;
}

void IniEntries::Append(std::u16string_view key, std::u16string_view value) {
    const size_t keySize = Wtf8Size(key);
    const size_t valueSize = Wtf8Size(value);
    appended_.push_back(Reserve(keySize, valueSize));
    std::string& block = blocks_.back();
    const size_t start = block.size();
    block.resize(start + keySize + valueSize);  // within the capacity
    PutWtf8(PutWtf8(&block[start], key), value);
}

void IniEntries::IndexAppended() {
    std::vector<Position> appended;
    appended.swap(appended_);
    Rehash(TableSizeFor(size_ + appended.size()));
    for (const Position at : appended) {
        const std::string_view key = KeyBytes(at);
        const uint32_t hash = FoldedHash(key);
        const auto [cell, found] = Probe(key, hash);
        if (!found) {  // else the first entry of that key stays
            Insert(at, hash, cell);
        }
    }
}

bool IniEntries::Add(std::u16string_view key, std::u16string_view value) {
    MakeRoomForOne();
    const std::string keyBytes = ToWtf8(key);
    const uint32_t hash = FoldedHash(keyBytes);
    const auto [cell, found] = Probe(keyBytes, hash);
    if (found) {
        return false;  // the first entry of that key stays
    }
    Insert(Store(keyBytes, ToWtf8(value)), hash, cell);
    return true;
}

bool IniEntries::Set(std::u16string_view key, std::u16string_view value) {
    MakeRoomForOne();
    const std::string keyBytes = ToWtf8(key);
    const std::string valueBytes = ToWtf8(value);
    const uint32_t hash = FoldedHash(keyBytes);
    const auto [cell, found] = Probe(keyBytes, hash);
    if (!found) {
        Insert(Store(keyBytes, valueBytes), hash, cell);
        return true;
    }
    const Position at = static_cast<Position>(table_[cell] - 1);
    if (ValueBytes(at) == valueBytes) {
        return false;
    }
    const std::string storedKey(KeyBytes(at));
    table_[cell] = (static_cast<uint64_t>(hash) << 32) |
                   (static_cast<uint64_t>(Store(storedKey, valueBytes)) + 1);
    ordered_ = false;
    return true;
}

bool IniEntries::Find(std::u16string_view key, std::u16string& value) const {
    if (table_.empty()) {
        return false;
    }
    const std::string bytes = ToWtf8(key);
    const auto [cell, found] = Probe(bytes, FoldedHash(bytes));
    if (!found) {
        return false;
    }
    value = FromWtf8(ValueBytes(static_cast<Position>(table_[cell] - 1)));
    return true;
}

const std::vector<IniEntries::Position>& IniEntries::Order() const {
    if (!ordered_) {
        // The first eight folded bytes of each key, big-endian, settle most comparisons
        // without reaching into the blocks.
        std::vector<std::pair<uint64_t, Position>> keyed;
        keyed.reserve(size_);
        for (const uint64_t value : table_) {
            if (value != 0) {
                const Position at = static_cast<Position>(value - 1);
                const std::string_view key = KeyBytes(at);
                uint64_t prefix = 0;
                for (size_t i = 0; i < 8; ++i) {
                    prefix = (prefix << 8) |
                             (i < key.size() ? FoldByte(static_cast<unsigned char>(key[i])) : 0);
                }
                keyed.emplace_back(prefix, at);
            }
        }
        std::sort(keyed.begin(), keyed.end(), [this](const auto& a, const auto& b) {
            if (a.first != b.first) {
                // The first byte that differs decides, unless both are non-ASCII (UTF-16
                // order differs from byte order there).
                int shift = 56;
                while (((a.first ^ b.first) >> shift & 0xFF) == 0) {
                    shift -= 8;
                }
                if ((a.first >> shift & 0x80) == 0 || (b.first >> shift & 0x80) == 0) {
                    return a.first < b.first;
                }
            }
            return FoldedLess(KeyBytes(a.second), KeyBytes(b.second));
        });
        order_.clear();
        order_.reserve(keyed.size());
        for (const auto& entry : keyed) {
            order_.push_back(entry.second);
        }
        ordered_ = true;
    }
    return order_;
}
