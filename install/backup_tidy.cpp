#include "install/backup.h"

#include "install/backup_disk.h"
#include "install/install_layout.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace install {

using namespace backup_disk;

namespace {

// The tool's own leftovers in folder, in three passes so that the outcome does not depend
// on the order of the listing: a name moved aside by an interrupted rename (".~ren"), then
// by an interrupted replace (".~bak..."), goes back when its own name is free; then the
// staging files (".~tmp...") and the spare files moved aside go.
void TidyFolder(const std::u16string& folder, std::vector<TidyAction>& done) {
    const std::vector<std::u16string> names = platform::ListFiles(folder);
    for (const char16_t* mark : {kRenameMark, kAsideMark, kTempMark}) {
        const std::u16string m(mark);
        for (const std::u16string& name : names) {
            const size_t at = name.rfind(m);
            if (at == std::u16string::npos || at == 0 ||
                (mark == kRenameMark && at + m.size() != name.size())) {
                continue;
            }
            const std::u16string path = Join(folder, name);
            const std::u16string base = Join(folder, name.substr(0, at));
            if (!platform::PathExists(path)) {
                continue;
            }
            if (mark != kTempMark && !platform::PathExists(base)) {
                if (platform::MoveNoReplace(path, base)) {
                    done.push_back({TidyAction::Kind::kPutBack, base});
                }
            } else if (mark != kRenameMark && platform::RemoveFile(path)) {
                done.push_back({TidyAction::Kind::kRemovedLeftover, path});
            }
        }
    }
}

}  // namespace

std::vector<TidyAction> InstallBackup::Tidy() {
    std::vector<TidyAction> done;
    const std::u16string folder = Folder();
    if (folder != FolderInside() && platform::IsDirectory(FolderInside()) &&
        !platform::IsLink(FolderInside())) {
        if (platform::PathExists(folder)) {
            done.push_back({TidyAction::Kind::kOldFolderStays, FolderInside()});
        } else if (platform::MoveNoReplace(FolderInside(), folder)) {
            platform::SetHidden(folder);
            done.push_back({TidyAction::Kind::kMovedBeside, folder});
        } else {
            done.push_back({TidyAction::Kind::kOldFolderCannotMove, FolderInside()});
        }
    }
    for (const char16_t* sub : {u"", kResFolder, kConfigFolder, kLangFolder}) {
        TidyFolder(*sub == u'\0' ? install_ : Join(install_, sub), done);
    }
    if (!platform::IsDirectory(folder) || platform::IsLink(folder)) {
        return done;
    }
    // The manifest first, from where a killed replace left it; then what it does not list.
    std::u16string foundAt;
    std::string text;
    if (!platform::PathExists(ManifestPath()) &&
        ReadManifestText(folder, text, &foundAt) == platform::ReadResult::kOk &&
        platform::MoveNoReplace(foundAt, ManifestPath())) {
        done.push_back({TidyAction::Kind::kManifestPutBack, ManifestPath()});
    }
    TidyFolder(folder, done);
    BackupManifest manifest;
    if (Read(manifest) == State::kDamaged) {
        return done;
    }
    for (const std::u16string& name : platform::ListFiles(folder)) {
        if (CopyNumber(name) != 0 && !UsesCopy(manifest, name) &&
            platform::RemoveFile(Join(folder, name))) {
            done.push_back({TidyAction::Kind::kRemovedUnlisted, Join(folder, name)});
        }
    }
    if (manifest.records.empty()) {
        platform::RemoveFile(ManifestPath());
        platform::RemoveEmptyFolder(folder);
    }
    return done;
}

}  // namespace install
