#include "platform/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/unicode.h"

namespace platform {

namespace {

std::string NativePath(const std::u16string& path) {
    std::string p = Utf16ToUtf8(path);
    for (char& c : p) {
        if (c == '\\') {
            c = '/';
        }
    }
    return p;
}

void SetError(int* errorCode, int value) {
    if (errorCode != nullptr) {
        *errorCode = value;
    }
}

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

}  // namespace

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    bytes.clear();
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
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t got = 0;
    while (true) {
        if (got == bytes.size()) {
            bytes.resize(bytes.size() + 4096);  // the file may have grown
        }
        const ssize_t n = ::read(fd, &bytes[got], bytes.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            ::close(fd);
            bytes.clear();
            return ReadResult::kFailed;
        }
        if (n == 0) {
            break;
        }
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    bytes.resize(got);
    return ReadResult::kOk;
}

bool WriteFileReplacing(const std::u16string& path, const void* data, size_t size, int* errorCode) {
    const std::string native = NativePath(path);
    struct stat st {};
    mode_t mode = 0644;
    if (::stat(native.c_str(), &st) == 0) {
        // Root may write anything; a file without write permission still counts as
        // read-only here, as it does on Windows for every user.
        if (!S_ISREG(st.st_mode) || (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            SetError(errorCode, EACCES);
            return false;
        }
        mode = st.st_mode & 07777;
    }
    std::string tmp = native + ".~tmpXXXXXX";
    const int fd = ::mkstemp(&tmp[0]);
    if (fd < 0) {
        SetError(errorCode, errno);
        return false;
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
        SetError(errorCode, err);
    }
    return ok;
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
