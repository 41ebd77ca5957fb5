// Times the main dialog on a large install: target selection until the list shows slot 0,
// a search, a language switch, and saving all sixteen language files.
// Run: scripts/wine-exec.sh build/win64/bench/dialog_bench.exe [entries per language]
// (needs a display: the test command's Xvfb, or DISPLAY of a running X server).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "lang/lang_table.h"
#include "bench/win32/bench_timing.h"
#include "samples/sample_install.h"
#include "tests/win/harness.h"

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 20000;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vedarod-dialog-bench";
    fs::remove_all(dir);
    samples::SampleOptions options;
    options.entriesPerLanguage = entries;
    samples::WriteSampleInstall(dir, options);
    const std::u16string exe = dir.u16string() + u"\\ZovIDE.exe";

    testsupport::DialogHarness h;
    std::vector<double> select, search, sw, save;
    for (int round = 0; round < 5; ++round) {
        select.push_back(bench::Milliseconds([&] {
            h.SelectTarget(exe);
            UpdateWindow(h.Item(1016));
        }));
        search.push_back(bench::Milliseconds([&] {
            h.Type(1022, u"Circle");
            h.Click(1023);
            UpdateWindow(h.Item(1016));
        }));
        sw.push_back(bench::Milliseconds([&] {
            h.ChooseLanguage(3 + round % 2);  // the selection showed slot 0
            UpdateWindow(h.Item(1016));
        }));
        save.push_back(bench::Milliseconds([&] { h.Click(1029); }));
    }
    std::vector<double> load;
    for (int round = 0; round < 5; ++round) {
        load.push_back(bench::Milliseconds([&] {
            CLangTable table;
            table.LoadFiles(dir.u16string(), std::u16string(CLangTable::kDefaultFileList));
        }));
    }
    h.SelectTarget(exe);
    std::printf("entries per language: %d, rows shown after selection: %d\n", entries,
                static_cast<int>(SendMessageW(h.Item(1016), LVM_GETITEMCOUNT, 0, 0)));
    std::printf("select target (median of 5): %8.1f ms (best %.1f)\n", bench::Median(select),
                bench::Best(select));
    std::printf("  of which the table's load (median of 5): %8.1f ms (best %.1f)\n",
                bench::Median(load), bench::Best(load));
    std::printf("search        (median of 5): %8.1f ms (best %.1f)\n", bench::Median(search),
                bench::Best(search));
    std::printf("switch        (median of 5): %8.1f ms (best %.1f)\n", bench::Median(sw),
                bench::Best(sw));
    std::printf("save all      (median of 5): %8.1f ms (best %.1f)\n", bench::Median(save),
                bench::Best(save));
    fs::remove_all(dir);
    return 0;
}
