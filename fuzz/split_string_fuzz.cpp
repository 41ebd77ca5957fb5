// SplitString on arbitrary text and separators.
//
// Input: the first byte chooses the form of the rest (bit 7 set: UTF-16LE code units,
// otherwise one code unit per byte, so that ASCII separators and white space are easy to
// reach) and the separator's length in code units (bits 0-2, 0 to 7). The separator is
// taken from the front of the code units, the source is what follows.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "text/blanks.h"
#include "fuzz/fuzz_check.h"
#include "ini/ini_text.h"

namespace {

// The pieces between the occurrences of separator, found from left to right.
std::vector<std::u16string> SplitPlainly(const std::u16string& source,
                                         const std::u16string& separator) {
    std::vector<std::u16string> pieces;
    const std::u16string text = ::text::TrimBlanks(source);
    if (text.empty()) {
        return pieces;
    }
    if (separator.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    for (;;) {
        const size_t next = text.find(separator, start);
        const size_t end = next == std::u16string::npos ? text.size() : next;
        std::u16string piece = ::text::TrimBlanks(text.substr(start, end - start));
        if (!piece.empty()) {
            pieces.push_back(std::move(piece));
        }
        if (next == std::u16string::npos) {
            return pieces;
        }
        start = next + separator.size();
    }
}

// True when a proper prefix of separator is also its suffix, so that two occurrences can
// overlap ("aa", "aba").
bool CanOverlap(const std::u16string& separator) {
    for (size_t k = 1; k < separator.size(); ++k) {
        if (separator.compare(0, k, separator, separator.size() - k, k) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const bool wide = (data[0] & 0x80) != 0;
    const size_t separatorLength = data[0] & 7;
    std::u16string units;
    if (wide) {
        for (size_t i = 1; i + 1 < size; i += 2) {
            units.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
        }
    } else {
        units.assign(data + 1, data + size);
    }
    if (units.size() < separatorLength) {
        return 0;
    }
    const std::u16string separator = units.substr(0, separatorLength);
    const std::u16string source = units.substr(separatorLength);

    std::vector<std::u16string> list = {u"left over"};
    SplitString(source, separator, list);

    const std::u16string trimmed = ::text::TrimBlanks(source);
    size_t from = 0;
    for (const std::u16string& piece : list) {
        fuzz::Require(!piece.empty(), "no piece is empty");
        fuzz::Require(!::text::IsBlank(piece.front()) && !::text::IsBlank(piece.back()),
                      "pieces are trimmed");
        fuzz::Require(separator.empty() || piece.find(separator) == std::u16string::npos,
                      "no piece holds the separator");
        const size_t at = trimmed.find(piece, from);
        fuzz::Require(at != std::u16string::npos, "pieces are parts of the source, in order");
        from = at + piece.size();
    }
    // The text appended behind the source closes the last piece; when the separator can
    // overlap itself, an occurrence may start inside the source and end in that text, and
    // the rest of the source is lost ("aaa" split at "aa" gives nothing). Callers use
    // single-character separators, so the comparison is made where no overlap can occur.
    if (!CanOverlap(separator)) {
        fuzz::Require(list == SplitPlainly(source, separator),
                      "pieces are those between the occurrences");
    }
    return 0;
}
