// Reading a whole file into memory that the caller provides, so that the bytes land where
// they are used (a language file straight into the text it becomes) instead of being read
// into one buffer and copied into another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_stat.h"
#include "platform/files.h"

namespace platform {

// Where a file's bytes go. Allocate is called once, with the file's size, after the file was
// opened; it returns room for that many bytes (or nullptr to give up: kFailed).
class ReadTarget {
public:
    virtual char* Allocate(size_t size) = 0;

protected:
    ~ReadTarget() = default;
};

// Room for a file's bytes in a string (replacing its content).
class BytesTarget : public ReadTarget {
public:
    explicit BytesTarget(std::string& bytes) : bytes_(bytes) {}
    char* Allocate(size_t size) override {
        bytes_.resize(size);
        return &bytes_[0];
    }

private:
    std::string& bytes_;
};

// Reads the file at path into the room target allocates. got receives how many bytes were
// read: the file's size when opened, or less when the file shrank meanwhile (bytes added to
// it after it was opened are not read). kMissing and kFailed as ReadWholeFile; on failure
// got is 0 and the room may hold part of the file. stat (when given) receives the size and
// last-write time of the file as it was opened.
ReadResult ReadWholeFileInto(const std::u16string& path, ReadTarget& target, size_t& got,
                             FileStat* stat = nullptr);

// A buffer of kPieceSize bytes for one read in pieces, taken from a pool that keeps the
// buffers of ended reads for the next ones (as many as ever ran at once): a read within a
// read (a callback that reads another file) gets a piece of its own, and short-lived worker
// threads reuse the pieces of those before them.
class PieceBuffer {
public:
    static constexpr size_t kPieceSize = 1024 * 1024;
    PieceBuffer();
    ~PieceBuffer();
    PieceBuffer(const PieceBuffer&) = delete;
    PieceBuffer& operator=(const PieceBuffer&) = delete;
    char* Data() { return data_; }

private:
    char* data_;
};

// Reads the file at path from its start in pieces, into a PieceBuffer (fresh memory costs a
// page fault per page, so buffers are reused): begin receives the file's size once it is
// open, then consume each piece in order. Either returns false to stop. kOk when the file
// was read to its end; kFailed when it could not be read or a callback stopped; kMissing as
// ReadWholeFile.
ReadResult ReadFileInPieces(const std::u16string& path, const std::function<bool(uint64_t)>& begin,
                            const std::function<bool(const char*, size_t)>& consume);

// True when path is a file that holds exactly these bytes. The sizes are compared first, then
// the contents piece by piece, stopping at the first difference. False when the file differs,
// is missing or cannot be read.
bool FileHolds(const std::u16string& path, const void* data, size_t size);

}  // namespace platform
