// A POSIX file's last-write time in the unit of platform::FileStat.
#pragma once

#include <sys/stat.h>

#include <cstdint>

namespace platform {

inline int64_t LastWriteOf(const struct stat& st) {
    return static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace platform
