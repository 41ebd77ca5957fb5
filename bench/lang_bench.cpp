// Language table benchmark: sixteen language files of 20,000 entries each, loaded with
// CLangTable::LoadFiles (until every slot is read) and written back with SaveLangFile one
// slot after the other, once with one entry edited in every slot and once unchanged; prints
// the best and median times of several runs, the steps of a file's load, the peak memory of the
// process and the files' size.
//
// Natively, without sanitizers (they distort the timing):
//   cmake -S . -B build/bench-native -DVEDAROD_SANITIZE=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench-native -j2 --target lang_bench
//   build/bench-native/bench/lang_bench [entries per language] [runs]
// Windows build under Wine:
//   scripts/wine-exec.sh build/win64/bench/lang_bench.exe
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <psapi.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "bench/load_parts.h"
#include "lang/lang_table.h"
#include "samples/sample_install.h"

namespace fs = std::filesystem;

namespace {

struct Memory {
    double currentMb = 0;
    double peakMb = 0;
};

Memory ProcessMemory() {
    Memory m;
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS pmc{};
    if (GetProcessMemoryInfo(GetCurrentProcess(), &pmc, sizeof(pmc))) {
        m.currentMb = pmc.WorkingSetSize / 1048576.0;
        m.peakMb = pmc.PeakWorkingSetSize / 1048576.0;
    }
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        m.peakMb = usage.ru_maxrss / 1024.0;  // kilobytes on Linux
    }
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        long pages = 0;
        long resident = 0;
        if (std::fscanf(f, "%ld %ld", &pages, &resident) == 2) {
            m.currentMb = resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
        }
        std::fclose(f);
    }
#endif
    return m;
}

double FolderMb(const fs::path& folder) {
    std::uintmax_t total = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        total += e.file_size();
    }
    return total / 1048576.0;
}

// CPU time of the process so far, user and system, in milliseconds.
struct CpuTime {
    double userMs = 0;
    double systemMs = 0;
};

CpuTime ProcessCpuTime() {
    CpuTime t;
#ifdef _WIN32
    FILETIME created;
    FILETIME exited;
    FILETIME kernel;
    FILETIME user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
        const auto ms = [](const FILETIME& f) {
            return ((static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 1e4;
        };
        t.userMs = ms(user);
        t.systemMs = ms(kernel);
    }
#else
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) == 0) {
        t.userMs = usage.ru_utime.tv_sec * 1e3 + usage.ru_utime.tv_usec / 1e3;
        t.systemMs = usage.ru_stime.tv_sec * 1e3 + usage.ru_stime.tv_usec / 1e3;
    }
#endif
    return t;
}

struct Times {
    std::vector<double> ms;
    CpuTime cpu;  // summed over the runs
    template <typename F>
    void Run(F&& f) {
        const CpuTime before = ProcessCpuTime();
        const auto start = std::chrono::steady_clock::now();
        f();
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
        const CpuTime after = ProcessCpuTime();
        cpu.userMs += after.userMs - before.userMs;
        cpu.systemMs += after.systemMs - before.systemMs;
    }
    double Best() const { return *std::min_element(ms.begin(), ms.end()); }
    double Median() const {
        std::vector<double> sorted = ms;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    const fs::path dir =
        fs::temp_directory_path() /
        ("vedarod-lang-bench-" +
         std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));

    samples::SampleOptions options;
    options.entriesPerLanguage = entries;
    samples::WriteSampleInstall(dir, options);
    fs::create_directory(dir / "saved");
    const std::u16string install = dir.u16string();
    const std::u16string savedFolder = (dir / "saved").u16string();
    const std::u16string list(CLangTable::kDefaultFileList);
    const double filesMb = FolderMb(dir / "Lang");
    const Memory before = ProcessMemory();

    CLangTable table;
    Times load;
    Times firstSlot;
    Times saveOneByOne;
    Times saveUnchanged;
    std::vector<bench::LoadParts> parts;
    std::vector<std::u16string> paths;
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        paths.push_back(install + u"\\Lang\\" + samples::DefaultLangFileNames()[k]);
    }
    bool ok = true;
    for (int run = 0; run < runs; ++run) {
        load.Run([&] {
            firstSlot.Run([&] { table.LoadFiles(install, list); });
            table.LoadRestInBackground();
            table.FinishLoading();
        });
        size_t total = 0;
        for (int k = 0; k < CLangTable::kSlotCount; ++k) {
            total += table.Entries(k).size();
        }
        ok = ok && total == static_cast<size_t>(entries) * CLangTable::kSlotCount;
        // One entry edited in every slot, so that every file is written (a file that
        // already holds what a slot would write is left as it is).
        for (int k = 0; k < CLangTable::kSlotCount; ++k) {
            table.SetText(k, u"~BENCH",
                          u"run " + std::u16string(1, static_cast<char16_t>(u'a' + run % 26)));
        }
        saveOneByOne.Run([&] {
            for (int k = 0; k < CLangTable::kSlotCount; ++k) {
                ok = ok && table.SaveLangFile(k, savedFolder) == LangSaveResult::kWritten;
            }
        });
        saveUnchanged.Run([&] {
            for (int k = 0; k < CLangTable::kSlotCount; ++k) {
                ok = ok && table.SaveLangFile(k, savedFolder) == LangSaveResult::kUnchanged;
            }
        });
    }
    const Memory after = ProcessMemory();
    for (int run = 0; run < runs; ++run) {
        parts.push_back(bench::MeasureLoadParts(paths));
    }
    const double savedMb = FolderMb(dir / "saved");

    std::printf("language table: 16 files x %d entries, %d runs\n", entries, runs);
    std::printf("  files read      %8.1f MB   files written %8.1f MB\n", filesMb, savedMb);
    const auto report = [runs](const char* what, const Times& t) {
        std::printf(
            "  %-17s best %6.1f ms   median %6.1f ms   (CPU per run: user %.1f ms, "
            "system %.1f ms)\n",
            what, t.Best(), t.Median(), t.cpu.userMs / runs, t.cpu.systemMs / runs);
    };
    report("LoadFiles (16)", load);
    report("  until slot 0", firstSlot);
    report("SaveLangFile x16", saveOneByOne);
    report("  again, unchanged", saveUnchanged);
    const bench::LoadParts p = bench::MedianParts(parts);
    std::printf(
        "  steps of the 16 loads, one thread (medians): read %.1f ms, parse %.1f ms, "
        "ID sort %.1f ms, whole slot load (parse, sort, one entry per ID) %.1f ms\n",
        p.readMs, p.parseMs, p.sortMs, p.slotMs);
    std::printf(
        "  memory: before load %.1f MB, loaded %.1f MB, peak %.1f MB "
        "(%.2f x the files read)\n",
        before.currentMb, after.currentMb, after.peakMb, after.peakMb / filesMb);
    if (!ok) {
        std::printf("  ERROR: an entry count or a save result was not as expected\n");
    }

    std::error_code ec;
    fs::remove_all(dir, ec);
    return ok ? 0 : 1;
}
