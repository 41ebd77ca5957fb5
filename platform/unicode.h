// UTF-8 <-> UTF-16 conversion, independent of the platform.
#pragma once

#include <string>

namespace platform {

// Converts UTF-8 to UTF-16. Invalid sequences become U+FFFD.
std::u16string Utf8ToUtf16(const std::string& utf8);

// Converts UTF-16 to UTF-8. Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& utf16);

}  // namespace platform
