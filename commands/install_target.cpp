#include "commands/install_target.h"

#include "commands/brand_plan.h"
#include "install/install_layout.h"
#include "rebrand/app_name.h"

namespace brand {
namespace {

// The executable: a file directly in the install folder whose name ends with ".exe".
bool IsExecutable(const std::u16string& relative) {
    return relative.find(u'\\') == std::u16string::npos && relative.size() > 4 &&
           SameFileName(relative.substr(relative.size() - 4), u".exe");
}

}  // namespace

std::u16string ChooseExecutable(const std::vector<std::u16string>& exeNames,
                                const install::BackupManifest& manifest,
                                const std::u16string& givenName,
                                const std::optional<std::u16string>& appName) {
    const auto held = [&](const std::u16string& name) {
        for (const std::u16string& exe : exeNames) {
            if (SameFileName(exe, name)) {
                return exe;
            }
        }
        return std::u16string();
    };
    bool givenIsOriginal = givenName.empty();
    for (const install::BackupRecord& record : manifest.records) {
        givenIsOriginal =
            givenIsOriginal || (record.existed && SameFileName(record.path, givenName));
    }
    if (givenIsOriginal) {
        for (auto record = manifest.records.rbegin(); record != manifest.records.rend(); ++record) {
            if (!record->existed && IsExecutable(record->path) && !held(record->path).empty()) {
                return held(record->path);
            }
        }
    }
    if (appName && !appName->empty() && !held(rebrand::WithExeExtension(*appName)).empty()) {
        return held(rebrand::WithExeExtension(*appName));
    }
    return givenName.empty() ? held(install::kDefaultExecutable) : std::u16string();
}

}  // namespace brand
