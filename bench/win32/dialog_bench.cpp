// Times the main dialog on a large install: target selection until the list shows slot 0
// (and, for comparison, the same on a tiny install), the rest of the table's load, a
// search, a language switch, saving all sixteen language files, and the parts that make up
// a selection.
// Run: scripts/wine-exec.sh build/win64/bench/dialog_bench.exe [entries per language] [rounds]
// (needs a display: the test command's Xvfb, or DISPLAY of a running X server).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "bench/load_parts.h"
#include "bench/win32/bench_timing.h"
#include "ini/ini_file.h"
#include "lang/lang_table.h"
#include "samples/sample_install.h"
#include "tests/win/harness.h"

namespace {

// Wall-clock times and the CPU time of the calling thread and of the whole process.
struct Series {
    std::vector<double> wall, threadCpu, processCpu;

    void Run(const std::function<void()>& action) {
        const double thread0 = bench::ThreadCpuMs();
        const double process0 = bench::ProcessCpuMs();
        wall.push_back(bench::Milliseconds(action));
        threadCpu.push_back(bench::ThreadCpuMs() - thread0);
        processCpu.push_back(bench::ProcessCpuMs() - process0);
    }
    void Print(const char* what) const {
        std::printf(
            "%-46s median %7.1f ms (best %6.1f, worst %6.1f); CPU: UI thread %6.1f, "
            "process %6.1f ms\n",
            what, bench::Median(wall), bench::Best(wall),
            *std::max_element(wall.begin(), wall.end()), bench::Median(threadCpu),
            bench::Median(processCpu));
    }
};

}  // namespace

int main(int argc, char** argv) {
    const int entries = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / "vedarod-dialog-bench";
    const fs::path tinyDir = fs::temp_directory_path() / "vedarod-dialog-bench-tiny";
    fs::remove_all(dir);
    fs::remove_all(tinyDir);
    samples::SampleOptions options;
    options.entriesPerLanguage = entries;
    samples::WriteSampleInstall(dir, options);
    options.entriesPerLanguage = 10;
    samples::WriteSampleInstall(tinyDir, options);
    const std::u16string exe = dir.u16string() + u"\\ZovIDE.exe";
    const std::u16string tinyExe = tinyDir.u16string() + u"\\ZovIDE.exe";
    testsupport::DialogHarness h;
    CLangTable& table = h.Dlg().m_langTable;
    Series tiny, select, rest, search, sw, save;
    for (int round = 0; round < rounds; ++round) {
        tiny.Run([&] {
            h.SelectTarget(tinyExe);
            UpdateWindow(h.Item(1016));
        });
        table.FinishLoading();
    }
    for (int round = 0; round < rounds; ++round) {
        select.Run([&] {
            h.SelectTarget(exe);
            UpdateWindow(h.Item(1016));
        });
        // What a user's next action on another language would wait for at most.
        rest.Run([&] { table.FinishLoading(); });
        search.Run([&] {
            h.Type(1022, u"Circle");
            h.Click(1023);
            UpdateWindow(h.Item(1016));
        });
        sw.Run([&] {
            h.ChooseLanguage(3 + round % 2);  // the selection showed slot 0
            UpdateWindow(h.Item(1016));
        });
        save.Run([&] { h.Click(1029); });
    }
    // A language switch at once after the selection, before slots 1..15 have been read: the
    // switch waits for them.
    Series earlySwitch;
    for (int round = 0; round < rounds; ++round) {
        h.Type(1022, u"");
        h.SelectTarget(exe);
        UpdateWindow(h.Item(1016));
        earlySwitch.Run([&] {
            h.ChooseLanguage(3 + round % 2);
            UpdateWindow(h.Item(1016));
        });
    }

    // The parts of a selection.
    Series loadSlot0, loadAll, fill, profile, itemCount, paint;
    const std::u16string list(CLangTable::kDefaultFileList);
    for (int round = 0; round < rounds; ++round) {
        loadSlot0.Run([&] { table.LoadFiles(dir.u16string(), list); });
        table.FinishLoading();
        loadAll.Run([&] {
            table.LoadFiles(dir.u16string(), list);
            table.LoadRestInBackground();
            table.FinishLoading();
        });
    }
    h.Type(1022, u"");
    h.SelectTarget(exe);
    table.FinishLoading();
    for (int round = 0; round < rounds; ++round) {
        fill.Run([&] {
            h.Click(1023);  // an empty search: slot 0 refilled and painted
            UpdateWindow(h.Item(1016));
        });
        const HWND list = h.Item(1016);
        // What the fill asks of the list control: no rows, then all of them.
        itemCount.Run([&] {
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, 0, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(entries), 0);
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        });
        paint.Run([&] {
            InvalidateRect(list, nullptr, TRUE);
            UpdateWindow(list);
        });
        profile.Run([&] {
            for (const char16_t* name : {u"\\config\\ZovIDE.cfg", u"\\config\\VirUdezed.cfg"}) {
                CIniFile file(dir.u16string() + name);
                file.Load();
            }
        });
    }
    std::vector<std::u16string> paths;
    for (const std::u16string& name : samples::DefaultLangFileNames()) {
        paths.push_back(dir.u16string() + u"\\Lang\\" + name);
    }
    std::vector<bench::LoadParts> parts0, parts16;
    for (int round = 0; round < rounds; ++round) {
        parts0.push_back(bench::MeasureLoadParts({paths[0]}));
        parts16.push_back(bench::MeasureLoadParts(paths));
    }

    std::printf("entries per language: %d, rows shown after selection: %d, rounds: %d\n", entries,
                static_cast<int>(SendMessageW(h.Item(1016), LVM_GETITEMCOUNT, 0, 0)), rounds);
    tiny.Print("select target, tiny install (10 entries)");
    select.Print("select target until slot 0 shows");
    std::printf("  increment over the tiny install: %.1f ms (medians)\n",
                bench::Median(select.wall) - bench::Median(tiny.wall));
    rest.Print("  then the rest of the load (slots 1..15)");
    search.Print("search");
    sw.Print("switch (after the load)");
    earlySwitch.Print("switch at once after the selection");
    save.Print("save all");
    std::printf("parts:\n");
    loadSlot0.Print("  LoadFiles (returns after slot 0)");
    loadAll.Print("  LoadFiles and FinishLoading (all 16)");
    fill.Print("  fill and paint the list (slot 0)");
    itemCount.Print("    of which setting the item count");
    paint.Print("    of which painting");
    profile.Print("  read both profile files");
    const auto printParts = [](const char* what, const std::vector<bench::LoadParts>& runs) {
        const bench::LoadParts p = bench::MedianParts(runs);
        std::printf(
            "  %s, one thread: read %.1f ms, parse %.1f ms, ID sort %.1f ms, whole slot "
            "load %.1f ms\n",
            what, p.readMs, p.parseMs, p.sortMs, p.slotMs);
    };
    printParts("slot 0's file", parts0);
    printParts("all 16 files", parts16);
    fs::remove_all(dir);
    fs::remove_all(tinyDir);
    return 0;
}
