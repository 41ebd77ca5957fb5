// make_blob <file> <megabytes>: writes that many MiB of pseudo-random bytes (xorshift64,
// fixed start value, so every build gets the same data) for the large stand-in variant.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_blob <file> <megabytes>\n");
        return 2;
    }
    const long megabytes = std::strtol(argv[2], nullptr, 10);
    std::FILE* file = std::fopen(argv[1], "wb");
    if (file == nullptr || megabytes < 0) {
        std::fprintf(stderr, "make_blob: cannot write %s\n", argv[1]);
        return 1;
    }
    uint64_t state = 0x9E3779B97F4A7C15u;
    std::vector<uint64_t> chunk(1 << 17);  // 1 MiB
    bool ok = true;
    for (long i = 0; i < megabytes && ok; ++i) {
        for (uint64_t& word : chunk) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        ok = std::fwrite(chunk.data(), sizeof(uint64_t), chunk.size(), file) == chunk.size();
    }
    ok = std::fclose(file) == 0 && ok;
    return ok ? 0 : 1;
}
