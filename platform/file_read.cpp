#include "platform/file_read.h"

namespace platform {

namespace {

// Room for a file's bytes in a string.
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

}  // namespace

ReadResult ReadWholeFile(const std::u16string& path, std::string& bytes) {
    bytes.clear();
    BytesTarget target(bytes);
    size_t got = 0;
    const ReadResult result = ReadWholeFileInto(path, target, got);
    bytes.resize(result == ReadResult::kOk ? got : 0);
    return result;
}

}  // namespace platform
