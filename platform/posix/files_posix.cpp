#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/file_ops.h"
#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

namespace {

bool WriteAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Removes what a killed run left beside path under the tool's own pattern.
void RemoveLeftovers(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        return;
    }
    while (const dirent* e = ::readdir(dir)) {
        const std::string entry = e->d_name;
        if (entry.compare(0, name.size() + 5, name + ".~tmp") == 0 ||
            entry.compare(0, name.size() + 5, name + ".~bak") == 0) {
            ::unlink((folder + "/" + entry).c_str());
        }
    }
    ::closedir(dir);
}

}  // namespace

bool MayWriteSafely(const std::u16string& path, const std::u16string& root, WriteResult& result) {
    if (!root.empty() && !ResolvesInside(path, root, result.resolved)) {
        result.outcome = WriteOutcome::kOutsideRoot;
        result.error = EACCES;
        return false;
    }
    result.resolved.clear();
    struct stat st {};
    // Root may write anything; a file without write permission still counts as read-only
    // here, as it does on Windows for every user.
    if (::stat(NativePath(path).c_str(), &st) == 0 &&
        (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)) {
        result.error = EACCES;
        return false;
    }
    return true;
}

WriteResult WriteFileSafely(const std::u16string& path, const void* data, size_t size,
                            const std::u16string& root) {
    WriteResult result;
    if (!MayWriteSafely(path, root, result)) {
        return result;
    }
    const std::string native = NativePath(path);
    struct stat st {};
    const mode_t mode = ::stat(native.c_str(), &st) == 0 ? st.st_mode & 07777 : 0644;
    std::string tmp = native + ".~tmpXXXXXX";
    const int fd = ::mkstemp(&tmp[0]);
    if (fd < 0) {
        result.error = errno;
        return result;
    }
    bool ok = WriteAll(fd, static_cast<const char*>(data), size) && ::fchmod(fd, mode) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && ::rename(tmp.c_str(), native.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        result.error = err;
        return result;
    }
    RemoveLeftovers(native);
    result.outcome = WriteOutcome::kWritten;
    return result;
}

WriteResult CopyFileSafely(const std::u16string& from, const std::u16string& to,
                           const std::u16string& root,
                           const std::function<bool(const char*, size_t)>& observe) {
    WriteResult result;
    std::string bytes;
    const ReadResult read = ReadWholeFile(from, bytes);
    if (read != ReadResult::kOk) {
        result.error = read == ReadResult::kMissing ? ENOENT : EIO;
        return result;
    }
    if (observe && !observe(bytes.data(), bytes.size())) {
        result.error = ECANCELED;
        return result;
    }
    return WriteFileSafely(to, bytes, root);
}

bool IsDirectory(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PathExists(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

}  // namespace platform

namespace platform {

ReadResult ReadWholeFileUnshared(const std::u16string& path, std::string& bytes) {
    return ReadWholeFile(path, bytes);
}

}  // namespace platform
