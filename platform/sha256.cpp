#include "platform/sha256.h"

#include "platform/file_read.h"

namespace platform {

std::string Sha256::FinishHex() {
    unsigned char digest[32] = {};
    if (!Finish(digest)) {
        return std::string();
    }
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += digits[byte >> 4];
        hex += digits[byte & 15];
    }
    return hex;
}

std::string Sha256Hex(const std::string& bytes) {
    Sha256 digest;
    digest.Add(bytes.data(), bytes.size());
    return digest.FinishHex();
}

std::string Sha256OfFile(const std::u16string& path, uint64_t& size) {
    size = 0;
    Sha256 digest;
    const ReadResult read = ReadFileInPieces(
        path, [](uint64_t) { return true; },
        [&](const char* data, size_t n) {
            size += n;
            return digest.Add(data, n);
        });
    std::string hex = digest.FinishHex();
    return read == ReadResult::kOk ? hex : std::string();
}

}  // namespace platform
