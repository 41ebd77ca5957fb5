#include "rebrand/win32/resource_update.h"

#include <windows.h>

namespace rebrand {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// A copy of the executable under a new name in its folder.
bool CopyBeside(const std::u16string& exePath, std::u16string& copyPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".~upd%lx%x", GetCurrentProcessId(), ++counter);
        copyPath = exePath + reinterpret_cast<const char16_t*>(suffix);
        if (CopyFileW(W(exePath), W(copyPath), TRUE)) {
            // The copy must be writable even when the executable is not.
            SetFileAttributesW(W(copyPath), FILE_ATTRIBUTE_NORMAL);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    return false;
}

bool ApplyUpdates(const std::u16string& path, const std::vector<ResourceUpdate>& updates) {
    const HANDLE update = BeginUpdateResourceW(W(path), FALSE);
    if (update == nullptr) {
        return false;
    }
    for (const ResourceUpdate& u : updates) {
        if (!UpdateResourceW(update, MAKEINTRESOURCEW(u.type), MAKEINTRESOURCEW(u.id), u.language,
                             const_cast<char*>(u.data.data()),
                             static_cast<DWORD>(u.data.size()))) {
            EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return EndUpdateResourceW(update, FALSE) != FALSE;
}

}  // namespace

bool UpdateExecutableResources(const std::u16string& exePath,
                               const std::vector<ResourceUpdate>& updates) {
    const DWORD attrs = GetFileAttributesW(W(exePath));
    if (attrs == INVALID_FILE_ATTRIBUTES ||
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    std::u16string copy;
    if (!CopyBeside(exePath, copy)) {
        return false;
    }
    const bool ok = ApplyUpdates(copy, updates) &&
                    ReplaceFileW(W(exePath), W(copy), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr);
    if (!ok) {
        DeleteFileW(W(copy));
    }
    return ok;
}

}  // namespace rebrand
