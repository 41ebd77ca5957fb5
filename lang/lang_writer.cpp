#include "lang/lang_writer.h"

#include <algorithm>

#include "lang/byte_order.h"
#include "lang/prefetch.h"

namespace lang {

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;
constexpr std::u16string_view kHeaderLine = u"[ZOVIDE]\r\n";
constexpr std::u16string_view kSeparator = u"=    ";
constexpr std::u16string_view kLineEnd = u"\r\n";

// Writes code units into a buffer sized beforehand.
class UnitWriter {
public:
    explicit UnitWriter(char16_t* out) : out_(out) {}

    void Put(char16_t c) { *out_++ = c; }
    void Put(std::u16string_view s) {
        for (char16_t c : s) {
            *out_++ = c;
        }
    }
    void PutBlanks(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            *out_++ = u' ';
        }
    }
    void PutUnescaped(std::u16string_view text) {
        const size_t n = text.size();
        for (size_t i = 0; i < n; ++i) {
            if (text[i] == kEscapedApostrophe[0] && i + 1 < n &&
                text[i + 1] == kEscapedApostrophe[1]) {
                *out_++ = u'\'';
                ++i;
                continue;
            }
            *out_++ = text[i];
        }
    }
    char16_t* Position() const { return out_; }

private:
    char16_t* out_;
};

// Puts the file's code units, beginning with the byte-order mark, into out.
void ComposeLangFile(const CLangSlot& slot, std::u16string& out) {
    // Units before unescaping: an upper bound of what is written.
    size_t units = 1 + kHeaderLine.size();
    for (const LangEntry& e : slot) {
        units += std::max(e.id.size(), kIdFieldWidth) + kSeparator.size() + e.text.size() +
                 kLineEnd.size();
    }
    out.resize(units);
    UnitWriter writer(&out[0]);
    writer.Put(kByteOrderMark);
    writer.Put(kHeaderLine);
    const size_t count = slot.size();
    for (size_t i = 0; i < count; ++i) {
        if (i + kPrefetchDistance < count) {
            const LangEntry& ahead = slot.begin()[i + kPrefetchDistance];
            PrefetchForRead(ahead.id.data());
            PrefetchForRead(ahead.text.data());
        }
        const LangEntry& e = slot.begin()[i];
        writer.Put(e.id);
        if (e.id.size() < kIdFieldWidth) {
            writer.PutBlanks(kIdFieldWidth - e.id.size());
        }
        writer.Put(kSeparator);
        writer.PutUnescaped(e.text);
        writer.Put(kLineEnd);
    }
    out.resize(static_cast<size_t>(writer.Position() - out.data()));
}

// Turns code units in host order into UTF-16LE in place (nothing to do on little-endian
// hosts, where they already are).
void ToLittleEndian(std::u16string& units) {
    if (HostIsLittleEndian()) {
        return;
    }
    for (char16_t& c : units) {
        c = static_cast<char16_t>((c >> 8) | (c << 8));
    }
}

}  // namespace

std::string EncodeLangFile(const CLangSlot& slot) {
    std::u16string units;
    EncodeLangFileInto(slot, units);
    return std::string(reinterpret_cast<const char*>(units.data()), units.size() * 2);
}

void EncodeLangFileInto(const CLangSlot& slot, std::u16string& units) {
    ComposeLangFile(slot, units);
    ToLittleEndian(units);
}

}  // namespace lang
