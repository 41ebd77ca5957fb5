// File-system operations beside the safe write (platform/files.h): second names of a file,
// renames that never replace, what a path really is, and folder listings. Paths as in
// platform/files.h. Each function is one system call or a short, fixed sequence of them.
#pragma once

#include <string>
#include <vector>

namespace platform {

// Makes link a second name of the file existing (a hard link): both names then share one
// set of bytes. False, with the system's error code, when the file system cannot (another
// volume, FAT, a network share without links) or link exists already.
bool LinkFile(const std::u16string& existing, const std::u16string& link, int* errorCode = nullptr);

// Renames from to to in one step. An existing to is never replaced: false then.
bool MoveNoReplace(const std::u16string& from, const std::u16string& to, int* errorCode = nullptr);

// True when path itself is a symbolic link, a junction or another reparse point (not what
// it leads to).
bool IsLink(const std::u16string& path);

// True when path opens as an ordinary file on a disk: not a folder, a device (NUL, CON,
// COM1, "\\.\..."), a pipe or a missing file.
bool IsRegularFile(const std::u16string& path);

// True when path is a file that the safe write refuses to replace as read-only (the
// read-only attribute; on POSIX, no write permission at all).
bool IsReadOnly(const std::u16string& path);

// Sets or clears the read-only attribute of a file (on POSIX: the write permissions).
bool SetReadOnly(const std::u16string& path, bool readOnly);

// False when another program holds the file open so that it cannot be renamed over or
// removed now (opened without sharing its deletion, as a running program's image is).
bool MayReplaceNow(const std::u16string& path);

// True when a and b are two names of one file (the same volume and file number).
bool SameFile(const std::u16string& a, const std::u16string& b);

// The names of the files (not folders) directly in folder; empty when it cannot be listed.
std::vector<std::u16string> ListFiles(const std::u16string& folder);

// The location of an existing path as the file system resolves it (links, junctions and
// mount points followed); empty when it cannot be opened.
std::u16string ResolvedPath(const std::u16string& path);

// True when path's resolved location (path itself when it exists, else its folder) is
// root's resolved location or lies below it. A path whose folder does not exist is not
// refused (nothing can be written there). resolved receives the location compared.
bool ResolvesInside(const std::u16string& path, const std::u16string& root,
                    std::u16string& resolved);

// The absolute form of path: a relative path taken from the current folder, "." and ".."
// resolved as written (links are not followed).
std::u16string FullPath(const std::u16string& path);

// path with its last part spelled as its folder holds it (the letter case the user typed may
// differ where names are compared without regard to case); path itself when it does not
// exist, or where names are compared exactly.
std::u16string StoredName(const std::u16string& path);

}  // namespace platform
