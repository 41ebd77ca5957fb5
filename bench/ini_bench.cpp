// Profile store benchmark: one profile of 2.9 million keys (about 100 MB, keys in no order,
// in 29 sections), loaded with CIniFile::Load and looked up; prints the best and median
// load times of several runs and the peak memory of the process against the file's size,
// then the time of one save of the whole model.
//
// Natively, without sanitizers (they distort the timing):
//   cmake -S . -B build/bench-native -DVEDAROD_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench-native -j2 --target ini_bench
//   build/bench-native/bench/ini_bench [keys] [runs]
// Windows build under Wine:
//   scripts/wine-exec.sh build/win64/bench/ini_bench.exe [keys] [runs]
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

#include "ini/ini_encoding.h"
#include "ini/ini_file.h"
#include "platform/files.h"

namespace fs = std::filesystem;

namespace {

double PeakMb() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc{};
    if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc))) {
        return pmc.PeakWorkingSetSize / 1048576.0;
    }
    return 0;
#else
    rusage usage{};
    return getrusage(RUSAGE_SELF, &usage) == 0 ? usage.ru_maxrss / 1024.0 : 0;  // KB on Linux
#endif
}

template <typename F>
double Milliseconds(F&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

constexpr int kSections = 29;

// Key number i of the file: a permutation of 0..keys-1, so that no two keys repeat and
// the file is not sorted.
long KeyNumber(long i, long keys) {
    return static_cast<long>((static_cast<uint64_t>(i) * 7919u) % static_cast<uint64_t>(keys));
}

std::string KeyName(long n) {
    char name[48];
    std::snprintf(name, sizeof name, "Key_%07ld", n);
    return name;
}

// Lines of 35 bytes: "Key_0001234=value 0001234 abcdefgh" and CR LF.
void WriteProfile(const fs::path& file, long keys) {
    std::ofstream out(file, std::ios::binary);
    const long perSection = (keys + kSections - 1) / kSections;
    char line[96];
    for (long i = 0; i < keys; ++i) {
        if (i % perSection == 0) {
            out << "[Section" << i / perSection << "]\r\n";
        }
        const long n = KeyNumber(i, keys);
        std::snprintf(line, sizeof line, "Key_%07ld=value %07ld abcdefgh\r\n", n, n);
        out << line;
    }
}

}  // namespace

int main(int argc, char** argv) {
    const long keys = argc > 1 ? std::max(1L, std::atol(argv[1])) : 2900000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const fs::path dir =
        fs::temp_directory_path() /
        ("vedarod-ini-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    fs::create_directories(dir);
    const fs::path file = dir / "big.cfg";
    WriteProfile(file, keys);
    const double fileMb = fs::file_size(file) / 1048576.0;
    const double before = PeakMb();

    // A key of the last section, looked up after every load.
    const long perSection = (keys + kSections - 1) / kSections;
    const long probe = KeyNumber(keys - 1, keys);
    const std::u16string probeSection = u"section" + [&] {
        const std::string s = std::to_string((keys - 1) / perSection);
        return std::u16string(s.begin(), s.end());
    }();
    const std::string probeKey = KeyName(probe);
    const std::u16string expected = [&] {
        char value[64];
        std::snprintf(value, sizeof value, "value %07ld abcdefgh", probe);
        const std::string v(value);
        return std::u16string(v.begin(), v.end());
    }();

    std::vector<double> times;
    bool ok = true;
    size_t count = 0;
    double peak = 0;
    for (int run = 0; run < runs; ++run) {
        times.push_back(Milliseconds([&] {
            CIniFile ini(file.u16string());
            ini.Discard();
            ini.Load();
            ok = ok && ini.GetString(probeSection, std::u16string(probeKey.begin(), probeKey.end()),
                                     u"") == expected;
            count = 0;
            for (const auto& s : ini.sections) {
                count += s.second.entries.size();
            }
        }));
        if (run == 0) {
            // Later runs may find memory the allocator kept from the one before.
            peak = PeakMb();
        }
    }
    ok = ok && count == static_cast<size_t>(keys);

    // Where the time of a load goes: reading the file, decoding it, the rest is parsing
    // and storing.
    std::vector<double> readTimes;
    std::vector<double> decodeTimes;
    for (int run = 0; run < runs; ++run) {
        std::string bytes;
        readTimes.push_back(Milliseconds([&] {
            ok =
                platform::ReadWholeFile(file.u16string(), bytes) == platform::ReadResult::kOk && ok;
        }));
        IniEncoding encoding;
        size_t units = 0;
        decodeTimes.push_back(Milliseconds([&] {
            ok = DecodeIniPieces(
                     bytes, platform::kSystemCodePage, encoding,
                     [&](std::u16string_view piece) { units += piece.size(); }, [] {}) &&
                 ok;
        }));
    }

    double saveMs = 0;
    {
        CIniFile ini(file.u16string());
        ini.Discard();
        ini.Load();
        ini.SetString(u"Section0", u"Changed", u"1");
        saveMs = Milliseconds([&] { ok = ini.Save() && ok; });
    }

    std::sort(times.begin(), times.end());
    std::printf("profile store: %ld keys in %d sections, %.1f MB, %d runs\n", keys, kSections,
                fileMb, runs);
    std::printf("  Load + lookup    best %8.1f ms   median %8.1f ms\n", times.front(),
                times[times.size() / 2]);
    std::printf(
        "  memory: peak %.1f MB before loading, %.1f MB after the first load (%.2f x the file)\n",
        before, peak, peak / fileMb);
    std::sort(readTimes.begin(), readTimes.end());
    std::sort(decodeTimes.begin(), decodeTimes.end());
    std::printf("  of which: ReadWholeFile median %.1f ms, decoding median %.1f ms\n",
                readTimes[readTimes.size() / 2], decodeTimes[decodeTimes.size() / 2]);
    std::printf("  Save of the whole model (one run) %.1f ms\n", saveMs);
    if (!ok) {
        std::printf("  ERROR: a lookup, the key count or the save was not as expected\n");
    }
    std::error_code ec;
    fs::remove_all(dir, ec);
    return ok ? 0 : 1;
}
