#include "platform/file_stat.h"

#include <windows.h>

#include "platform/win32/file_time.h"

namespace platform {

ReadResult StatFile(const std::u16string& path, FileStat& stat) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(reinterpret_cast<const wchar_t*>(path.c_str()), GetFileExInfoStandard,
                              &data)) {
        const DWORD err = GetLastError();
        return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? ReadResult::kMissing
                                                                            : ReadResult::kFailed;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return ReadResult::kFailed;
    }
    stat.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    stat.lastWrite = FromFileTime(data.ftLastWriteTime);
    return ReadResult::kOk;
}

int64_t FileClockNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return FromFileTime(now);
}

}  // namespace platform
