// Code page 936 converted exactly as Windows converts it, on any system: what
// MultiByteToWideChar and WideCharToMultiByte do with the flags platform/win32/codepage_win32.cpp
// passes, from a table measured on Windows (platform/cp936_table.inc). The native build
// converts 936 with it, so that profiles written there hold the bytes the Windows build
// writes; the Windows build's tests compare it with the system.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// As MultiByteToWideChar(936, 0): a lead byte with an invalid second byte gives one '?' for
// both; a lead byte before NUL or at the end gives '?' on its own.
std::u16string Cp936Decode(const char* bytes, size_t size);

// As MultiByteToWideChar(936, MB_ERR_INVALID_CHARS): false, with text unspecified, when
// the bytes hold a sequence Cp936Decode replaces, or 0xFF.
bool Cp936DecodeStrict(const char* bytes, size_t size, std::u16string& text);

// As WideCharToMultiByte(936, 0) without a default character: a unit the code page lacks
// becomes its best-fit character, else '?'; each half of a surrogate pair is a '?'.
std::string Cp936Encode(const std::u16string& text);

// As WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS) refused when the default character was
// used: false, with bytes unspecified, when a unit has no bytes that decode back to it.
bool Cp936EncodeExact(const std::u16string& text, std::string& bytes);

}  // namespace platform
