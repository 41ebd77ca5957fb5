#include "rebrand/file_steps.h"

#include "platform/file_ops.h"
#include "platform/files.h"

namespace rebrand {

bool ReadFileUnshared(const std::u16string& path, std::string& bytes) {
    return platform::ReadWholeFileUnshared(path, bytes) == platform::ReadResult::kOk;
}

bool IsSameFile(const std::u16string& a, const std::u16string& b) {
    return platform::SameFile(a, b);
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
    if (platform::PathExists(newPath)) {
        if (!IsSameFile(oldPath, newPath)) {
            return RenameResult::kTargetExists;
        }
        // Only the letter case changes. Some file systems take that as "already there",
        // so the file goes through an intermediate name.
        const std::u16string between = oldPath + u".~ren";
        if (!platform::MoveNoReplace(oldPath, between)) {
            return RenameResult::kFailed;
        }
        if (platform::MoveNoReplace(between, newPath)) {
            return RenameResult::kRenamed;
        }
        platform::MoveNoReplace(between, oldPath);
        return RenameResult::kFailed;
    }
    if (platform::MoveNoReplace(oldPath, newPath)) {
        return RenameResult::kRenamed;
    }
    // Another program may have made a file of the new name meanwhile.
    return platform::PathExists(newPath) ? RenameResult::kTargetExists : RenameResult::kFailed;
}

}  // namespace rebrand
