// A Windows path of the core as the POSIX file functions take it: UTF-8, "/" separators.
#pragma once

#include <cerrno>
#include <string>

#include "platform/unicode.h"

namespace platform {

inline std::string NativePath(const std::u16string& path) {
    std::string p = Utf16ToUtf8(path);
    for (char& c : p) {
        if (c == '\\') {
            c = '/';
        }
    }
    return p;
}

// False, with errno in errorCode (if given).
inline bool FailWithErrno(int* errorCode) {
    if (errorCode != nullptr) {
        *errorCode = errno;
    }
    return false;
}

}  // namespace platform
