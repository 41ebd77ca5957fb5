#include "ini/ini_encoding.h"

#include <algorithm>
#include <functional>
#include <string_view>

#include "platform/codepage.h"

namespace {

const char kUtf8Mark[] = "\xEF\xBB\xBF";
const char kUtf16Mark[] = "\xFF\xFE";
// Bytes decoded at a time; a piece is cut behind the last line end before this size.
constexpr size_t kPieceBytes = size_t(1) << 20;

bool StartsWith(const std::string& bytes, const char* mark, size_t size) {
    return bytes.size() >= size && bytes.compare(0, size, mark, size) == 0;
}

// Where the piece that starts at pos ends: behind the last LF of the next kPieceBytes units
// of unit bytes each, or behind the first LF after them, or at the end.
size_t PieceEnd(const std::string& bytes, size_t pos, size_t unit) {
    const size_t limit = pos + kPieceBytes;
    if (limit >= bytes.size()) {
        return bytes.size();
    }
    const auto isLineEnd = [&](size_t at) {
        return bytes[at] == '\n' && (unit == 1 || bytes[at + 1] == '\0');
    };
    for (size_t at = limit - unit; at >= pos + unit; at -= unit) {
        if (isLineEnd(at)) {
            return at + unit;
        }
    }
    for (size_t at = limit; at + unit <= bytes.size(); at += unit) {
        if (isLineEnd(at)) {
            return at + unit;
        }
    }
    return bytes.size();
}

// Decodes bytes from pos strictly in an 8-bit code page (LF is a whole character in each
// of them: never the second byte of a pair).
bool DecodeBytes(const std::string& bytes, size_t pos, unsigned codePage,
                 const IniPieceSink& sink) {
    std::u16string piece;
    while (pos < bytes.size()) {
        const size_t end = PieceEnd(bytes, pos, 1);
        const char* const first = bytes.data() + pos;
        const char* const last = bytes.data() + end;
        // Bytes below 0x80 are the same characters in UTF-8 and in every ANSI code page.
        if (std::all_of(first, last, [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            piece.resize(end - pos);  // reuses the piece's room
            std::copy(first, last, piece.begin());
        } else if (!platform::DecodeCodePageStrict(first, end - pos, codePage, piece)) {
            return false;
        }
        sink(piece);
        pos = end;
    }
    return true;
}

bool DecodeUtf16(const std::string& bytes, const IniPieceSink& sink) {
    if (StartsWith(bytes, "\xFF\xFE\x00\x00", 4) || bytes.size() % 2 != 0) {
        return false;  // UTF-32LE, or not whole UTF-16 units
    }
    std::u16string piece;
    for (size_t pos = 2; pos < bytes.size();) {
        const size_t end = PieceEnd(bytes, pos, 2);
        piece.resize((end - pos) / 2);
        for (size_t i = 0; i < piece.size(); ++i) {
            piece[i] =
                static_cast<char16_t>(static_cast<unsigned char>(bytes[pos + 2 * i]) |
                                      (static_cast<unsigned char>(bytes[pos + 2 * i + 1]) << 8));
        }
        sink(piece);
        pos = end;
    }
    return true;
}

}  // namespace

bool DecodeIniPieces(const std::string& bytes, unsigned codePage, IniEncoding& encoding,
                     const IniPieceSink& sink, const std::function<void()>& restart) {
    if (StartsWith(bytes, kUtf8Mark, 3)) {
        encoding = IniEncoding::kUtf8Mark;
        return DecodeBytes(bytes, 3, platform::kUtf8CodePage, sink);
    }
    if (StartsWith(bytes, kUtf16Mark, 2)) {
        encoding = IniEncoding::kUtf16Mark;
        return DecodeUtf16(bytes, sink);
    }
    encoding = IniEncoding::kCodePage;
    if (DecodeBytes(bytes, 0, codePage, sink)) {
        return true;
    }
    restart();
    encoding = IniEncoding::kUtf8;
    return DecodeBytes(bytes, 0, platform::kUtf8CodePage, sink);
}

bool DecodeIniText(const std::string& bytes, unsigned codePage, std::u16string& text,
                   IniEncoding& encoding) {
    text.clear();
    return DecodeIniPieces(
        bytes, codePage, encoding, [&](std::u16string_view piece) { text += piece; },
        [&] { text.clear(); });
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
