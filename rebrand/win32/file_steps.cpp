#include "rebrand/win32/file_steps.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/win32/handle.h"

namespace rebrand {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

bool FileId(const std::u16string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const platform::Handle h(CreateFileW(
        W(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return h.Valid() && GetFileInformationByHandle(h.Get(), &info) != FALSE;
}

}  // namespace

bool ReadFileUnshared(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    const platform::Handle h(CreateFileW(W(path), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.Valid()) {
        return false;
    }
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(h.Get(), &size) && size.QuadPart <= 0x7FFFFFFF;
    if (ok && size.QuadPart > 0) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(h.Get(), &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) &&
             got == bytes.size();
    }
    if (!ok) {
        bytes.clear();
    }
    return ok;
}

bool IsSameFile(const std::u16string& a, const std::u16string& b) {
    BY_HANDLE_FILE_INFORMATION ia{};
    BY_HANDLE_FILE_INFORMATION ib{};
    return FileId(a, ia) && FileId(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

CopyResult CopyOver(const std::u16string& source, const std::u16string& destination,
                    const std::u16string& root, platform::WriteResult* write) {
    platform::WriteResult local;
    platform::WriteResult& result = write != nullptr ? *write : local;
    result = platform::WriteResult{};
    if (IsSameFile(source, destination)) {
        result.outcome = platform::WriteOutcome::kWritten;
        return CopyResult::kSameFile;
    }
    std::string bytes;
    if (platform::ReadWholeFile(source, bytes) != platform::ReadResult::kOk) {
        return CopyResult::kFailed;
    }
    result = platform::WriteFileSafely(destination, bytes, root);
    return result.Written() ? CopyResult::kCopied : CopyResult::kFailed;
}

RenameResult RenameFileTo(const std::u16string& oldPath, const std::u16string& newPath) {
    if (GetFileAttributesW(W(newPath)) != INVALID_FILE_ATTRIBUTES) {
        if (!IsSameFile(oldPath, newPath)) {
            return RenameResult::kTargetExists;
        }
        // Only the letter case changes. Some file systems take that as "already there",
        // so the file goes through an intermediate name.
        const std::u16string between = oldPath + u".~ren";
        if (!MoveFileExW(W(oldPath), W(between), 0)) {
            return RenameResult::kFailed;
        }
        if (MoveFileExW(W(between), W(newPath), 0)) {
            return RenameResult::kRenamed;
        }
        MoveFileExW(W(between), W(oldPath), 0);
        return RenameResult::kFailed;
    }
    if (MoveFileExW(W(oldPath), W(newPath), 0)) {
        return RenameResult::kRenamed;
    }
    return GetLastError() == ERROR_ALREADY_EXISTS ? RenameResult::kTargetExists
                                                  : RenameResult::kFailed;
}

}  // namespace rebrand
