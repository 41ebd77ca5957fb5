#include "rebrand/win32/resource_update.h"

#include <windows.h>

#include "platform/files.h"
#include "rebrand/pe_image.h"

namespace rebrand {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

bool WriteAll(HANDLE h, const std::string& bytes) {
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left);
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        p += written;
        left -= written;
    }
    return true;
}

// Writes bytes to path: a new file (disposition CREATE_NEW) or over the existing one
// (TRUNCATE_EXISTING). Setting ERROR_FILE_EXISTS tells the caller to pick another name.
bool WriteWholeFile(const std::u16string& path, const std::string& bytes, DWORD disposition) {
    const HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, disposition,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool written = WriteAll(h, bytes);
    return CloseHandle(h) && written;
}

// A copy of the executable under a new name in its folder.
bool WriteCopyBeside(const std::u16string& exePath, const std::string& bytes,
                     std::u16string& copyPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".~upd%lx%x", GetCurrentProcessId(), ++counter);
        copyPath = exePath + reinterpret_cast<const char16_t*>(suffix);
        if (WriteWholeFile(copyPath, bytes, CREATE_NEW)) {
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            DeleteFileW(W(copyPath));
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

// What the platform wrote, made the same on every platform: the data that followed the
// sections back in place once, the symbol table found again, the checksum recomputed.
bool FinishUpdatedCopy(const std::u16string& copyPath, const PreparedCopy& prepared) {
    std::string updated;
    if (platform::ReadWholeFile(copyPath, updated) != platform::ReadResult::kOk) {
        return false;
    }
    const std::string before = updated;
    if (FinishCopy(updated, prepared) != PeStatus::kOk) {
        return false;
    }
    return updated == before || WriteWholeFile(copyPath, updated, TRUNCATE_EXISTING);
}

}  // namespace

bool UpdateExecutableResources(const std::u16string& exePath,
                               const std::vector<ResourceUpdate>& updates) {
    const DWORD attrs = GetFileAttributesW(W(exePath));
    if (attrs == INVALID_FILE_ATTRIBUTES ||
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    std::string original;
    if (platform::ReadWholeFile(exePath, original) != platform::ReadResult::kOk) {
        return false;
    }
    PreparedCopy prepared;
    if (PrepareCopy(original, prepared) != PeStatus::kOk) {
        return false;
    }
    original.clear();
    original.shrink_to_fit();
    std::u16string copy;
    if (!WriteCopyBeside(exePath, prepared.bytes, copy)) {
        return false;
    }
    prepared.bytes.clear();
    prepared.bytes.shrink_to_fit();
    const bool ok = ApplyUpdates(copy, updates) && FinishUpdatedCopy(copy, prepared) &&
                    ReplaceFileW(W(exePath), W(copy), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr);
    if (!ok) {
        DeleteFileW(W(copy));
    }
    return ok;
}

}  // namespace rebrand
