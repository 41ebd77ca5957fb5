// Which executable of an install VedArodCmd works on when it is not named by a path that
// exists: the install folder was given, or the executable was renamed since the path was
// written (a brand applied a second time with the same command line).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "install/backup.h"

namespace brand {

// exeNames: the ".exe" files of the install folder, as it spells them. givenName: the file
// name of the path given, which the folder does not hold; empty when the folder was given.
// In this order, the first that the folder holds:
//   1. the executable that the backup's rename recorded (the newest executable the tool
//      created, absent before); for a given name only when the backup recorded that name
//      as an original, so that a mistyped name finds nothing;
//   2. the brand's app_name, with ".exe" added as the rename adds it;
//   3. for the folder: the install's own executable (install::kDefaultExecutable).
// Its name as the folder spells it, or empty when there is none.
std::u16string ChooseExecutable(const std::vector<std::u16string>& exeNames,
                                const install::BackupManifest& manifest,
                                const std::u16string& givenName,
                                const std::optional<std::u16string>& appName);

}  // namespace brand
