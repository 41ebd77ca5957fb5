#include "platform/staged_file.h"

#include <windows.h>

#include "platform/win32/handle.h"
#include "platform/win32/replace.h"
#include "platform/win32/wide.h"

namespace platform {

struct StagedFile::Handle {
    platform::Handle file;
};

StagedFile::StagedFile(const std::u16string& destination)
    : destination_(destination), handle_(std::make_unique<Handle>()) {
    handle_->file = CreateStagingFile(destination, path_);
    if (!handle_->file.Valid()) {
        error_ = static_cast<int>(GetLastError());
        path_.clear();
    }
}

StagedFile::~StagedFile() {
    handle_->file.Close();
    if (!done_ && !path_.empty()) {
        RemoveFile(path_);
    }
}

bool StagedFile::Ok() const {
    return !path_.empty();
}

bool StagedFile::Append(std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(handle_->file.Get(), bytes.data(), chunk, &written, nullptr) ||
            written != chunk) {
            error_ = static_cast<int>(GetLastError());
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool StagedFile::WriteAt(uint64_t offset, std::string_view bytes) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_->file.Get(), at, nullptr, FILE_BEGIN)) {
        error_ = static_cast<int>(GetLastError());
        return false;
    }
    return Append(bytes);
}

bool StagedFile::Close() {
    if (!handle_->file.Close()) {
        error_ = static_cast<int>(GetLastError());
        return false;
    }
    return true;
}

WriteResult StagedFile::Commit() {
    done_ = true;
    return CommitStaged(destination_, path_);
}

MappedFile::MappedFile(const std::u16string& path) {
    const platform::Handle file = OpenExisting(path, GENERIC_READ, FILE_SHARE_READ);
    LARGE_INTEGER size{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart == 0) {
        error_ = file.Valid() && size.QuadPart == 0 ? ERROR_INVALID_DATA
                                                    : static_cast<int>(GetLastError());
        return;
    }
    mapping_ = CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping_ == nullptr) {
        error_ = static_cast<int>(GetLastError());
        return;
    }
    data_ = static_cast<const char*>(MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0));
    size_ = data_ != nullptr ? static_cast<size_t>(size.QuadPart) : 0;
    if (data_ == nullptr) {
        error_ = static_cast<int>(GetLastError());
    }
}

MappedFile::~MappedFile() {
    if (data_ != nullptr) {
        UnmapViewOfFile(data_);
    }
    if (mapping_ != nullptr) {
        CloseHandle(mapping_);
    }
}

}  // namespace platform
