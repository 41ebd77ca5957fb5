#include "platform/file_read.h"

#include <windows.h>

#include "platform/win32/file_time.h"
#include "platform/win32/handle.h"

namespace platform {

namespace {

// Opens the file at path for reading in sequence (others may read and write it meanwhile)
// and tells its size.
ReadResult OpenForReading(const std::u16string& path, Handle& h, uint64_t& size) {
    h = Handle(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!h.Valid()) {
        const DWORD err = GetLastError();
        return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? ReadResult::kMissing
                                                                            : ReadResult::kFailed;
    }
    LARGE_INTEGER fileSize{};
    if (!GetFileSizeEx(h.Get(), &fileSize)) {
        return ReadResult::kFailed;
    }
    size = static_cast<uint64_t>(fileSize.QuadPart);
    return ReadResult::kOk;
}

}  // namespace

ReadResult ReadWholeFileInto(const std::u16string& path, ReadTarget& target, size_t& got,
                             FileStat* stat) {
    got = 0;
    Handle h;
    uint64_t fileSize = 0;
    const ReadResult opened = OpenForReading(path, h, fileSize);
    if (opened != ReadResult::kOk || fileSize > 0x7FFFFFFF) {
        return opened == ReadResult::kOk ? ReadResult::kFailed : opened;
    }
    if (stat != nullptr) {
        FILETIME lastWrite{};
        if (!GetFileTime(h.Get(), nullptr, nullptr, &lastWrite)) {
            return ReadResult::kFailed;
        }
        stat->size = fileSize;
        stat->lastWrite = FromFileTime(lastWrite);
    }
    const DWORD size = static_cast<DWORD>(fileSize);
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

ReadResult ReadFileInPieces(const std::u16string& path, const std::function<bool(uint64_t)>& begin,
                            const std::function<bool(const char*, size_t)>& consume) {
    Handle h;
    uint64_t size = 0;
    const ReadResult opened = OpenForReading(path, h, size);
    if (opened != ReadResult::kOk || !begin(size)) {
        return opened == ReadResult::kOk ? ReadResult::kFailed : opened;
    }
    constexpr DWORD kPiece = PieceBuffer::kPieceSize;
    PieceBuffer piece;
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h.Get(), piece.Data(), kPiece, &n, nullptr)) {
            return ReadResult::kFailed;
        }
        if (n == 0) {
            return ReadResult::kOk;
        }
        if (!consume(piece.Data(), n)) {
            return ReadResult::kFailed;
        }
    }
}

}  // namespace platform
