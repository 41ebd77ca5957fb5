#include "platform/file_ops.h"

#include <windows.h>

#include <vector>

#include "platform/win32/handle.h"
#include "platform/win32/wide.h"

namespace platform {

namespace {

// Opened for its attributes only, without following a final link when asked not to.
Handle OpenForInfo(const std::u16string& path, DWORD flags) {
    return Handle(CreateFileW(W(path), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr));
}

}  // namespace

bool LinkFile(const std::u16string& existing, const std::u16string& link, int* errorCode) {
    return CreateHardLinkW(W(link), W(existing), nullptr) != FALSE || Fail(errorCode);
}

bool MoveNoReplace(const std::u16string& from, const std::u16string& to, int* errorCode) {
    return MoveFileExW(W(from), W(to), MOVEFILE_WRITE_THROUGH) != FALSE || Fail(errorCode);
}

bool IsLink(const std::u16string& path) {
    const DWORD attrs = GetFileAttributesW(W(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsRegularFile(const std::u16string& path) {
    const Handle h = OpenForInfo(path, 0);
    BY_HANDLE_FILE_INFORMATION info{};
    return h.Valid() && GetFileType(h.Get()) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(h.Get(), &info) != FALSE &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsReadOnly(const std::u16string& path) {
    const DWORD attrs = GetFileAttributesW(W(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_READONLY) != 0;
}

bool SetReadOnly(const std::u16string& path, bool readOnly) {
    const DWORD attrs = GetFileAttributesW(W(path));
    if (attrs == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    const DWORD changed =
        readOnly ? attrs | FILE_ATTRIBUTE_READONLY : attrs & ~DWORD{FILE_ATTRIBUTE_READONLY};
    return SetFileAttributesW(W(path), changed == 0 ? FILE_ATTRIBUTE_NORMAL : changed) != FALSE;
}

bool MayReplaceNow(const std::u16string& path) {
    const Handle h(CreateFileW(W(path), DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.Valid() || GetLastError() != ERROR_SHARING_VIOLATION;
}

bool SameFile(const std::u16string& a, const std::u16string& b) {
    BY_HANDLE_FILE_INFORMATION ia{};
    BY_HANDLE_FILE_INFORMATION ib{};
    const Handle ha = OpenForInfo(a, 0);
    const Handle hb = OpenForInfo(b, 0);
    return ha.Valid() && hb.Valid() && GetFileInformationByHandle(ha.Get(), &ia) &&
           GetFileInformationByHandle(hb.Get(), &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::vector<std::u16string> ListFiles(const std::u16string& folder) {
    std::vector<std::u16string> names;
    WIN32_FIND_DATAW found{};
    const std::u16string pattern = folder + u"\\*";
    const HANDLE find = FindFirstFileW(W(pattern), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.emplace_back(reinterpret_cast<const char16_t*>(found.cFileName));
        }
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

}  // namespace platform

namespace platform {

std::u16string FullPath(const std::u16string& path) {
    std::vector<wchar_t> buffer(32768);
    const DWORD n =
        GetFullPathNameW(W(path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    return n == 0 || n >= buffer.size()
               ? path
               : std::u16string(reinterpret_cast<const char16_t*>(buffer.data()), n);
}

std::u16string StoredName(const std::u16string& path) {
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(W(path), &found);
    if (find == INVALID_HANDLE_VALUE) {
        return path;
    }
    FindClose(find);
    const size_t slash = path.find_last_of(u"\\/");
    const std::u16string folder = slash == std::u16string::npos ? u"" : path.substr(0, slash + 1);
    return folder + reinterpret_cast<const char16_t*>(found.cFileName);
}

}  // namespace platform
