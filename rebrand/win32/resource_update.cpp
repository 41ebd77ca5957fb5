#include "rebrand/win32/resource_update.h"

#include <windows.h>

#include <string_view>

#include "rebrand/pe_image.h"

namespace rebrand {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// A whole file mapped into memory, read-only or writable, for the lifetime of the object.
class MappedFile {
public:
    MappedFile(const std::u16string& path, bool writable) {
        file_ = CreateFileW(W(path), writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                            writable ? 0 : FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        LARGE_INTEGER size{};
        if (file_ == INVALID_HANDLE_VALUE || !GetFileSizeEx(file_, &size) || size.QuadPart == 0) {
            return;
        }
        mapping_ = CreateFileMappingW(file_, nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0,
                                      0, nullptr);
        if (mapping_ != nullptr) {
            data_ = static_cast<char*>(
                MapViewOfFile(mapping_, writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
            size_ = data_ != nullptr ? static_cast<size_t>(size.QuadPart) : 0;
        }
    }
    ~MappedFile() {
        if (data_ != nullptr) {
            UnmapViewOfFile(data_);
        }
        if (mapping_ != nullptr) {
            CloseHandle(mapping_);
        }
        if (file_ != INVALID_HANDLE_VALUE) {
            CloseHandle(file_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Ok() const { return data_ != nullptr; }
    std::string_view View() const { return std::string_view(data_, size_); }
    char* Data() { return data_; }

private:
    HANDLE file_ = INVALID_HANDLE_VALUE;
    HANDLE mapping_ = nullptr;
    char* data_ = nullptr;
    size_t size_ = 0;
};

bool WriteAt(HANDLE file, uint64_t offset, const char* data, size_t size) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) {
        return false;
    }
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) {
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Makes the edits to the file at path: cut (or extend) it, append, write the words.
bool EditFile(const std::u16string& path, const ByteEdits& edits) {
    const HANDLE file = CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(edits.keep);
    bool ok = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file) &&
              WriteAt(file, edits.keep, edits.append.data(), edits.append.size());
    for (const auto& [offset, value] : edits.words) {
        const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8),
                               static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
        ok = ok && WriteAt(file, offset, bytes, 4);
    }
    return CloseHandle(file) && ok;
}

// A copy of the executable under a new name in its folder, made by the file system.
bool CopyBeside(const std::u16string& exePath, std::u16string& copyPath) {
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        wchar_t suffix[40];
        wsprintfW(suffix, L".~upd%lx%x", GetCurrentProcessId(), ++counter);
        copyPath = exePath + reinterpret_cast<const char16_t*>(suffix);
        if (CopyFileW(W(exePath), W(copyPath), TRUE)) {
            // The copy must be writable even where the executable is not.
            SetFileAttributesW(W(copyPath), FILE_ATTRIBUTE_NORMAL);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) {
            DeleteFileW(W(copyPath));  // a copy that broke off (a full disk) goes
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
                             const_cast<char*>(u.data.data()), static_cast<DWORD>(u.data.size()))) {
            EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return EndUpdateResourceW(update, FALSE) != FALSE;
}

// Gives the copy what the update itself may have dropped or moved, the same on every
// platform: the data that followed the sections (once), the symbol table's position, and
// the checksum when the original had one.
bool FinishUpdatedCopy(const std::u16string& copyPath, const PreparedCopy& prepared) {
    ByteEdits edits;
    uint32_t checksumOffset = 0;
    {
        const MappedFile updated(copyPath, false);
        if (!updated.Ok() ||
            PlanFinish(updated.View(), prepared, edits, checksumOffset) != PeStatus::kOk) {
            return false;
        }
    }
    if (!EditFile(copyPath, edits)) {
        return false;
    }
    if (checksumOffset == 0) {
        return true;
    }
    MappedFile finished(copyPath, true);
    if (!finished.Ok() || checksumOffset + 4 > finished.View().size()) {
        return false;
    }
    const uint32_t sum = ComputePeChecksum(finished.View(), checksumOffset);
    for (int i = 0; i < 4; ++i) {
        finished.Data()[checksumOffset + i] = static_cast<char>((sum >> (8 * i)) & 0xFF);
    }
    return true;
}

}  // namespace

bool UpdateExecutableResources(const std::u16string& exePath,
                               const std::vector<ResourceUpdate>& updates) {
    const DWORD attrs = GetFileAttributesW(W(exePath));
    if (attrs == INVALID_FILE_ATTRIBUTES ||
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    PreparedCopy prepared;
    ByteEdits edits;
    {
        const MappedFile original(exePath, false);
        if (!original.Ok() || PlanPrepare(original.View(), prepared, edits) != PeStatus::kOk) {
            return false;
        }
    }
    std::u16string copy;
    if (!CopyBeside(exePath, copy)) {
        return false;
    }
    const bool ok = EditFile(copy, edits) && ApplyUpdates(copy, updates) &&
                    FinishUpdatedCopy(copy, prepared) &&
                    ReplaceFileW(W(exePath), W(copy), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                 nullptr, nullptr);
    if (!ok) {
        DeleteFileW(W(copy));
    }
    return ok;
}

}  // namespace rebrand
