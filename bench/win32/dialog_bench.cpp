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
#include "samples/sample_install.h"
#include "tests/win/harness.h"

namespace {

double Milliseconds(const std::function<void()>& action) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    action();
    QueryPerformanceCounter(&end);
    return 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

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
        select.push_back(Milliseconds([&] {
            h.SelectTarget(exe);
            UpdateWindow(h.Item(1016));
        }));
        search.push_back(Milliseconds([&] {
            h.Type(1022, u"Circle");
            h.Click(1023);
            UpdateWindow(h.Item(1016));
        }));
        sw.push_back(Milliseconds([&] {
            h.ChooseLanguage(3 + round % 2);  // the selection showed slot 0
            UpdateWindow(h.Item(1016));
        }));
        save.push_back(Milliseconds([&] { h.Click(1029); }));
    }
    std::vector<double> load;
    for (int round = 0; round < 5; ++round) {
        load.push_back(Milliseconds([&] {
            CLangTable::Instance().LoadFiles(dir.u16string(),
                                             std::u16string(CLangTable::kDefaultFileList));
        }));
    }
    h.SelectTarget(exe);
    std::printf("entries per language: %d, rows shown after selection: %d\n", entries,
                static_cast<int>(SendMessageW(h.Item(1016), LVM_GETITEMCOUNT, 0, 0)));
    std::printf("select target (median of 5): %8.1f ms (best %.1f)\n", Median(select),
                *std::min_element(select.begin(), select.end()));
    std::printf("  of which the table's load (median of 5): %8.1f ms (best %.1f)\n", Median(load),
                *std::min_element(load.begin(), load.end()));
    std::printf("search        (median of 5): %8.1f ms (best %.1f)\n", Median(search),
                *std::min_element(search.begin(), search.end()));
    std::printf("switch        (median of 5): %8.1f ms (best %.1f)\n", Median(sw),
                *std::min_element(sw.begin(), sw.end()));
    std::printf("save all      (median of 5): %8.1f ms (best %.1f)\n", Median(save),
                *std::min_element(save.begin(), save.end()));
    fs::remove_all(dir);
    return 0;
}
