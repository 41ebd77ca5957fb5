// Runs a fuzz target over the files of a corpus folder (or over single files), so that the
// corpus is replayed as an ordinary test. A missing or empty folder is a failure: a test
// that runs nothing must not pass.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool ReadFile(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <corpus folder or file>...\n", argv[0]);
        return 2;
    }
    std::vector<std::filesystem::path> files;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        std::error_code ec;
        if (std::filesystem::is_directory(arg, ec)) {
            for (const auto& item : std::filesystem::directory_iterator(arg, ec)) {
                if (item.is_regular_file(ec)) {
                    files.push_back(item.path());
                }
            }
        } else if (std::filesystem::is_regular_file(arg, ec)) {
            files.push_back(arg);
        }
        if (ec) {
            std::fprintf(stderr, "cannot list %s: %s\n", argv[i], ec.message().c_str());
            return 2;
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "no inputs found\n");
        return 2;
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
        std::string bytes;
        if (!ReadFile(file, bytes)) {
            std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
            return 2;
        }
        // The input is handed over in a buffer of its exact size, as libFuzzer does, so
        // that AddressSanitizer sees any read past its end.
        std::vector<uint8_t> exact(bytes.begin(), bytes.end());
        std::fprintf(stderr, "%s\n", file.filename().string().c_str());
        LLVMFuzzerTestOneInput(exact.data(), exact.size());
    }
    std::printf("%zu inputs replayed\n", files.size());
    return 0;
}
