// What a file held when it was read, so that a later write can tell whether another program
// changed it meanwhile.
//
// A stamp records whether the file existed, its size and last-write time as read, and a
// hash (Hash64) of the bytes read. A file still holds what its stamp describes when it
// exists as it did and, if it exists, has the same size and either the same last-write time
// or, read again, the same hash: a file merely touched is unchanged. The time alone decides
// only when it was old enough at stamping time that a later write cannot share it (file
// systems keep times in ticks, 2 s on FAT; a write in the same tick keeps the time).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/file_stat.h"
#include "platform/files.h"

namespace platform {

struct FileStamp {
    bool exists = false;  // false: the file was absent (every other field is 0)
    uint64_t size = 0;    // the bytes read
    int64_t lastWrite = 0;
    uint64_t hash = 0;       // Hash64 of the bytes read
    bool timeTells = false;  // an unchanged size and lastWrite mean unchanged bytes
};

// The stamp of a file that was read: stat as the file was opened, and the bytes read.
FileStamp StampOf(const FileStat& stat, const void* data, size_t size);

// The stamp of path right after these bytes were written to it.
FileStamp StampOfWritten(const std::u16string& path, const void* data, size_t size);
// The same for bytes of this size and Hash64, no longer at hand.
FileStamp StampOfWrittenHash(const std::u16string& path, uint64_t size, uint64_t hash);

// Reads the whole file as ReadWholeFile does and stamps what was read (an absent stamp for
// kMissing and kFailed).
ReadResult ReadWholeFileStamped(const std::u16string& path, std::string& bytes, FileStamp& stamp);

// True when the file at path no longer holds what stamp describes: it appeared, vanished,
// changed its size, or changed its time and its bytes. A folder in its place, or a file whose
// attributes cannot be read, counts as changed; a file whose bytes cannot be read (another
// program holds it) counts as changed when its time changed.
bool FileChangedSince(const std::u16string& path, const FileStamp& stamp);

}  // namespace platform
