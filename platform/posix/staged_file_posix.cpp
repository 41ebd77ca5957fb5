#include "platform/staged_file.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

struct StagedFile::Handle {
    int fd = -1;
};

StagedFile::StagedFile(const std::u16string& destination)
    : destination_(destination), handle_(std::make_unique<Handle>()) {
    std::string staged = NativePath(destination) + ".~tmpXXXXXX";
    handle_->fd = ::mkstemp(&staged[0]);
    if (handle_->fd < 0) {
        error_ = errno;
        return;
    }
    path_ = Utf8ToUtf16(staged);
}

StagedFile::~StagedFile() {
    if (handle_->fd >= 0) {
        ::close(handle_->fd);
    }
    if (!done_ && !path_.empty()) {
        ::unlink(NativePath(path_).c_str());
    }
}

bool StagedFile::Ok() const {
    return !path_.empty();
}

bool StagedFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(handle_->fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool StagedFile::WriteAt(uint64_t offset, std::string_view bytes) {
    if (::lseek(handle_->fd, static_cast<off_t>(offset), SEEK_SET) < 0) {
        error_ = errno;
        return false;
    }
    return Append(bytes);
}

bool StagedFile::Close() {
    const int fd = handle_->fd;
    handle_->fd = -1;
    if (fd >= 0 && ::close(fd) != 0) {
        error_ = errno;
        return false;
    }
    return true;
}

WriteResult StagedFile::Commit() {
    done_ = true;
    WriteResult result;
    const std::string native = NativePath(destination_);
    const std::string staged = NativePath(path_);
    struct stat st {};
    const mode_t mode = ::stat(native.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (::chmod(staged.c_str(), mode) != 0 || ::rename(staged.c_str(), native.c_str()) != 0) {
        result.error = errno;
        ::unlink(staged.c_str());
        return result;
    }
    result.outcome = WriteOutcome::kWritten;
    return result;
}

MappedFile::MappedFile(const std::u16string& path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) {
        error_ = fd < 0 ? errno : EINVAL;
        if (fd >= 0) {
            ::close(fd);
        }
        return;
    }
    void* data = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (data == MAP_FAILED) {
        error_ = errno;
        return;
    }
    data_ = static_cast<const char*>(data);
    size_ = static_cast<size_t>(st.st_size);
}

MappedFile::~MappedFile() {
    if (data_ != nullptr) {
        ::munmap(const_cast<char*>(data_), size_);
    }
}

}  // namespace platform
