#include "platform/file_read.h"

#include <windows.h>

#include "platform/win32/handle.h"

namespace platform {

ReadResult ReadWholeFileInto(const std::u16string& path, ReadTarget& target, size_t& got) {
    got = 0;
    const Handle h(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.Valid()) {
        const DWORD err = GetLastError();
        return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? ReadResult::kMissing
                                                                            : ReadResult::kFailed;
    }
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(h.Get(), &fileSize) || fileSize.QuadPart > 0x7FFFFFFF) {
        return ReadResult::kFailed;
    }
    const DWORD size = static_cast<DWORD>(fileSize.QuadPart);
    char* room = target.Allocate(size);
    if (room == nullptr && size > 0) {
        return ReadResult::kFailed;
    }
    DWORD done = 0;
    while (done < size) {
        DWORD n = 0;
        if (!ReadFile(h.Get(), room + done, size - done, &n, nullptr)) {
            return ReadResult::kFailed;
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    got = done;
    return ReadResult::kOk;
}

}  // namespace platform
