// The size and last-write time of a file, as the file system reports them. Paths as in
// platform/files.h.
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace platform {

struct FileStat {
    uint64_t size = 0;
    int64_t lastWrite = 0;  // nanoseconds since 1970-01-01 00:00 UTC, at the system's precision
};

// kOk with stat filled for a file; kMissing when there is no file or folder of that name;
// kFailed when the name is a folder or its attributes cannot be read.
ReadResult StatFile(const std::u16string& path, FileStat& stat);

// The system's clock now, in the unit of FileStat::lastWrite.
int64_t FileClockNow();

}  // namespace platform
