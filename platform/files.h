// File access that the core needs, behind one interface per platform.
//
// Paths are UTF-16 Windows paths (backslash separators). The POSIX implementation maps
// backslashes to slashes, so the same path expressions work in the native tests.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace platform {

enum class ReadResult {
    kOk,       // the whole file is in the buffer
    kMissing,  // no file (or no folder) of that name
    kFailed,   // the file exists but could not be read: locked, access refused, a folder
};

// Reads the whole file into bytes (replacing its content). On failure bytes is left empty.
ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes);

// ReadWholeFile while no other program may open the file (Windows: no sharing), so that a
// file another program is writing is refused (kFailed). Other systems have no such lock; there
// it reads as ReadWholeFile.
ReadResult ReadWholeFileUnshared(const std::u16string& path, std::string& bytes);

// What a safe write left at the destination.
enum class WriteOutcome {
    kWritten,      // the destination holds the new bytes
    kUnchanged,    // the destination holds its former bytes (or is still absent); nothing left
    kOutsideRoot,  // refused before anything was written: the destination's folder resolves
                   // (through a link, junction or mount point) outside the allowed root
    kDestinationMissing,  // the platform's replace failed half-way and neither the former
                          // file nor the new one could be put back at the destination; both
                          // are kept under the names in oldBytesAt / newBytesAt
};

struct WriteResult {
    WriteOutcome outcome = WriteOutcome::kUnchanged;
    int error = 0;              // the system's error code of the failure (0 when written)
    std::u16string resolved;    // kOutsideRoot: where the destination really lies
    std::u16string oldBytesAt;  // kDestinationMissing: the former file (empty: there was none)
    std::u16string newBytesAt;  // kDestinationMissing: the new bytes
    bool Written() const { return outcome == WriteOutcome::kWritten; }
};

// Writes the bytes as the new content of path without ever leaving a partial file or losing
// the former one: they go to a temporary file in the same folder, named path + ".~tmp..."
// (the tool's own pattern), which replaces path only once it was written and closed
// completely. An existing read-only file is never replaced. When root is given, a
// destination whose folder does not resolve to root or a folder below it is refused. A
// replace that another program gets in the way of (a virus scanner or an indexer opening the
// new file) is retried for a moment. After a successful write, leftovers of the tool's own
// pattern beside path (from a run that was killed) are removed; after a failed one the
// temporary file is removed too, except in kDestinationMissing.
WriteResult WriteFileSafely(const std::u16string& path, const void* data, size_t size,
                            const std::u16string& root = {});

inline WriteResult WriteFileSafely(const std::u16string& path, const std::string& bytes,
                                   const std::u16string& root = {}) {
    return WriteFileSafely(path, bytes.data(), bytes.size(), root);
}

// The refusals of a safe write, made before anything is written: a destination whose folder
// resolves outside root (when given; kOutsideRoot), a read-only file, a folder. False, with
// result filled in, when refused.
bool MayWriteSafely(const std::u16string& path, const std::u16string& root, WriteResult& result);

// Copies the file at from to to in the same safe way as WriteFileSafely (same refusals, same
// replace), reading it in pieces; observe (when given) sees each piece on its way and may
// stop the copy by returning false (the destination then stays as it was). The copy has the
// source's bytes only, none of its attributes.
WriteResult CopyFileSafely(const std::u16string& from, const std::u16string& to,
                           const std::u16string& root = {},
                           const std::function<bool(const char*, size_t)>& observe = {});

// WriteFileSafely without a root: true when written; on false errorCode (if given) receives
// the system's error code.
inline bool WriteFileReplacing(const std::u16string& path, const void* data, size_t size,
                               int* errorCode = nullptr) {
    const WriteResult r = WriteFileSafely(path, data, size);
    if (errorCode != nullptr && !r.Written()) {
        *errorCode = r.error;
    }
    return r.Written();
}

inline bool WriteFileReplacing(const std::u16string& path, const std::string& bytes,
                               int* errorCode = nullptr) {
    return WriteFileReplacing(path, bytes.data(), bytes.size(), errorCode);
}

// True when path names an existing folder.
bool IsDirectory(const std::u16string& path);

// True when path names an existing file or folder.
bool PathExists(const std::u16string& path);

}  // namespace platform
