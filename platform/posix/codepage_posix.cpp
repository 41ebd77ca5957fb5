#include "platform/codepage.h"

#include <iconv.h>

#include <cerrno>
#include <string>

#include "platform/cp936.h"
#include "platform/unicode.h"

namespace platform {

namespace {

// Code page 936 is converted with Windows' own table (iconv's CP936 differs from it); the
// other code pages go through iconv.
constexpr unsigned kGbkCodePage = 936;

// What kSystemCodePage stands for (SetAnsiCodePage).
unsigned g_ansiCodePage = kUtf8CodePage;

unsigned Resolved(unsigned codePage) {
    return codePage == kSystemCodePage ? g_ansiCodePage : codePage;
}

std::string IconvName(unsigned codePage) {
    switch (codePage) {
        case kSystemCodePage:
        case 65001:
            return "UTF-8";
        default:
            return "CP" + std::to_string(codePage);
    }
}

// One iconv conversion; each input unit that cannot be converted is replaced by
// `replacement` and skipped (skip = bytes of input per unit).
std::string Convert(const std::string& name_from, const std::string& name_to, const char* in,
                    size_t inSize, size_t skip, const std::string& replacement) {
    std::string out;
    iconv_t cd = iconv_open(name_to.c_str(), name_from.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return out;
    }
    out.resize(inSize * 2 + 16);
    char* src = const_cast<char*>(in);
    size_t srcLeft = inSize;
    size_t used = 0;
    while (srcLeft > 0) {
        char* dst = &out[used];
        size_t dstLeft = out.size() - used;
        const size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (rc != static_cast<size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ or EINVAL: one unit that cannot be converted.
        const size_t n = srcLeft < skip ? srcLeft : skip;
        src += n;
        srcLeft -= n;
        out.resize(used);
        out += replacement;
        used = out.size();
        out.resize(used + srcLeft * 2 + 16);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    iconv_close(cd);
    return out;
}

// One strict iconv conversion: false at the first unit that cannot be converted.
bool ConvertStrict(const std::string& nameFrom, const std::string& nameTo, const char* in,
                   size_t inSize, std::string& out) {
    out.clear();
    iconv_t cd = iconv_open(nameTo.c_str(), nameFrom.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return false;
    }
    out.resize(inSize * 2 + 16);
    char* src = const_cast<char*>(in);
    size_t srcLeft = inSize;
    size_t used = 0;
    bool ok = true;
    while (true) {
        char* dst = &out[used];
        size_t dstLeft = out.size() - used;
        const size_t rc = srcLeft > 0 ? iconv(cd, &src, &srcLeft, &dst, &dstLeft)
                                      : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (rc != static_cast<size_t>(-1)) {
            if (srcLeft == 0) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        ok = false;  // EILSEQ or EINVAL (an incomplete sequence at the end)
        break;
    }
    out.resize(used);
    iconv_close(cd);
    return ok;
}

bool HasUnpairedSurrogate(const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::u16string DecodeCodePage(const std::string& bytes, unsigned codePage) {
    codePage = Resolved(codePage);
    if (codePage == kGbkCodePage) {
        return Cp936Decode(bytes.data(), bytes.size());
    }
    const std::string from = IconvName(codePage);
    if (from == "UTF-8") {
        return Utf8ToUtf16(bytes);
    }
    const std::string replacement("\xFD\xFF", 2);  // U+FFFD in UTF-16LE
    const std::string le = Convert(from, "UTF-16LE", bytes.data(), bytes.size(), 1, replacement);
    std::u16string out(le.size() / 2, u'\0');
    for (size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                       (static_cast<unsigned char>(le[2 * i + 1]) << 8));
    }
    return out;
}

std::string EncodeCodePage(const std::u16string& text, unsigned codePage) {
    codePage = Resolved(codePage);
    if (codePage == kGbkCodePage) {
        return Cp936Encode(text);
    }
    // Unpaired surrogates become '?' first, so that iconv only sees valid UTF-16.
    std::u16string clean(text);
    for (size_t i = 0; i < clean.size(); ++i) {
        const char16_t c = clean[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 &&
            clean[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            clean[i] = u'?';
        }
    }
    const std::string to = IconvName(codePage);
    if (to == "UTF-8") {
        return Utf16ToUtf8(clean);
    }
    std::string le(clean.size() * 2, '\0');
    for (size_t i = 0; i < clean.size(); ++i) {
        le[2 * i] = static_cast<char>(clean[i] & 0xFF);
        le[2 * i + 1] = static_cast<char>(clean[i] >> 8);
    }
    // A character outside the code page is skipped as one UTF-16 unit; the low half of a
    // pair that follows is then unconvertible on its own and skipped as well, giving "??".
    return Convert("UTF-16LE", to, le.data(), le.size(), 2, "?");
}

bool DecodeCodePageStrict(const char* bytes, size_t size, unsigned codePage, std::u16string& text) {
    codePage = Resolved(codePage);
    if (codePage == kGbkCodePage) {
        return Cp936DecodeStrict(bytes, size, text);
    }
    const std::string from = IconvName(codePage);
    if (from == "UTF-8") {
        // Only valid UTF-8 comes back unchanged from a round trip (invalid bytes become U+FFFD).
        const std::string in(bytes, size);
        text = Utf8ToUtf16(in);
        return Utf16ToUtf8(text) == in;
    }
    std::string le;
    if (!ConvertStrict(from, "UTF-16LE", bytes, size, le)) {
        return false;
    }
    text.assign(le.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<unsigned char>(le[2 * i]) |
                                        (static_cast<unsigned char>(le[2 * i + 1]) << 8));
    }
    return true;
}

bool EncodeCodePageExact(const std::u16string& text, unsigned codePage, std::string& bytes) {
    codePage = Resolved(codePage);
    if (codePage == kGbkCodePage) {
        return Cp936EncodeExact(text, bytes);
    }
    if (HasUnpairedSurrogate(text)) {
        return false;
    }
    const std::string to = IconvName(codePage);
    if (to == "UTF-8") {
        bytes = Utf16ToUtf8(text);
        return true;
    }
    std::string le(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        le[2 * i] = static_cast<char>(text[i] & 0xFF);
        le[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    return ConvertStrict("UTF-16LE", to, le.data(), le.size(), bytes);
}

void SetAnsiCodePage(unsigned codePage) {
    g_ansiCodePage = codePage == kSystemCodePage ? kUtf8CodePage : codePage;
}

}  // namespace platform
