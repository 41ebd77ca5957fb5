// What the parts of the backup (keep, tidy, restore) share about its files on disk: the marks
// of the tool's staging and moved-aside names, and small reads and removals. Internal to
// install/.
#pragma once

#include <cstdint>
#include <string>

#include "install/backup_manifest.h"
#include "platform/file_read.h"

namespace install {
namespace backup_disk {

constexpr char16_t kTempMark[] = u".~tmp";    // a staging file of a safe write
constexpr char16_t kAsideMark[] = u".~bak";   // a former file moved aside by a replace
constexpr char16_t kRenameMark[] = u".~ren";  // the middle name of a letter-case rename

// The manifest of folder as the disk holds it: manifest.txt, or, when a killed replace left
// it missing, the complete file that was to replace it (".~tmp...") or the former one moved
// aside (".~bak..."); foundAt (if given) names the file read then.
platform::ReadResult ReadManifestText(const std::u16string& folder, std::string& text,
                                      std::u16string* foundAt = nullptr);

// Whether an entry of manifest uses the copy name.
bool UsesCopy(const BackupManifest& manifest, const std::u16string& copy);

// The size of the file at path, or false.
bool FileSize(const std::u16string& path, uint64_t& size);

// Removes the copy at copyPath of the file at target. A copy that is a second name of a file
// made read-only meanwhile cannot be removed as it is: the attribute is lifted for the
// removal and put back on the file, which target still names.
void RemoveCopy(const std::u16string& copyPath, const std::u16string& target);

}  // namespace backup_disk
}  // namespace install
