// The on-disk encodings of a profile file: found when it is read, kept when it is written.
#pragma once

#include <functional>
#include <string>
#include <string_view>

enum class IniEncoding {
    kCodePage,   // no mark, the ANSI code page; also the encoding of a new file
    kUtf8,       // no mark, UTF-8: bytes the code page does not take, valid as UTF-8
    kUtf8Mark,   // EF BB BF, then UTF-8
    kUtf16Mark,  // FF FE, then UTF-16LE
};

// Decodes the bytes of a profile file (replacing text): a file with a mark in the encoding
// of its mark, any other strictly in codePage, and failing that strictly as UTF-8. False
// when none of these takes the bytes (also for a UTF-32LE mark, FF FE 00 00, and an odd
// number of UTF-16 bytes): the content is unknown.
bool DecodeIniText(const std::string& bytes, unsigned codePage, std::u16string& text,
                   IniEncoding& encoding);

// Receives decoded text, a piece at a time; each piece ends at a line end or at the end.
using IniPieceSink = std::function<void(std::u16string_view)>;

// Decodes as DecodeIniText does, a piece of about a megabyte at a time, so that the whole
// decoded text is never held. When the code page fails after pieces were handed over,
// restart is called and the pieces come again, decoded as UTF-8.
bool DecodeIniPieces(const std::string& bytes, unsigned codePage, IniEncoding& encoding,
                     const IniPieceSink& sink, const std::function<void()>& restart);

// Encodes text in encoding (replacing bytes), mark included. False when a character has
// no exact representation there (no best-fit replacement).
bool EncodeIniText(const std::u16string& text, IniEncoding encoding, unsigned codePage,
                   std::string& bytes);
