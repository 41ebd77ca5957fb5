// Times target selection through the main dialog when the customization profile
// (config\VirUdezed.cfg) is about 100 MB of 2.9 million keys; a fresh dialog each round, so
// that the profile is read every time. Prints the selection times and the peak memory of the
// process after the first round against the file's size.
// Run: scripts/wine-exec.sh build/win64/bench/profile_dialog_bench.exe [keys] [rounds]
// (needs a display: the test command's Xvfb, or DISPLAY of a running X server).
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/win32/bench_timing.h"
#include "tests/win/harness.h"

namespace {

double PeakMb() {
    PROCESS_MEMORY_COUNTERS pmc{};
    return GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc))
               ? pmc.PeakWorkingSetSize / 1048576.0
               : 0;
}

}  // namespace

int main(int argc, char** argv) {
    const long keys = argc > 1 ? std::max(1L, std::atol(argv[1])) : 2900000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vedarod-profile-dialog-bench";
    fs::remove_all(dir);
    fs::create_directories(dir / "config");
    const fs::path profile = dir / "config" / "VirUdezed.cfg";
    {
        std::ofstream out(profile, std::ios::binary);
        out << "[CUSTOMPAR]\r\nCOMPANY=Big Co\r\n";
        char line[96];
        for (long i = 0; i < keys; ++i) {
            const long n = static_cast<long>((static_cast<unsigned long long>(i) * 7919u) %
                                             static_cast<unsigned long long>(keys));
            std::snprintf(line, sizeof line, "Key_%07ld=value %07ld abcdefgh\r\n", n, n);
            out << line;
        }
    }
    const double fileMb = fs::file_size(profile) / 1048576.0;
    const std::u16string exe = dir.u16string() + u"\\ZovIDE.exe";

    std::vector<double> select;
    double peak = 0;
    const double before = PeakMb();
    bool ok = true;
    for (int round = 0; round < rounds; ++round) {
        testsupport::DialogHarness h;
        select.push_back(bench::Milliseconds([&] {
            h.SelectTarget(exe);
            UpdateWindow(h.Hwnd());
        }));
        ok = ok && h.Text(1031) == u"Big Co";
        if (round == 0) {
            peak = PeakMb();
        }
    }
    std::printf("customization profile of %ld keys, %.1f MB\n", keys, fileMb);
    std::printf("select target (median of %d): %8.1f ms (best %.1f)\n", rounds,
                bench::Median(select), bench::Best(select));
    std::printf(
        "memory: peak %.1f MB before, %.1f MB after the first selection (%.2f x the file)\n",
        before, peak, peak / fileMb);
    if (!ok) {
        std::printf("ERROR: the company field did not show the profile's value\n");
    }
    fs::remove_all(dir);
    return ok ? 0 : 1;
}
