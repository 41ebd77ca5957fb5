#include "install/backup.h"

#include <algorithm>

#include "install/backup_disk.h"
#include "install/install_layout.h"
#include "platform/file_ops.h"
#include "platform/file_read.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/sha256.h"
#include "platform/stop_point.h"

namespace install {

using namespace backup_disk;

namespace {

// Renames the file that path names without regard to letter case so that its name is spelled
// as in path (through an intermediate name, as a rename of the letter case needs on some file
// systems; a kill between the two moves leaves the ".~ren" name that Tidy puts back).
void GiveBackNameCase(const std::u16string& path) {
    const size_t slash = path.find_last_of(u"\\/");
    const std::u16string folder = path.substr(0, slash);
    const std::u16string name = path.substr(slash + 1);
    const std::vector<std::u16string> names = platform::ListFiles(folder);
    if (std::find(names.begin(), names.end(), name) != names.end()) {
        return;
    }
    for (const std::u16string& other : names) {
        if (SamePath(other, name)) {
            const std::u16string between = path + kRenameMark;
            if (platform::MoveNoReplace(Join(folder, other), between) &&
                !platform::MoveNoReplace(between, path)) {
                platform::MoveNoReplace(between, Join(folder, other));
            }
            return;
        }
    }
}

}  // namespace

bool InstallBackup::RestoreOne(const BackupRecord& record, BackupProblem& problem) const {
    using Kind = BackupProblem::Kind;
    const std::u16string target = Join(install_, record.path);
    std::u16string resolved;
    if (!platform::ResolvesInside(target, install_, resolved)) {
        problem = {Kind::kLeadsOutside, resolved, 0, {}};
        return false;
    }
    int error = 0;
    if (!record.existed) {
        if (!platform::RemoveFile(target, &error)) {
            problem = {Kind::kRemoveCreated, target, error, {}};
            return false;
        }
        return true;
    }
    std::string bytes;
    if (platform::ReadWholeFile(Join(Folder(), record.copy), bytes) != platform::ReadResult::kOk) {
        problem = {Kind::kCopyUnreadable, record.copy, 0, {}};
        return false;
    }
    if (bytes.size() != record.size || platform::Sha256Hex(bytes) != record.sha256) {
        problem = {Kind::kCopyMismatch, record.copy, 0, {}};
        return false;
    }
    // Written even when the file holds its original already. A rename that changed only the
    // letter case is undone first: a write over the file keeps the name it has.
    GiveBackNameCase(target);
    const platform::WriteResult written = platform::WriteFileSafely(target, bytes, install_);
    if (!written.Written()) {
        // A file that still holds its original (a read-only file whose change was refused
        // after its keep) is restored all the same.
        uint64_t size = 0;
        if (platform::Sha256OfFile(target, size) == record.sha256 && size == record.size) {
            return true;
        }
        problem = {Kind::kWriteFile, target, written.error, written};
        return false;
    }
    platform::StopPoint("restore.after-write");
    // Read back in pieces against the bytes checked above, without a second copy in memory.
    if (!platform::FileHolds(target, bytes.data(), bytes.size())) {
        problem = {Kind::kWrittenMismatch, target, 0, {}};
        return false;
    }
    return true;
}

std::vector<InstallBackup::Failure> InstallBackup::Restore() {
    using Kind = BackupProblem::Kind;
    if (platform::IsLink(ReadFolder())) {
        return {{u"", {Kind::kFolderIsLink, ReadFolder(), 0, {}}}};
    }
    BackupManifest manifest;
    switch (Read(manifest)) {
        case State::kNone:
            return {};
        case State::kDamaged:
            return {{u"", {Kind::kManifestUnreadable, ManifestPath(), 0, {}}}};
        case State::kPresent:
            break;
    }
    if (ReadFolder() != Folder()) {
        return {{u"", {Kind::kOldFolderInside, FolderInside(), 0, {}}}};
    }
    std::vector<Failure> failures;
    BackupManifest remaining;
    std::vector<const BackupRecord*> restored;
    for (bool existedPass : {true, false}) {
        const bool originalsBack = failures.empty();
        for (const BackupRecord& record : manifest.records) {
            if (record.existed != existedPass) {
                continue;
            }
            BackupProblem problem;
            if (!existedPass && !originalsBack) {
                problem.kind = Kind::kOthersPending;
            } else if (RestoreOne(record, problem)) {
                if (record.existed) {
                    restored.push_back(&record);
                }
                continue;
            }
            failures.push_back({record.path, problem});
            remaining.records.push_back(record);
        }
    }

    // The manifest lists the remaining entries before their neighbours' copies go.
    BackupProblem problem{Kind::kManifestRemove, ManifestPath(), 0, {}};
    const bool updated = remaining.records.empty()
                             ? platform::RemoveFile(ManifestPath(), &problem.error)
                             : WriteManifest(remaining, problem);
    if (!updated) {
        failures.push_back({u"", problem});
        return failures;
    }
    platform::StopPoint("restore.after-manifest");
    for (const BackupRecord* record : restored) {
        RemoveCopy(Join(Folder(), record->copy), Join(install_, record->path));
    }
    if (remaining.records.empty() && !platform::RemoveEmptyFolder(Folder())) {
        failures.push_back({u"", {Kind::kFolderNotEmpty, Folder(), 0, {}}});
    }
    return failures;
}

}  // namespace install
