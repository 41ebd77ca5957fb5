#include "platform/file_read.h"

#include <cstring>

namespace platform {

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    BytesTarget target(bytes);
    size_t got = 0;
    const ReadResult result = ReadWholeFileInto(path, target, got);
    bytes.resize(result == ReadResult::kOk ? got : 0);
    return result;
}

bool FileHolds(const std::u16string& path, const void* data, size_t size) {
    const char* expected = static_cast<const char*>(data);
    size_t done = 0;
    const ReadResult read = ReadFileInPieces(
        path, [&](uint64_t fileSize) { return fileSize == size; },
        [&](const char* piece, size_t n) {
            // A file that grew after its size was read differs too.
            if (n > size - done || std::memcmp(piece, expected + done, n) != 0) {
                return false;
            }
            done += n;
            return true;
        });
    return read == ReadResult::kOk && done == size;
}

}  // namespace platform
