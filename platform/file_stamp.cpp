#include "platform/file_stamp.h"

#include "platform/file_read.h"
#include "platform/hash64.h"

namespace platform {

namespace {

// The coarsest tick of a file system's last-write time that the check allows for (FAT's).
constexpr int64_t kTimeTick = 2000000000;

// The stamp of bytes of this size and hash, read or written as stat saw the file.
FileStamp StampOfHashed(const FileStat& stat, uint64_t size, uint64_t hash) {
    FileStamp stamp;
    stamp.exists = true;
    stamp.size = size;
    stamp.lastWrite = stat.lastWrite;
    stamp.hash = hash;
    // The bytes read are the file as stat saw it (it did not shrink while being read), and
    // its time lies at least a tick in the past: a write after this moment gets a later time.
    stamp.timeTells = stat.size == size && FileClockNow() - stat.lastWrite > kTimeTick;
    return stamp;
}

}  // namespace

FileStamp StampOf(const FileStat& stat, const void* data, size_t size) {
    return StampOfHashed(stat, size, Hash64(data, size));
}

FileStamp StampOfWritten(const std::u16string& path, const void* data, size_t size) {
    return StampOfWrittenHash(path, size, Hash64(data, size));
}

FileStamp StampOfWrittenHash(const std::u16string& path, uint64_t size, uint64_t hash) {
    FileStat stat;
    const bool known = StatFile(path, stat) == ReadResult::kOk;
    FileStamp stamp = StampOfHashed(stat, size, hash);
    stamp.timeTells = stamp.timeTells && known;  // else the next check compares the bytes
    return stamp;
}

ReadResult ReadWholeFileStamped(const std::u16string& path, std::string& bytes, FileStamp& stamp) {
    bytes.clear();
    stamp = FileStamp{};
    BytesTarget target(bytes);
    size_t got = 0;
    FileStat stat;
    const ReadResult result = ReadWholeFileInto(path, target, got, &stat);
    bytes.resize(result == ReadResult::kOk ? got : 0);
    if (result == ReadResult::kOk) {
        stamp = StampOf(stat, bytes.data(), bytes.size());
    }
    return result;
}

bool FileChangedSince(const std::u16string& path, const FileStamp& stamp) {
    FileStat now;
    switch (StatFile(path, now)) {
        case ReadResult::kMissing:
            return stamp.exists;
        case ReadResult::kFailed:
            return true;
        case ReadResult::kOk:
            break;
    }
    if (!stamp.exists || now.size != stamp.size) {
        return true;
    }
    if (stamp.timeTells && now.lastWrite == stamp.lastWrite) {
        return false;
    }
    Hasher64 hasher;
    uint64_t read = 0;
    const ReadResult result = ReadFileInPieces(
        path, [&](uint64_t size) { return size == stamp.size; },
        [&](const char* piece, size_t n) {
            hasher.Update(piece, n);
            read += n;
            return read <= stamp.size;
        });
    if (result != ReadResult::kOk) {
        // Held by another program: its time is all there is to go by. A file held that way
        // cannot be replaced either; the write then fails and tells why.
        return now.lastWrite != stamp.lastWrite;
    }
    return read != stamp.size || hasher.Digest() != stamp.hash;
}

}  // namespace platform
