// The rebrand command's file operations in the install folder: picture copies and the
// rename of the executable. Neither ever leaves the install folder without a file that
// was there before.
#pragma once

#include <string>

#include "platform/files.h"

namespace rebrand {

// Reads the whole file while no other program may open it (the icon file is read that way,
// so that a file another program is writing is refused). False when it cannot be opened.
bool ReadFileUnshared(const std::u16string& path, std::string& bytes);

// True when both paths name one existing file (whatever their spelling).
bool IsSameFile(const std::u16string& a, const std::u16string& b);

enum class CopyResult {
    kCopied,
    kSameFile,  // the source is the destination itself; nothing to do
    kFailed,    // nothing changed at the destination
};

// Copies source over destination: the bytes go to a temporary file in the destination's
// folder, which replaces the destination only once the copy is complete (platform's safe
// write, refusing a destination outside root when root is given). write (if given)
// receives what the destination holds afterwards.
CopyResult CopyOver(const std::u16string& source, const std::u16string& destination,
                    const std::u16string& root = {}, platform::WriteResult* write = nullptr);

enum class RenameResult {
    kRenamed,
    kTargetExists,  // another file already has the new name; nothing was renamed
    kFailed,
};

// Renames the file oldPath to newPath (wide-character file API, names as typed). An
// existing file of the new name is never replaced; a change of letter case only is a rename.
RenameResult RenameFileTo(const std::u16string& oldPath, const std::u16string& newPath);

}  // namespace rebrand
