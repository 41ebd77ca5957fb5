#include "rebrand/win32/resource_update.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/win32/replace.h"
#include "rebrand/resource_tree.h"
#include "rebrand/resource_writer.h"

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

// The new image written to a file, sequentially, in large writes.
class FileSink : public ImageSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Append(std::string_view bytes) override { return Write(bytes); }
    bool WriteAt(uint64_t offset, std::string_view bytes) override {
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(offset);
        return SetFilePointerEx(file_, at, nullptr, FILE_BEGIN) && Write(bytes);
    }

private:
    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            const DWORD chunk =
                bytes.size() > 0x40000000 ? 0x40000000 : static_cast<DWORD>(bytes.size());
            DWORD written = 0;
            if (!WriteFile(file_, bytes.data(), chunk, &written, nullptr) || written != chunk) {
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    HANDLE file_;
};

// The tree's change for one update: the resource set, keeping its code page.
void Apply(ResourceTree& tree, const ResourceUpdate& u) {
    tree.Set(ResourceName::Id(u.type), ResourceName::Id(u.id), ResourceName::Id(u.language),
             u.data);
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
    const MappedFile original(exePath_, false);
    ResourceTree tree;
    if (!original.Ok()) {
        write.error = static_cast<int>(GetLastError());
        return built_;
    }
    if (ReadResourceTree(original.View(), tree) != PeStatus::kOk) {
        write.error = ERROR_INVALID_DATA;
        return built_;
    }
    // All steps at once; when they do not fit, one step fewer, and so on.
    ImagePlan plan;
    size_t count = steps_.size();
    for (; count > 0; --count) {
        ResourceTree changed = tree;
        for (size_t i = 0; i < count; ++i) {
            for (const ResourceUpdate& u : steps_[i]) {
                Apply(changed, u);
            }
        }
        const ResourceWriteStatus status = PlanResourceWrite(original.View(), changed, plan);
        if (status == ResourceWriteStatus::kOk) {
            break;
        }
        // Why the first step left out cannot be made.
        result_.movedSection = plan.movedSection;
        write.error = ERROR_INVALID_DATA;
    }
    if (count == 0) {
        return built_;
    }
    if (!WriteCopy(original.View(), plan)) {
        result_.movedSection.clear();
        return built_;
    }
    std::fill(built_.begin(), built_.begin() + static_cast<ptrdiff_t>(count), true);
    return built_;
}

bool StagedExecutable::WriteCopy(std::string_view original, const ImagePlan& plan) {
    platform::Handle file = platform::CreateStagingFile(exePath_, copy_);
    if (!file.Valid()) {
        result_.write.error = static_cast<int>(GetLastError());
        copy_.clear();
        return false;
    }
    FileSink sink(file.Get());
    const bool written = WriteImage(original, plan, sink);
    const DWORD error = written ? 0 : GetLastError();
    if (!file.Close() || !written) {
        result_.write.error = static_cast<int>(written ? GetLastError() : error);
        platform::RemoveFile(copy_);  // a copy that broke off (a full disk) goes
        copy_.clear();
        return false;
    }
    return true;
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
