// A Win32 FILETIME in the unit of platform::FileStat.
#pragma once

#include <windows.h>

#include <cstdint>

namespace platform {

inline int64_t FromFileTime(const FILETIME& ft) {
    // FILETIME counts 100 ns from 1601-01-01; 1970-01-01 lies 11644473600 s later.
    const int64_t ticks =
        static_cast<int64_t>((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
    return (ticks - 116444736000000000LL) * 100;
}

}  // namespace platform
