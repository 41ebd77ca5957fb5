#include "platform/file_read.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

namespace platform {

namespace {

struct PiecePool {
    std::mutex mutex;
    std::vector<std::unique_ptr<char[]>> free;
};

PiecePool& Pool() {
    static PiecePool* pool = new PiecePool;  // never destroyed: threads may read at exit
    return *pool;
}

}  // namespace

PieceBuffer::PieceBuffer() : data_(nullptr) {
    PiecePool& pool = Pool();
    {
        std::lock_guard<std::mutex> lock(pool.mutex);
        if (!pool.free.empty()) {
            data_ = pool.free.back().release();
            pool.free.pop_back();
        }
    }
    if (data_ == nullptr) {
        data_ = new char[kPieceSize];
    }
}

PieceBuffer::~PieceBuffer() {
    PiecePool& pool = Pool();
    std::lock_guard<std::mutex> lock(pool.mutex);
    pool.free.emplace_back(data_);
}

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
