#include "platform/files.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace platform {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

void SetError(int* errorCode, DWORD value) {
    if (errorCode != nullptr) {
        *errorCode = static_cast<int>(value);
    }
}

// A name in the destination's folder that no other file has yet.
HANDLE CreateTempBeside(const std::u16string& path, std::u16string& tmp) {
    static std::atomic<unsigned> counter{0};  // files are saved from several threads
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".~tmp%lx%x", GetCurrentProcessId(), counter.fetch_add(1) + 1);
        tmp = path + reinterpret_cast<const char16_t*>(suffix);
        HANDLE h = CreateFileW(W(tmp), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) {
            return h;
        }
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD err = GetLastError();
        return (err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND) ? ReadResult::kMissing
                                                                            : ReadResult::kFailed;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size) || size.QuadPart > 0x7FFFFFFF) {
        CloseHandle(h);
        return ReadResult::kFailed;
    }
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD got = 0;
    const BOOL ok =
        bytes.empty() || ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    if (!ok) {
        bytes.clear();
        return ReadResult::kFailed;
    }
    bytes.resize(got);
    return ReadResult::kOk;
}

bool WriteFileReplacing(const std::u16string& path, const void* data, size_t size, int* errorCode) {
    const DWORD attrs = GetFileAttributesW(W(path));
    const bool exists = attrs != INVALID_FILE_ATTRIBUTES;
    if (exists && (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        SetError(errorCode, ERROR_ACCESS_DENIED);
        return false;
    }
    std::u16string tmp;
    HANDLE h = CreateTempBeside(path, tmp);
    if (h == INVALID_HANDLE_VALUE) {
        SetError(errorCode, GetLastError());
        return false;
    }
    const char* p = static_cast<const char*>(data);
    bool ok = true;
    while (ok && size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        ok = WriteFile(h, p, chunk, &written, nullptr) && written == chunk;
        p += written;
        size -= written;
    }
    DWORD err = ok ? 0 : GetLastError();
    if (!CloseHandle(h) && ok) {
        ok = false;
        err = GetLastError();
    }
    if (ok) {
        // ReplaceFileW keeps the former file's attributes and security; a new file is
        // simply moved into place.
        ok = exists ? ReplaceFileW(W(path), W(tmp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                   nullptr, nullptr) != FALSE
                    : MoveFileExW(W(tmp), W(path), 0) != FALSE;
        if (!ok) {
            err = GetLastError();
        }
    }
    if (!ok) {
        DeleteFileW(W(tmp));
        SetError(errorCode, err);
    }
    return ok;
}

bool IsDirectory(const std::u16string& path) {
    const DWORD attrs = GetFileAttributesW(W(path));
    return attrs != INVALID_FILE_ATTRIBUTES && (attrs & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::u16string& path) {
    return GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace platform
