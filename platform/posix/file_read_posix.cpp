#include "platform/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

}  // namespace platform
