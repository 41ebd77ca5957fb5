#include "rebrand/staged_executable.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "platform/errors.h"
#include "platform/file_ops.h"
#include "platform/staged_file.h"
#include "rebrand/resource_tree.h"

namespace rebrand {

namespace {

// The new image streamed into the staged file.
class StagedSink : public ImageSink {
public:
    explicit StagedSink(platform::StagedFile& file) : file_(file) {}
    bool Append(std::string_view bytes) override { return file_.Append(bytes); }
    bool WriteAt(uint64_t offset, std::string_view bytes) override {
        return file_.WriteAt(offset, bytes);
    }

private:
    platform::StagedFile& file_;
};

// The tree's change for one update: the resource set, keeping its code page.
void Apply(ResourceTree& tree, const ResourceUpdate& u) {
    tree.Set(ResourceName::Id(u.type), ResourceName::Id(u.id), ResourceName::Id(u.language),
             u.data);
}

}  // namespace

std::optional<std::string> ReadExecutableResource(const std::u16string& path, uint16_t type,
                                                  uint16_t id, uint16_t language) {
    const platform::MappedFile image(path);
    ResourceTree tree;
    if (!image.Ok() || ReadResourceTree(image.View(), tree) != PeStatus::kOk) {
        return std::nullopt;
    }
    const ResourceData* data =
        tree.Find(ResourceName::Id(type), ResourceName::Id(id), ResourceName::Id(language));
    return data == nullptr ? std::nullopt : std::optional<std::string>(std::string(data->bytes));
}

StagedExecutable::StagedExecutable(std::u16string exePath, std::u16string root)
    : exePath_(std::move(exePath)), root_(std::move(root)) {}

StagedExecutable::~StagedExecutable() = default;

size_t StagedExecutable::AddStep(std::vector<ResourceUpdate> updates) {
    return AddStep([updates = std::move(updates)](ResourceTree& tree) {
        for (const ResourceUpdate& u : updates) {
            Apply(tree, u);
        }
        return true;
    });
}

size_t StagedExecutable::AddStep(TreeEdit edit) {
    steps_.push_back(std::move(edit));
    return steps_.size() - 1;
}

const std::vector<bool>& StagedExecutable::Build() {
    built_.assign(steps_.size(), false);
    result_ = UpdateResult{};
    copy_.reset();
    platform::WriteResult& write = result_.write;
    if (!root_.empty() && !platform::ResolvesInside(exePath_, root_, write.resolved)) {
        write.outcome = platform::WriteOutcome::kOutsideRoot;
        write.error = platform::kErrorAccessDenied;
        return built_;
    }
    write.resolved.clear();
    if (!platform::IsRegularFile(exePath_) || platform::IsReadOnly(exePath_)) {
        write.error = platform::kErrorAccessDenied;
        return built_;
    }
    const platform::MappedFile original(exePath_);
    if (!original.Ok()) {
        write.error = original.Error();
        return built_;
    }
    ResourceTree tree;
    if (ReadResourceTree(original.View(), tree) != PeStatus::kOk) {
        write.error = platform::kErrorInvalidData;
        return built_;
    }
    // All steps at once, up to the first that cannot be made; when they do not fit, one step
    // fewer, and so on.
    ImagePlan plan;
    size_t count = 0;
    {
        ResourceTree trial = tree;
        while (count < steps_.size() && steps_[count](trial)) {
            ++count;
        }
        if (count < steps_.size()) {
            write.error = platform::kErrorInvalidData;
        }
    }
    for (; count > 0; --count) {
        ResourceTree changed = tree;
        for (size_t i = 0; i < count; ++i) {
            steps_[i](changed);
        }
        if (PlanResourceWrite(original.View(), changed, plan) == ResourceWriteStatus::kOk) {
            break;
        }
        // Why the first step left out cannot be made.
        result_.movedSection = plan.movedSection;
        write.error = platform::kErrorInvalidData;
    }
    if (count == 0 || !WriteCopy(original.View(), plan)) {
        return built_;
    }
    std::fill(built_.begin(), built_.begin() + static_cast<ptrdiff_t>(count), true);
    return built_;
}

bool StagedExecutable::WriteCopy(std::string_view original, const ImagePlan& plan) {
    auto copy = std::make_unique<platform::StagedFile>(exePath_);
    if (!copy->Ok()) {
        result_.write.error = copy->Error();
        result_.movedSection.clear();
        return false;
    }
    StagedSink sink(*copy);
    // A copy that broke off (a full disk) goes with the object.
    if (!WriteImage(original, plan, sink) || !copy->Close()) {
        result_.write.error = copy->Error();
        result_.movedSection.clear();
        return false;
    }
    copy_ = std::move(copy);
    return true;
}

const UpdateResult& StagedExecutable::Commit() {
    if (copy_ == nullptr || built_.empty() || !built_[0]) {
        return result_;
    }
    // Moved in, removed, or (kDestinationMissing) kept as the only file with the new bytes.
    result_.write = copy_->Commit();
    copy_.reset();
    return result_;
}

}  // namespace rebrand
