// Conversion between UTF-16 and 8-bit code pages (the profiles' on-disk encoding).
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// The system's ANSI code page: CP_ACP on Windows. Other systems have no such notion;
// there UTF-8 (65001) stands in for it. Code page 936 converts as on Windows on every
// system (platform/cp936.h).
constexpr unsigned kSystemCodePage = 0;
constexpr unsigned kUtf8CodePage = 65001;

// Converts bytes in the given code page to UTF-16. Bytes the code page does not define
// become a replacement character; nothing fails.
std::u16string DecodeCodePage(const std::string& bytes, unsigned codePage = kSystemCodePage);

// Converts UTF-16 to the given code page. A character the code page cannot represent,
// and an unpaired surrogate, becomes the code page's default character '?'.
std::string EncodeCodePage(const std::u16string& text, unsigned codePage = kSystemCodePage);

// Converts bytes in the given code page to UTF-16 (replacing text). False, with text
// unspecified, when the bytes hold a sequence the code page does not define.
bool DecodeCodePageStrict(const char* bytes, size_t size, unsigned codePage, std::u16string& text);

// Converts UTF-16 to the given code page (replacing bytes), without best-fit mapping. False,
// with bytes unspecified, when a character (an unpaired surrogate included) has no exact
// representation in the code page.
bool EncodeCodePageExact(const std::u16string& text, unsigned codePage, std::string& bytes);

// Makes kSystemCodePage stand for codePage in this process from now on (kSystemCodePage: the
// system's own again). The console program sets it from --code-page; natively it sets 936,
// the code page of the target's Chinese Windows.
void SetAnsiCodePage(unsigned codePage);

}  // namespace platform
