#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/native_path.h"
#include "platform/unicode.h"

namespace platform {

bool CreateFolder(const std::u16string& path, int* errorCode) {
    const std::string native = NativePath(path);
    if (::mkdir(native.c_str(), 0755) == 0) {
        return true;
    }
    struct stat st {};
    if (errno == EEXIST && ::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        return true;
    }
    return FailWithErrno(errorCode);
}

// POSIX file systems have no hidden attribute.
bool SetHidden(const std::u16string& path) {
    struct stat st {};
    return ::stat(NativePath(path).c_str(), &st) == 0;
}

bool RemoveFile(const std::u16string& path, int* errorCode) {
    if (::unlink(NativePath(path).c_str()) == 0 || errno == ENOENT) {
        return true;
    }
    return FailWithErrno(errorCode);
}

bool RemoveEmptyFolder(const std::u16string& path) {
    return ::rmdir(NativePath(path).c_str()) == 0;
}

}  // namespace platform
