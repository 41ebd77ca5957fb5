// File access that the core needs, behind one interface per platform.
//
// Paths are UTF-16 Windows paths (backslash separators). The POSIX implementation maps
// backslashes to slashes, so the same path expressions work in the native tests.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class ReadResult {
    kOk,       // the whole file is in the buffer
    kMissing,  // no file (or no folder) of that name
    kFailed,   // the file exists but could not be read: locked, access refused, a folder
};

// Reads the whole file into bytes (replacing its content). On failure bytes is left empty.
ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes);

// Writes the bytes as the new content of path without ever leaving a partial file:
// they go to a temporary file in the same folder, which replaces path only once it was
// written and closed completely. An existing read-only file is never replaced. On false
// the former file is unchanged, no temporary file is left, and errorCode (if given)
// receives the system's error code.
bool WriteFileReplacing(const std::u16string& path, const void* data, size_t size,
                        int* errorCode = nullptr);

inline bool WriteFileReplacing(const std::u16string& path, const std::string& bytes,
                               int* errorCode = nullptr) {
    return WriteFileReplacing(path, bytes.data(), bytes.size(), errorCode);
}

// True when path names an existing folder.
bool IsDirectory(const std::u16string& path);

// True when path names an existing file or folder.
bool PathExists(const std::u16string& path);

}  // namespace platform
