#include "platform/file_stat.h"

#include <sys/stat.h>
#include <time.h>

#include <cerrno>

#include "platform/posix/file_time.h"
#include "platform/posix/native_path.h"

namespace platform {

ReadResult StatFile(const std::u16string& path, FileStat& stat) {
    struct stat st {};
    if (::stat(NativePath(path).c_str(), &st) != 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kFailed;
    }
    if (!S_ISREG(st.st_mode)) {
        return ReadResult::kFailed;
    }
    stat.size = static_cast<uint64_t>(st.st_size);
    stat.lastWrite = LastWriteOf(st);
    return ReadResult::kOk;
}

int64_t FileClockNow() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace platform
