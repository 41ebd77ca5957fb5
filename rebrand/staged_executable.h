// Writes resources into an executable as one all-or-nothing change.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/staged_file.h"
#include "rebrand/resource_writer.h"

namespace rebrand {

struct ResourceUpdate {
    uint16_t type;      // RT_ICON, RT_STRING, ...
    uint16_t id;        // integer resource name
    uint16_t language;  // e.g. 2052
    std::string data;
};

struct UpdateResult {
    // What the executable holds afterwards (platform/files.h): kWritten only when every
    // update was made.
    platform::WriteResult write;
    // Refused because the update would have moved this section (the executable is
    // unchanged); empty otherwise.
    std::string movedSection;
    bool Updated() const { return write.Written(); }
};

// The resource updates of several steps of one command, made on one copy of the executable
// that replaces it once. Steps are added in order; Build makes the copy with every step up
// to the first one that cannot be made (that step and every later one are left out, so a
// failed step leaves the copy as it was before it); Commit replaces the executable with the
// copy. An uncommitted copy is removed with the object.
//
// Every other resource stays as it was. The tool's own resource writer (resource_writer.h)
// writes the new executable to a copy beside it, which replaces it (keeping its attributes
// and security, platform's safe replace). A change that would move a section that code or
// data refer to by address is refused (movedSection names it). An executable that does not
// resolve inside root (when given) is refused before it is read.
// The bytes of one resource (integer type and name) of the executable at path as it is on
// disk; nothing when it has none or cannot be read.
std::optional<std::string> ReadExecutableResource(const std::u16string& path, uint16_t type,
                                                  uint16_t id, uint16_t language);

class StagedExecutable {
public:
    StagedExecutable(std::u16string exePath, std::u16string root);
    ~StagedExecutable();
    StagedExecutable(const StagedExecutable&) = delete;
    StagedExecutable& operator=(const StagedExecutable&) = delete;

    // The index of the step.
    size_t AddStep(std::vector<ResourceUpdate> updates);
    // A step that changes the executable's resource tree as Build reads it (after the steps
    // before it); false when it cannot be made (it and every later step are left out).
    using TreeEdit = std::function<bool(ResourceTree& tree)>;
    size_t AddStep(TreeEdit edit);
    size_t StepCount() const { return steps_.size(); }
    // Builds the copy; true for each step that is in it. result() tells why the first
    // step left out failed.
    const std::vector<bool>& Build();
    // Replaces the executable with the built copy (nothing to do without a built step).
    const UpdateResult& Commit();
    const UpdateResult& result() const { return result_; }

private:
    bool WriteCopy(std::string_view original, const ImagePlan& plan);

    std::u16string exePath_;
    std::u16string root_;
    std::vector<TreeEdit> steps_;
    std::vector<bool> built_;
    std::unique_ptr<platform::StagedFile> copy_;
    UpdateResult result_;
};

}  // namespace rebrand
