#include "platform/cp936.h"

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

namespace {

// The generated table. Single bytes that are not lead bytes decode through kSingle (a lead
// byte's entry is what it gives alone); strict decoding refuses those in kSingleRejected.
// A lead byte and a second byte in kTrails form a pair; the pairs, in the order of their
// lead bytes and then their second bytes, are cut into kSegments:
//   'R': count units from first on;
//   'L': the next count units of kListed;
//   'F': the next count units from first on that no other part of the table holds (single
//        bytes, runs, listed units, earlier fills): the ideographs of the GBK extensions,
//        which follow Unicode's order around those of GB2312.
// A unit encodes to the bytes that decode to it, exactly; else to its kBestFit bytes
// (a byte, or lead << 8 | second), not exactly; else to kDefaultByte.
struct TrailRange {
    unsigned char first;
    unsigned char last;
};
struct Segment {
    char kind;
    uint16_t count;
    char16_t first;
};
struct BestFit {
    char16_t unit;
    uint16_t code;
};

#include "platform/cp936_table.inc"

constexpr uint16_t kNoCode = 0xFFFF;  // 0xFF is never a lead byte

bool IsLead(unsigned b) {
    return b >= kLeadFirst && b <= kLeadLast;
}

struct Tables {
    std::array<bool, 256> trail{};
    std::array<bool, 256> rejected{};
    std::vector<char16_t> pairs;  // by (lead - kLeadFirst) * 256 + second byte
    std::vector<uint16_t> codes;  // by unit: a byte or lead << 8 | second, or kNoCode
    std::vector<bool> exact;      // by unit: its code decodes back to it
};

Tables BuildTables() {
    Tables t;
    for (const TrailRange& r : kTrails) {
        for (unsigned b = r.first; b <= r.last; ++b) {
            t.trail[b] = true;
        }
    }
    for (unsigned char b : kSingleRejected) {
        t.rejected[b] = true;
    }
    t.pairs.assign((kLeadLast - kLeadFirst + 1) * 256, kDefaultUnit);
    t.codes.assign(0x10000, kNoCode);
    for (unsigned b = 0; b < 256; ++b) {
        if (!IsLead(b)) {
            t.codes[kSingle[b]] = static_cast<uint16_t>(b);
        }
    }
    std::vector<uint16_t> order;  // the pairs in table order
    for (unsigned lead = kLeadFirst; lead <= kLeadLast; ++lead) {
        for (unsigned second = 0; second < 256; ++second) {
            if (t.trail[second]) {
                order.push_back(static_cast<uint16_t>(lead << 8 | second));
            }
        }
    }
    const auto assign = [&t](uint16_t code, unsigned unit) {
        t.pairs[((code >> 8) - kLeadFirst) * 256 + (code & 0xFF)] = static_cast<char16_t>(unit);
        t.codes[unit] = code;
    };
    // Runs and listed units first: the fills skip what they hold.
    size_t at = 0;
    size_t listed = 0;
    for (const Segment& s : kSegments) {
        for (unsigned k = 0; k < s.count; ++k) {
            if (s.kind == 'R') {
                assign(order[at + k], s.first + k);
            } else if (s.kind == 'L') {
                assign(order[at + k], kListed[listed++]);
            }
        }
        at += s.count;
    }
    at = 0;
    for (const Segment& s : kSegments) {
        if (s.kind == 'F') {
            unsigned unit = s.first;
            for (unsigned k = 0; k < s.count; ++k) {
                while (unit < 0xFFFF && t.codes[unit] != kNoCode) {
                    ++unit;
                }
                assign(order[at + k], unit++);
            }
        }
        at += s.count;
    }
    t.exact.resize(0x10000);
    for (unsigned unit = 0; unit < 0x10000; ++unit) {
        t.exact[unit] = t.codes[unit] != kNoCode;
    }
    for (const BestFit& f : kBestFit) {
        t.codes[f.unit] = f.code;
    }
    return t;
}

const Tables& GetTables() {
    static const Tables tables = BuildTables();
    return tables;
}

// Decodes bytes; when strict, false at the first sequence that gives the default character
// in its place, or at a rejected single byte.
bool Decode(const char* bytes, size_t size, bool strict, std::u16string& text) {
    const Tables& t = GetTables();
    text.clear();
    text.reserve(size);
    for (size_t i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (!IsLead(b)) {
            if (strict && t.rejected[b]) {
                return false;
            }
            text += kSingle[b];
            continue;
        }
        if (i + 1 == size || bytes[i + 1] == '\0') {
            if (strict) {
                return false;
            }
            text += kSingle[b];
            continue;
        }
        const auto second = static_cast<unsigned char>(bytes[++i]);
        if (!t.trail[second]) {
            if (strict) {
                return false;
            }
            text += kDefaultUnit;
            continue;
        }
        text += t.pairs[(b - kLeadFirst) * 256 + second];
    }
    return true;
}

void AppendCode(std::string& bytes, uint16_t code) {
    if (code == kNoCode) {
        bytes += kDefaultByte;
    } else if (code > 0xFF) {
        bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
    } else {
        bytes += static_cast<char>(code);
    }
}

}  // namespace

std::u16string Cp936Decode(const char* bytes, size_t size) {
    std::u16string text;
    Decode(bytes, size, false, text);
    return text;
}

bool Cp936DecodeStrict(const char* bytes, size_t size, std::u16string& text) {
    return Decode(bytes, size, true, text);
}

std::string Cp936Encode(const std::u16string& text) {
    const Tables& t = GetTables();
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        AppendCode(bytes, t.codes[c]);
    }
    return bytes;
}

bool Cp936EncodeExact(const std::u16string& text, std::string& bytes) {
    const Tables& t = GetTables();
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (char16_t c : text) {
        if (!t.exact[c]) {
            return false;
        }
        AppendCode(bytes, t.codes[c]);
    }
    return true;
}

}  // namespace platform
