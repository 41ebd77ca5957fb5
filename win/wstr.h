// The core's UTF-16 strings handed to the Windows API and back. wchar_t is 16 bits on
// Windows, so the conversion is a cast.
#pragma once

#include <string>

#include "platform/win32/wide.h"

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide strings are UTF-16");

namespace win {

using platform::W;

inline std::u16string U(const wchar_t* s) {
    return s == nullptr ? std::u16string() : std::u16string(reinterpret_cast<const char16_t*>(s));
}

inline std::u16string U(const wchar_t* s, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(s), length);
}

}  // namespace win
