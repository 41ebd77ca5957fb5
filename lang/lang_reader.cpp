#include "lang/lang_reader.h"

#include "text/blanks.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "lang/byte_order.h"
#include "platform/unicode.h"

namespace lang {

namespace {

bool StartsWith(const std::string& bytes, const char* mark, size_t length) {
    return bytes.size() >= length && bytes.compare(0, length, mark, length) == 0;
}

void DecodeUtf16Le(const std::string& bytes, size_t offset, std::u16string& text) {
    const size_t units = (bytes.size() - offset) / 2;
    text.resize(units);
    if (units == 0) {
        return;
    }
    if (HostIsLittleEndian()) {
        std::memcpy(&text[0], bytes.data() + offset, units * 2);
        return;
    }
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data()) + offset;
    for (size_t i = 0; i < units; ++i) {
        text[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    }
}

// The first unit c in [p, p + n), or nullptr. c is below U+0100 and not 0: the search runs
// over the bytes with memchr, which the C library does many bytes at a time, and checks the
// unit of each hit (a byte c can also be half of another unit).
const char16_t* FindUnit(const char16_t* p, size_t n, char16_t c) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(p);
    const size_t size = n * 2;
    size_t offset = 0;
    while (offset < size) {
        const void* hit = std::memchr(bytes + offset, c, size - offset);
        if (hit == nullptr) {
            return nullptr;
        }
        const size_t k = static_cast<size_t>(static_cast<const unsigned char*>(hit) - bytes);
        if (p[k / 2] == c) {
            return p + k / 2;
        }
        offset = k + 1;
    }
    return nullptr;
}

}  // namespace

bool DecodeLangText(const std::string& bytes, std::u16string& text) {
    text.clear();
    if (StartsWith(bytes, "\xEF\xBB\xBF", 3)) {
        text = platform::Utf8ToUtf16(bytes.substr(3));
        return true;
    }
    if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4) || StartsWith(bytes, "\x00\x00\xFE\xFF", 4) ||
        StartsWith(bytes, "\xFE\xFF", 2)) {
        return false;  // UTF-32LE, UTF-32BE, UTF-16BE
    }
    if (StartsWith(bytes, "\xFF\xFE", 2)) {
        DecodeUtf16Le(bytes, 2, text);
        return true;
    }
    if (bytes.empty()) {
        return true;
    }
    if (bytes.size() % 2 != 0) {
        return false;
    }
    bool equals = false;
    for (size_t i = 0; i < bytes.size(); i += 2) {
        if (bytes[i + 1] != '\0') {
            continue;
        }
        if (bytes[i] == '\0') {
            return false;  // U+0000: UTF-32, or 8-bit text padded with NUL bytes
        }
        equals = equals || bytes[i] == '=';
    }
    if (!equals) {
        return false;  // no entry possible: UTF-16BE, UTF-8 or 8-bit text
    }
    DecodeUtf16Le(bytes, 0, text);
    return true;
}

void ParseLangText(std::u16string& text, std::vector<LangEntry>& entries) {
    char16_t* const chars = &text[0];
    const size_t size = text.size();
    // About one entry in 24 units or more (an ID, " = ", a text, CR LF); more only grows.
    entries.reserve(entries.size() + size / 24 + 1);
    size_t start = 0;
    while (start < size) {
        const char16_t* lf = FindUnit(chars + start, size - start, u'\n');
        const size_t lineEnd = lf != nullptr ? static_cast<size_t>(lf - chars) : size;
        const size_t next = lf != nullptr ? lineEnd + 1 : size;
        // The characters of the line as the runtime hands it over: CR LF is one LF.
        size_t contentEnd = lineEnd;
        if (lf != nullptr && contentEnd > start && chars[contentEnd - 1] == u'\r') {
            --contentEnd;
        }
        const size_t length = contentEnd - start + (lf != nullptr ? 1 : 0);
        const size_t lineStart = start;
        start = next;

        if (length < 2) {
            continue;
        }
        if (contentEnd - lineStart >= 2 && chars[lineStart] == u'#' &&
            chars[lineStart + 1] == u'#') {
            continue;
        }
        const char16_t* eq = FindUnit(chars + lineStart, contentEnd - lineStart, u'=');
        if (eq == nullptr) {
            continue;
        }
        size_t idBegin = lineStart;
        size_t idEnd = static_cast<size_t>(eq - chars);
        size_t textBegin = idEnd + 1;
        size_t textEnd = contentEnd;
        while (idBegin < idEnd && ::text::IsBlank(chars[idBegin])) {
            ++idBegin;
        }
        while (idEnd > idBegin && ::text::IsBlank(chars[idEnd - 1])) {
            --idEnd;
        }
        while (textBegin < textEnd && ::text::IsBlank(chars[textBegin])) {
            ++textBegin;
        }
        while (textEnd > textBegin && ::text::IsBlank(chars[textEnd - 1])) {
            --textEnd;
        }
        for (size_t i = idBegin; i < idEnd; ++i) {
            if (chars[i] >= u'a' && chars[i] <= u'z') {
                chars[i] = static_cast<char16_t>(chars[i] - u'a' + u'A');
            }
        }
        entries.push_back(LangEntry{std::u16string_view(chars + idBegin, idEnd - idBegin),
                                    std::u16string_view(chars + textBegin, textEnd - textBegin)});
    }
}

}  // namespace lang
