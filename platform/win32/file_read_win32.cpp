#include "platform/file_read.h"

#include <windows.h>

#include <cstring>
#include <vector>

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

bool FileHolds(const std::u16string& path, const void* data, size_t size) {
    const Handle h(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER fileSize{};
    if (!h.Valid() || !GetFileSizeEx(h.Get(), &fileSize) ||
        static_cast<unsigned long long>(fileSize.QuadPart) != size) {
        return false;
    }
    // One piece of memory per thread, kept: fresh memory is not free (a page fault per page).
    constexpr DWORD kPiece = 256 * 1024;
    thread_local std::vector<char> piece(kPiece);
    const char* expected = static_cast<const char*>(data);
    size_t done = 0;
    while (done < size) {
        const DWORD want = size - done < kPiece ? static_cast<DWORD>(size - done) : kPiece;
        DWORD n = 0;
        if (!ReadFile(h.Get(), piece.data(), want, &n, nullptr) || n == 0 ||
            std::memcmp(piece.data(), expected + done, n) != 0) {
            return false;
        }
        done += n;
    }
    // Nothing beyond the expected end (the file may have grown since its size was read).
    DWORD extra = 0;
    return ReadFile(h.Get(), piece.data(), 1, &extra, nullptr) && extra == 0;
}

}  // namespace platform
