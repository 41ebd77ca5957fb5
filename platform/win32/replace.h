// The pieces of the safe write (platform/files.h) for callers that fill the temporary file
// themselves, such as the resource update of an executable: stage, check, commit.
#pragma once

#include <functional>
#include <string>

#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/win32/handle.h"

namespace platform {

// Creates a new, empty file beside path under the tool's own temporary pattern
// (path + ".~tmp..."), opened for writing without sharing; staged receives its name.
// An invalid handle (GetLastError tells why) when none could be created.
Handle CreateStagingFile(const std::u16string& path, std::u16string& staged);

// The folder that path lies in, as the file system resolves it (links, junctions and mount
// points followed): path itself when it exists, else its folder. Empty when neither can be
// opened.
std::u16string FinalPathOf(const std::u16string& path);

// Makes the closed file staged the new content of path by one rename over it (MoveFileExW
// with MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH), staged first taking path's
// attributes; a missing path is simply created. Retries for a moment while another program
// holds one of the files. At no instant is path missing. staged is gone afterwards; after
// kWritten, the tool's own leftovers beside path are removed as well. Never kDestinationMissing.
WriteResult CommitStaged(const std::u16string& path, const std::u16string& staged);

// Deletes the file, retrying for a moment while another program holds it open.
bool RemoveFile(const std::u16string& path);

// Runs step until it succeeds, for about 1.5 s while it fails because another program holds
// a file for a moment (sharing and lock violations, access denied, the replace's own
// failure codes); false with GetLastError of the last try otherwise.
bool RetryWhileHeld(const std::function<bool()>& step);

// CreateFileW of an existing file, retried like RetryWhileHeld.
Handle OpenExisting(const std::u16string& path, DWORD access, DWORD share);

}  // namespace platform
