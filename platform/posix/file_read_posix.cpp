#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/file_time.h"
#include "platform/posix/native_path.h"

namespace platform {

namespace {

// Opens the regular file at path for reading and tells its size (and last-write time, when
// asked); fd is -1 unless kOk.
ReadResult OpenForReading(const std::u16string& path, int& fd, uint64_t& size,
                          int64_t* lastWrite = nullptr) {
    fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fd = -1;
        return ReadResult::kFailed;
    }
    size = static_cast<uint64_t>(st.st_size);
    if (lastWrite != nullptr) {
        *lastWrite = LastWriteOf(st);
    }
    return ReadResult::kOk;
}

}  // namespace

ReadResult ReadWholeFileInto(const std::u16string& path, ReadTarget& target, size_t& got,
                             FileStat* stat) {
    got = 0;
    int fd = -1;
    uint64_t fileSize = 0;
    int64_t lastWrite = 0;
    const ReadResult opened = OpenForReading(path, fd, fileSize, &lastWrite);
    if (opened != ReadResult::kOk) {
        return opened;
    }
    if (stat != nullptr) {
        stat->size = fileSize;
        stat->lastWrite = lastWrite;
    }
    const size_t size = static_cast<size_t>(fileSize);
    char* room = target.Allocate(size);
    if (room == nullptr && size > 0) {
        ::close(fd);
        return ReadResult::kFailed;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::read(fd, room + done, size - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            return ReadResult::kFailed;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    got = done;
    return ReadResult::kOk;
}

ReadResult ReadFileInPieces(const std::u16string& path, const std::function<bool(uint64_t)>& begin,
                            const std::function<bool(const char*, size_t)>& consume) {
    int fd = -1;
    uint64_t size = 0;
    const ReadResult opened = OpenForReading(path, fd, size);
    if (opened != ReadResult::kOk) {
        return opened;
    }
    ReadResult result = ReadResult::kFailed;
    if (begin(size)) {
        constexpr size_t kPiece = PieceBuffer::kPieceSize;
        PieceBuffer piece;
        for (;;) {
            const ssize_t n = ::read(fd, piece.Data(), kPiece);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n == 0) {
                result = ReadResult::kOk;
            }
            if (n <= 0 || !consume(piece.Data(), static_cast<size_t>(n))) {
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

}  // namespace platform
