#include "ini/ini_encoding.h"

#include "platform/codepage.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16Mark[] = "\xFF\xFE";

bool StartsWith(const std::string& bytes, const char* mark, size_t size) {
    return bytes.size() >= size && bytes.compare(0, size, mark, size) == 0;
}

}  // namespace

bool DecodeIniText(const std::string& bytes, unsigned codePage, std::u16string& text,
                   IniEncoding& encoding) {
    if (StartsWith(bytes, kUtf8Mark, 3)) {
        encoding = IniEncoding::kUtf8Mark;
        return platform::DecodeCodePageStrict(bytes.substr(3), platform::kUtf8CodePage, text);
    }
    if (StartsWith(bytes, kUtf16Mark, 2)) {
        encoding = IniEncoding::kUtf16Mark;
        if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4) || bytes.size() % 2 != 0) {
            return false;
        }
        text.resize((bytes.size() - 2) / 2);
        for (size_t i = 0; i < text.size(); ++i) {
            text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 + 2 * i]) |
                                            (static_cast<unsigned char>(bytes[3 + 2 * i]) << 8));
        }
        return true;
    }
    encoding = IniEncoding::kCodePage;
    if (platform::DecodeCodePageStrict(bytes, codePage, text)) {
        return true;
    }
    encoding = IniEncoding::kUtf8;
    return platform::DecodeCodePageStrict(bytes, platform::kUtf8CodePage, text);
}

bool EncodeIniText(const std::u16string& text, IniEncoding encoding, unsigned codePage,
                   std::string& bytes) {
    switch (encoding) {
        case IniEncoding::kCodePage:
            return platform::EncodeCodePageExact(text, codePage, bytes);
        case IniEncoding::kUtf8:
            return platform::EncodeCodePageExact(text, platform::kUtf8CodePage, bytes);
        case IniEncoding::kUtf8Mark:
            if (!platform::EncodeCodePageExact(text, platform::kUtf8CodePage, bytes)) {
                return false;
            }
            bytes.insert(0, kUtf8Mark, 3);
            return true;
        case IniEncoding::kUtf16Mark:
            bytes.assign(kUtf16Mark, 2);
            bytes.reserve(2 + text.size() * 2);
            for (const char16_t c : text) {
                bytes.push_back(static_cast<char>(c & 0xFF));
                bytes.push_back(static_cast<char>(c >> 8));
            }
            return true;
    }
    return false;
}
