// Times the main dialog on a large install: target selection until the list shows slot 0
// (and, for comparison, the same on a tiny install), the rest of the table's load, a
// search, a language switch, saving all sixteen language files (after editing every language,
// one language, or none; the first save of a fresh install, and later saves after the same
// wait), and the parts that make up a selection and a save.
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
#include "install/backup.h"
#include "lang/lang_table.h"
#include "lang/lang_writer.h"
#include "platform/file_read.h"
#include "platform/files.h"
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
    void PrintRounds() const {
        std::printf("  each round:");
        for (double ms : wall) {
            std::printf(" %.1f", ms);
        }
        std::printf(" ms\n");
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
    // The installs just written are put on the disk before anything is timed: otherwise the
    // system writes them out (55 MB) while the first rounds run, and those rounds wait for it.
    const auto flush = [](const fs::path& install) {
        for (const auto& entry : fs::recursive_directory_iterator(install)) {
            if (entry.is_regular_file()) {
                const HANDLE h = CreateFileW(entry.path().c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                             nullptr, OPEN_EXISTING, 0, nullptr);
                if (h != INVALID_HANDLE_VALUE) {
                    FlushFileBuffers(h);
                    CloseHandle(h);
                }
            }
        }
    };
    flush(dir);
    flush(tinyDir);
    const std::u16string exe = dir.u16string() + u"\\ZovIDE.exe";
    const std::u16string tinyExe = tinyDir.u16string() + u"\\ZovIDE.exe";
    testsupport::DialogHarness h;
    CLangTable& table = h.Dlg().m_langTable;
    // Every step also on the tiny install, so that each figure has its increment: what the
    // 20,000 entries add to what the dialog and Wine cost anyway.
    struct Steps {
        Series select, search, sw, save, saveOne, saveUnchanged;
    };
    // A new text for the first entry of each of the first `languages` slots, as if typed in
    // the list, so that the next save has those files to write.
    const auto edit = [&](int languages, int round) {
        for (int k = 0; k < languages; ++k) {
            const std::u16string id(table.Entries(k).begin()->id);
            table.SetText(k, id,
                          u"edited " + std::u16string(1, static_cast<char16_t>(u'a' + round)));
        }
    };
    Series rest;
    const auto runSteps = [&](const std::u16string& target, Steps& steps, int round,
                              Series* restOfLoad) {
        steps.select.Run([&] {
            h.SelectTarget(target);
            UpdateWindow(h.Item(1016));
        });
        // What a user's next action on another language would wait for at most.
        if (restOfLoad != nullptr) {
            restOfLoad->Run([&] { table.FinishLoading(); });
        }
        table.FinishLoading();
        steps.search.Run([&] {
            h.Type(1022, u"Circle");
            h.Click(1023);
            UpdateWindow(h.Item(1016));
        });
        steps.sw.Run([&] {
            h.ChooseLanguage(3 + round % 2);  // the selection showed slot 0
            UpdateWindow(h.Item(1016));
        });
        edit(CLangTable::kSlotCount, round);
        steps.save.Run([&] { h.Click(1029); });
        edit(1, round + 10);
        steps.saveOne.Run([&] { h.Click(1029); });
        steps.saveUnchanged.Run([&] { h.Click(1029); });
        h.Type(1022, u"");
    };
    // The first save of all sixteen files of a fresh install, which keeps their originals
    // first (the later saves find them kept).
    Series firstTiny, firstBig;
    const auto firstSave = [&](int entriesPer, Series& series, int round) {
        const fs::path fresh = fs::temp_directory_path() / "vedarod-dialog-bench-first";
        const fs::path backup = fresh.string() + ".VedArodBackup";
        fs::remove_all(fresh);
        fs::remove_all(backup);
        samples::SampleOptions o;
        o.entriesPerLanguage = entriesPer;
        samples::WriteSampleInstall(fresh, o);
        flush(fresh);
        // An install is not seconds old: a file written within the clock's tick of being read
        // is read again before a save (its time alone cannot tell a change), which is not what
        // a user's first save pays.
        Sleep(2100);
        h.SelectTarget(fresh.u16string() + u"\\ZovIDE.exe");
        table.FinishLoading();
        edit(CLangTable::kSlotCount, round);
        series.Run([&] { h.Click(1029); });
        h.SelectTarget(tinyExe);
        table.FinishLoading();
        fs::remove_all(fresh);
        fs::remove_all(backup);
    };
    for (int round = 0; round < rounds; ++round) {
        firstSave(10, firstTiny, round);
        firstSave(entries, firstBig, round);
    }
    Steps tinySteps, bigSteps;
    for (int round = 0; round < rounds; ++round) {
        runSteps(tinyExe, tinySteps, round, nullptr);
    }
    for (int round = 0; round < rounds; ++round) {
        runSteps(exe, bigSteps, round, &rest);
    }
    // Later saves after the same wait as the first save's: how long the system takes to hand
    // out memory for the writes depends on how long the process was idle before (on a
    // virtual machine whose host takes free memory back), so this is the pair to set beside
    // the first save.
    Series pausedTiny, pausedBig;
    const auto pausedSave = [&](const std::u16string& target, Series& series, int round) {
        h.SelectTarget(target);
        table.FinishLoading();
        edit(CLangTable::kSlotCount, round + 20);
        Sleep(2100);
        series.Run([&] { h.Click(1029); });
    };
    for (int round = 0; round < rounds; ++round) {
        pausedSave(tinyExe, pausedTiny, round);
        pausedSave(exe, pausedBig, round);
    }
    Series& tiny = tinySteps.select;
    Series& select = bigSteps.select;
    Series& search = bigSteps.search;
    Series& sw = bigSteps.sw;
    Series& save = bigSteps.save;
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
    Series loadSlot0, loadAll, fill, profile, itemCount, sameCount, deleteAll, deselect, top, paint;
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
        sameCount.Run([&] {
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(entries), 0);
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        });
        deleteAll.Run([&] {
            SendMessageW(list, WM_SETREDRAW, FALSE, 0);
            SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
            SendMessageW(list, LVM_SETITEMCOUNT, static_cast<WPARAM>(entries), 0);
            SendMessageW(list, WM_SETREDRAW, TRUE, 0);
        });
        deselect.Run([&] {
            LVITEMW none{};
            none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(&none));
        });
        top.Run([&] { SendMessageW(list, LVM_ENSUREVISIBLE, 0, FALSE); });
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

    // The parts of a save of all sixteen files (their originals are already kept).
    Series compose, compare, writeAll, keep;
    // One buffer per file, kept from round to round as the table keeps its own.
    std::vector<std::u16string> texts(paths.size());
    for (int round = 0; round < rounds; ++round) {
        compose.Run([&] {
            for (size_t i = 0; i < paths.size(); ++i) {
                lang::EncodeLangFileInto(table.Entries(static_cast<int>(i)), texts[i]);
            }
        });
        compare.Run([&] {
            for (size_t i = 0; i < paths.size(); ++i) {
                platform::FileHolds(paths[i], texts[i].data(), texts[i].size() * 2);
            }
        });
        keep.Run([&] {
            install::InstallBackup backup(dir.u16string());
            install::BackupProblem reason;
            for (const std::u16string& name : samples::DefaultLangFileNames()) {
                backup.Keep(u"Lang\\" + name, reason);
            }
        });
        writeAll.Run([&] {
            for (size_t i = 0; i < paths.size(); ++i) {
                platform::WriteFileSafely(paths[i], texts[i].data(), texts[i].size() * 2,
                                          dir.u16string());
            }
        });
    }

    std::printf("entries per language: %d, rows shown after selection: %d, rounds: %d\n", entries,
                static_cast<int>(SendMessageW(h.Item(1016), LVM_GETITEMCOUNT, 0, 0)), rounds);
    tiny.Print("select target, tiny install (10 entries)");
    select.Print("select target until slot 0 shows");
    std::printf("  increment over the tiny install: %.1f ms (medians)\n",
                bench::Median(select.wall) - bench::Median(tiny.wall));
    rest.Print("  then the rest of the load (slots 1..15)");
    const auto increment = [](const Series& big, const Series& small) {
        std::printf("  increment over the tiny install: %.1f ms (medians)\n",
                    bench::Median(big.wall) - bench::Median(small.wall));
    };
    tinySteps.search.Print("search, tiny install");
    search.Print("search");
    increment(search, tinySteps.search);
    tinySteps.sw.Print("switch, tiny install");
    sw.Print("switch (after the load)");
    increment(sw, tinySteps.sw);
    earlySwitch.Print("switch at once after the selection");
    tinySteps.save.Print("save all (16 edited), tiny install");
    save.Print("save all, every language edited");
    save.PrintRounds();
    increment(save, tinySteps.save);
    firstTiny.Print("first save all of a fresh install (16 edited, originals kept), tiny");
    firstBig.Print("first save all of a fresh install, every language edited");
    firstBig.PrintRounds();
    increment(firstBig, firstTiny);
    pausedTiny.Print("save all (16 edited) after the same wait, tiny");
    pausedBig.Print("save all, every language edited, after the same wait");
    pausedBig.PrintRounds();
    increment(pausedBig, pausedTiny);
    tinySteps.saveOne.Print("save all (1 edited), tiny install");
    bigSteps.saveOne.Print("save all, one language edited");
    bigSteps.saveOne.PrintRounds();
    increment(bigSteps.saveOne, tinySteps.saveOne);
    tinySteps.saveUnchanged.Print("save all (none edited), tiny install");
    bigSteps.saveUnchanged.Print("save all, nothing edited");
    bigSteps.saveUnchanged.PrintRounds();
    increment(bigSteps.saveUnchanged, tinySteps.saveUnchanged);
    std::printf("parts:\n");
    loadSlot0.Print("  LoadFiles (returns after slot 0)");
    loadAll.Print("  LoadFiles and FinishLoading (all 16)");
    fill.Print("  fill and paint the list (slot 0)");
    itemCount.Print("    of which setting the item count");
    sameCount.Print("    setting the same count again");
    deleteAll.Print("    deleting all rows, then the count");
    deselect.Print("    selecting no row, all rows at once");
    top.Print("    scrolling to the first row");
    paint.Print("    of which painting");
    profile.Print("  read both profile files");
    const auto printParts = [](const char* what, const std::vector<bench::LoadParts>& runs) {
        const bench::LoadParts p = bench::MedianParts(runs);
        std::printf(
            "  %s, one thread: read %.1f ms, parse %.1f ms, ID sort %.1f ms, whole slot "
            "load %.1f ms\n",
            what, p.readMs, p.parseMs, p.sortMs, p.slotMs);
    };
    compose.Print("  compose the sixteen files' text");
    compare.Print("  compare them with the files");
    keep.Print("  look for the sixteen originals in the backup");
    writeAll.Print("  write the sixteen files (safe writes)");
    printParts("slot 0's file", parts0);
    printParts("all 16 files", parts16);
    for (const fs::path& install : {dir, tinyDir}) {
        fs::remove_all(install);
        fs::remove_all(install.string() + ".VedArodBackup");
    }
    return 0;
}
