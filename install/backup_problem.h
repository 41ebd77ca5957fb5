// What the backup of originals reports: why an original could not be kept or put back, and
// what tidying after killed runs did. Codes with the path they are about and the system's
// error; the wording for the user is in messages/messages.h.
#pragma once

#include <string>

#include "platform/files.h"

namespace install {

struct BackupProblem {
    enum class Kind {
        kNone,
        kNotInInstall,        // path: the file, which lies outside the install folder
        kOldFolderInside,     // path: an earlier version's backup inside the install, not moved yet
        kFolderIsLink,        // path: the backup folder, a link: refused
        kManifestUnreadable,  // path: the manifest (or the backup folder)
        kCreateFolder,        // path: the backup folder; error
        kManifestRemove,      // path: the manifest; error
        kManifestWrite,       // path: the manifest; write
        kWriteCopy,           // path: the copy; write
        kReadOriginal,        // path: the original; write
        kDigest,              // path: the original, whose SHA-256 could not be taken
        kLeadsOutside,        // path: where a restore's path resolves, outside the install
        kRemoveCreated,       // a file the tool created could not be removed; error
        kCopyUnreadable,      // path: the copy's name
        kCopyMismatch,        // path: the copy's name, whose bytes are not what was kept
        kWriteFile,           // the original could not be written back; write
        kWrittenMismatch,     // the file written back does not hold the original's bytes
        kOthersPending,       // a created file stays until every original is back
        kFolderNotEmpty,      // path: the backup folder, which holds other files
    };
    Kind kind = Kind::kNone;
    std::u16string path;
    int error = 0;                // the system's error, 0 when none is known
    platform::WriteResult write;  // for the kinds of a failed write
};

// One thing Tidy did, or could not do.
struct TidyAction {
    enum class Kind {
        kPutBack,              // path: a file moved aside by an interrupted replace, back
        kRemovedLeftover,      // path: a staging or spare file of a killed run, removed
        kOldFolderStays,       // path: an earlier version's backup inside, not moved (one beside)
        kMovedBeside,          // path: the backup folder it was moved to
        kOldFolderCannotMove,  // path: an earlier version's backup inside that could not move
        kManifestPutBack,      // path: the manifest, back from where a killed replace left it
        kRemovedUnlisted,      // path: a copy the manifest does not list, removed
    };
    Kind kind;
    std::u16string path;
};

}  // namespace install
