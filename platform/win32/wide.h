// What every Win32 file of the platform layer needs: the core's UTF-16 text as the API's
// wide strings, and the system's error code handed to a caller that asked for it.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

inline const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// False, with GetLastError in errorCode (if given).
inline bool Fail(int* errorCode) {
    if (errorCode != nullptr) {
        *errorCode = static_cast<int>(GetLastError());
    }
    return false;
}

}  // namespace platform
