// A new file beside a destination, written in order and then put over the destination by
// one rename: the safe write of platform/files.h in steps, for callers that stream a large
// file and decide only later whether it replaces the destination.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files.h"

namespace platform {

class StagedFile {
public:
    // Creates an empty file beside destination under the tool's temporary pattern
    // (destination + ".~tmp..."), opened for writing without sharing. Ok() tells whether it
    // was created; Error() why not.
    explicit StagedFile(const std::u16string& destination);
    // Removes the staged file unless it was committed (or kept by a failed commit).
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    bool Ok() const;
    int Error() const { return error_; }
    const std::u16string& Path() const { return path_; }

    bool Append(std::string_view bytes);
    bool WriteAt(uint64_t offset, std::string_view bytes);
    // Closes the file; false (Error() tells why) when its bytes may not all have been written.
    bool Close();
    // Puts the closed file over the destination by one rename (the destination's
    // attributes kept). The staged file is gone afterwards, whatever the outcome.
    WriteResult Commit();

private:
    struct Handle;
    std::u16string destination_;
    std::u16string path_;
    std::unique_ptr<Handle> handle_;
    int error_ = 0;
    bool done_ = false;
};

// A safe write of bytes (WriteFileSafely) in two steps, so that the bytes can be written on
// one thread and put in place later on another: the constructor makes the refusals and
// writes the staging file completely; Commit replaces the destination by one rename. Until
// then the destination is untouched; an object destroyed without Commit removes its staging
// file.
class StagedWrite {
public:
    StagedWrite(const std::u16string& path, const void* data, size_t size,
                const std::u16string& root = {});
    // True when the staging file is written and waits for Commit; false when the write was
    // refused or failed, as Result() tells (nothing is left on disk then).
    bool Ready() const { return file_ != nullptr; }
    const WriteResult& Result() const { return result_; }
    // The replace (as WriteFileSafely's); a write that is not Ready() returns Result().
    WriteResult Commit();

private:
    WriteResult result_;
    std::unique_ptr<StagedFile> file_;
};

// A whole file mapped into memory read-only (others may read it meanwhile) for the lifetime
// of the object. An empty file, or one that cannot be opened, gives Ok() false.
class MappedFile {
public:
    explicit MappedFile(const std::u16string& path);
    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    bool Ok() const { return data_ != nullptr; }
    int Error() const { return error_; }
    std::string_view View() const { return std::string_view(data_, size_); }

private:
    const char* data_ = nullptr;
    size_t size_ = 0;
    int error_ = 0;
    [[maybe_unused]] void* mapping_ = nullptr;  // the platform's mapping object, if it has one
};

}  // namespace platform
