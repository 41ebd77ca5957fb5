#include "rebrand/win32/resource_update.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/win32/replace.h"
#include "rebrand/pe_image.h"

namespace rebrand {

namespace {

const wchar_t* W(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

// A whole file mapped into memory, read-only or writable, for the lifetime of the object.
class MappedFile {
public:
    MappedFile(const std::u16string& path, bool writable)
        : file_(platform::OpenExisting(path, writable ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                                       writable ? 0 : FILE_SHARE_READ)) {
        LARGE_INTEGER size{};
        if (!file_.Valid() || !GetFileSizeEx(file_.Get(), &size) || size.QuadPart == 0) {
            return;
        }
        mapping_ = platform::Handle(CreateFileMappingW(
            file_.Get(), nullptr, writable ? PAGE_READWRITE : PAGE_READONLY, 0, 0, nullptr));
        if (mapping_.Valid()) {
            data_ = static_cast<char*>(
                MapViewOfFile(mapping_.Get(), writable ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0));
            size_ = data_ != nullptr ? static_cast<size_t>(size.QuadPart) : 0;
        }
    }
    ~MappedFile() {
        if (data_ != nullptr) {
            UnmapViewOfFile(data_);
        }
    }
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Ok() const { return data_ != nullptr; }
    std::string_view View() const { return std::string_view(data_, size_); }
    char* Data() { return data_; }

private:
    platform::Handle file_;
    platform::Handle mapping_;
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
    platform::Handle file = platform::OpenExisting(path, GENERIC_READ | GENERIC_WRITE, 0);
    if (!file.Valid()) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = static_cast<LONGLONG>(edits.keep);
    bool ok = SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()) &&
              WriteAt(file.Get(), edits.keep, edits.append.data(), edits.append.size());
    for (const auto& [offset, value] : edits.words) {
        const char bytes[4] = {static_cast<char>(value & 0xFF), static_cast<char>(value >> 8),
                               static_cast<char>(value >> 16), static_cast<char>(value >> 24)};
        ok = ok && WriteAt(file.Get(), offset, bytes, 4);
    }
    return file.Close() && ok;
}

// A copy of the executable beside it, under the platform's temporary pattern, made by the
// file system.
bool CopyBeside(const std::u16string& exePath, std::u16string& copyPath) {
    if (!platform::CreateStagingFile(exePath, copyPath).Valid()) {
        return false;
    }
    if (!platform::RetryWhileHeld([&] { return CopyFileW(W(exePath), W(copyPath), FALSE); })) {
        platform::RemoveFile(copyPath);  // a copy that broke off (a full disk) goes
        return false;
    }
    // The copy must be writable even where the executable is not.
    SetFileAttributesW(W(copyPath), FILE_ATTRIBUTE_NORMAL);
    return true;
}

// The platform's resource update on the file at path. When it fails while another program
// holds the file, GetLastError says so (the update itself does not always tell): the file
// was then not written, and the update can be tried again.
bool ApplyUpdates(const std::u16string& path, const std::vector<ResourceUpdate>& updates) {
    const auto failed = [&] {
        const platform::Handle probe(CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (probe.Valid()) {
            SetLastError(ERROR_INVALID_DATA);
        }
        return false;
    };
    const HANDLE update = BeginUpdateResourceW(W(path), FALSE);
    if (update == nullptr) {
        return failed();
    }
    for (const ResourceUpdate& u : updates) {
        if (!UpdateResourceW(update, MAKEINTRESOURCEW(u.type), MAKEINTRESOURCEW(u.id), u.language,
                             const_cast<char*>(u.data.data()), static_cast<DWORD>(u.data.size()))) {
            EndUpdateResourceW(update, TRUE);
            SetLastError(ERROR_INVALID_DATA);
            return false;
        }
    }
    return EndUpdateResourceW(update, FALSE) != FALSE || failed();
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

StagedExecutable::StagedExecutable(std::u16string exePath, std::u16string root)
    : exePath_(std::move(exePath)), root_(std::move(root)) {}

StagedExecutable::~StagedExecutable() {
    if (!copy_.empty()) {
        platform::RemoveFile(copy_);
    }
}

size_t StagedExecutable::AddStep(std::vector<ResourceUpdate> updates) {
    steps_.push_back(std::move(updates));
    return steps_.size() - 1;
}

const std::vector<bool>& StagedExecutable::Build() {
    built_.assign(steps_.size(), false);
    result_ = UpdateResult{};
    platform::WriteResult& write = result_.write;
    if (!root_.empty() && !platform::ResolvesInside(exePath_, root_, write.resolved)) {
        write.outcome = platform::WriteOutcome::kOutsideRoot;
        write.error = ERROR_ACCESS_DENIED;
        return built_;
    }
    write.resolved.clear();
    const DWORD attrs = GetFileAttributesW(W(exePath_));
    if (attrs == INVALID_FILE_ATTRIBUTES ||
        (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        write.error = ERROR_ACCESS_DENIED;
        return built_;
    }
    // All steps at once; when that fails, one step fewer, and so on.
    for (size_t count = steps_.size(); count > 0; --count) {
        if (MakeCopy(count)) {
            std::fill(built_.begin(), built_.begin() + static_cast<ptrdiff_t>(count), true);
            return built_;
        }
        if (copy_.empty()) {
            break;  // no copy at all: no step can be made
        }
        platform::RemoveFile(copy_);
        copy_.clear();
    }
    return built_;
}

bool StagedExecutable::MakeCopy(size_t stepCount) {
    platform::WriteResult& write = result_.write;
    PreparedCopy prepared;
    ByteEdits edits;
    std::vector<SectionPlace> before;
    {
        const MappedFile original(exePath_, false);
        if (!original.Ok() || PlanPrepare(original.View(), prepared, edits) != PeStatus::kOk) {
            write.error = static_cast<int>(GetLastError());
            return false;
        }
        before = SectionPlaces(original.View());
    }
    if (!CopyBeside(exePath_, copy_)) {
        write.error = static_cast<int>(GetLastError());
        copy_.clear();
        return false;
    }
    std::vector<ResourceUpdate> updates;
    for (size_t i = 0; i < stepCount; ++i) {
        updates.insert(updates.end(), steps_[i].begin(), steps_[i].end());
    }
    // Another program may open the new copy at any moment (a scanner, an indexer): each
    // step waits for it. A refused update has not written anything, so it is tried again.
    bool ok = EditFile(copy_, edits) &&
              platform::RetryWhileHeld([&] { return ApplyUpdates(copy_, updates); }) &&
              FinishUpdatedCopy(copy_, prepared);
    if (ok) {
        // The platform's update moves the sections behind a grown resource section; an
        // image whose code or data moved no longer runs.
        const MappedFile updated(copy_, false);
        ok = updated.Ok();
        if (ok) {
            result_.movedSection = MovedSection(before, SectionPlaces(updated.View()));
            ok = result_.movedSection.empty();
        }
    }
    if (!ok) {
        write.error = static_cast<int>(GetLastError());
    }
    return ok;
}

const UpdateResult& StagedExecutable::Commit() {
    if (copy_.empty() || built_.empty() || !built_[0]) {
        return result_;
    }
    result_.write = platform::CommitStaged(exePath_, copy_);
    // Moved in, removed, or (kDestinationMissing) kept as the only file with the new bytes.
    copy_.clear();
    return result_;
}

}  // namespace rebrand
