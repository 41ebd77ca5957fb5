#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/posix/native_path.h"

namespace platform {

ReadResult ReadWholeFileInto(const std::u16string& path, ReadTarget& target, size_t& got) {
    got = 0;
    const std::string native = NativePath(path);
    const int fd = ::open(native.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return (errno == ENOENT || errno == ENOTDIR) ? ReadResult::kMissing : ReadResult::kFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return ReadResult::kFailed;
    }
    const size_t size = static_cast<size_t>(st.st_size);
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

bool FileHolds(const std::u16string& path, const void* data, size_t size) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    bool same = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                static_cast<unsigned long long>(st.st_size) == size;
    constexpr size_t kPiece = 256 * 1024;
    thread_local std::vector<char> piece(kPiece);
    const char* expected = static_cast<const char*>(data);
    size_t done = 0;
    while (same && done < size) {
        const ssize_t n = ::read(fd, piece.data(), size - done < kPiece ? size - done : kPiece);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        same = n > 0 && std::memcmp(piece.data(), expected + done, static_cast<size_t>(n)) == 0;
        done += same ? static_cast<size_t>(n) : 0;
    }
    // Nothing beyond the expected end (the file may have grown since its size was read).
    char extra = 0;
    same = same && ::read(fd, &extra, 1) == 0;
    ::close(fd);
    return same;
}

}  // namespace platform
