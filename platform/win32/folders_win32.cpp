#include "platform/folders.h"

#include <windows.h>

#include "platform/win32/wide.h"

namespace platform {

bool CreateFolder(const std::u16string& path, int* errorCode) {
    if (CreateDirectoryW(W(path), nullptr)) {
        return true;
    }
    const DWORD err = GetLastError();
    const DWORD attrs = GetFileAttributesW(W(path));
    if (err == ERROR_ALREADY_EXISTS && attrs != INVALID_FILE_ATTRIBUTES &&
        (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return true;
    }
    SetLastError(err);
    return Fail(errorCode);
}

bool SetHidden(const std::u16string& path) {
    const DWORD attrs = GetFileAttributesW(W(path));
    return attrs != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(W(path), attrs | FILE_ATTRIBUTE_HIDDEN) != FALSE;
}

bool RemoveFile(const std::u16string& path, int* errorCode) {
    if (DeleteFileW(W(path))) {
        return true;
    }
    const DWORD err = GetLastError();
    if (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) {
        return true;
    }
    SetLastError(err);
    return Fail(errorCode);
}

bool RemoveEmptyFolder(const std::u16string& path) {
    return RemoveDirectoryW(W(path)) != FALSE;
}

}  // namespace platform
