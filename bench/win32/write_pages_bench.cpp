// The sixteen safe writes of a large install's language save, over files whose bytes stay
// on disk under a second name (a first save: the backup keeps the originals by links, so the
// replaces free no memory) and over files that the replaces free (a later save). Each round
// starts after a pause, as a user's saves do. Where the system hands out memory that was
// freed a moment ago faster than memory that lay free for a while (a virtual machine whose
// host takes free memory back), the first kind pays for every page it writes.
//   write_pages_bench [KB per file=3400] [rounds=5] [pause in ms=3000]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/win32/bench_timing.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/folders.h"

namespace {

std::u16string U16(const std::wstring& s) {
    return std::u16string(s.begin(), s.end());
}

}  // namespace

int main(int argc, char** argv) {
    const size_t bytes = static_cast<size_t>(argc > 1 ? std::atoi(argv[1]) : 3400) * 1000;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;
    const DWORD pause = static_cast<DWORD>(argc > 3 ? std::atoi(argv[3]) : 3000);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::u16string folder = U16(temp) + u"vedarod-write-pages-bench";
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr);
    std::string data(bytes, 'a');
    const auto file = [&](int k, const char16_t* suffix) {
        return folder + u"\\lang_" + U16(std::to_wstring(k)) + suffix;
    };
    std::vector<double> linked, freed;
    for (int round = 0; round < rounds; ++round) {
        for (const bool link : {true, false}) {
            for (int k = 0; k < 16; ++k) {
                platform::WriteFileSafely(file(k, u".ini"), data);
            }
            if (link) {
                for (int k = 0; k < 16; ++k) {
                    platform::LinkFile(file(k, u".ini"), file(k, u".orig"));
                }
            }
            Sleep(pause);
            data[round % data.size()] ^= 1;  // new bytes each time
            (link ? linked : freed).push_back(bench::Milliseconds([&] {
                for (int k = 0; k < 16; ++k) {
                    platform::WriteFileSafely(file(k, u".ini"), data);
                }
            }));
            for (int k = 0; k < 16; ++k) {
                platform::RemoveFile(file(k, u".orig"));
            }
        }
    }
    for (int k = 0; k < 16; ++k) {
        platform::RemoveFile(file(k, u".ini"));
    }
    RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));
    std::printf("16 safe writes of %zu KB each, %d rounds, %lu ms pause before each\n",
                bytes / 1000, rounds, static_cast<unsigned long>(pause));
    std::printf("  over files kept by a link (first save)  median %6.1f ms (best %6.1f)\n",
                bench::Median(linked), bench::Best(linked));
    std::printf("  over files the replace frees (later)    median %6.1f ms (best %6.1f)\n",
                bench::Median(freed), bench::Best(freed));
    return 0;
}
