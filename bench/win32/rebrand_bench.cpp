// Times a full rebrand (icon, caption, new-document name) of a large executable through the
// dialog, next to the same three updates done in place by the bare platform functions, and,
// when its path is given, rcedit doing the same on a copy (--set-icon and two
// --set-resource-string, one process), and VedArodCmd (beside the tool, one process, a brand
// file with the same three changes) on a third install.
// Build and run (the large stand-in is built on request only):
//   source scripts/lib.sh; build_win rebrand_bench
//   scripts/wine-exec.sh build/win64/bench/rebrand_bench.exe [rounds] [rcedit-x64.exe]
//   (with a display, e.g. Xvfb)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "rebrand/icon_file.h"
#include "rebrand/string_block.h"
#include "bench/win32/bench_timing.h"
#include "samples/sample_install.h"
#include "tests/win/harness.h"

namespace {

namespace fs = std::filesystem;

bool BareUpdate(const std::wstring& exe, WORD type, const std::vector<WORD>& ids,
                const std::string& data) {
    HANDLE h = BeginUpdateResourceW(exe.c_str(), FALSE);
    if (h == nullptr) {
        return false;
    }
    for (WORD id : ids) {
        UpdateResourceW(h, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(id), 2052,
                        const_cast<char*>(data.data()), static_cast<DWORD>(data.size()));
    }
    return EndUpdateResourceW(h, FALSE) != FALSE;
}

// Runs a command line and waits for it; false when it could not start or failed.
bool Run(std::wstring commandLine) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        return false;
    }
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 1;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code == 0;
}

fs::path Beside(const char* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / name;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int rounds = argc > 1 ? std::max(1, _wtoi(argv[1])) : 3;
    const std::wstring rcedit = argc > 2 ? argv[2] : L"";
    const fs::path big = Beside("standin_big.exe");
    const fs::path dir = fs::temp_directory_path() / "vedarod-rebrand-bench";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string ico = samples::MakeIco({48, 32}, 3);
    {
        std::FILE* f = _wfopen((dir / "new.ico").wstring().c_str(), L"wb");
        std::fwrite(ico.data(), 1, ico.size(), f);
        std::fclose(f);
    }
    rebrand::IconDirEntry entry;
    std::string image;
    rebrand::ReadFirstIconImage(ico, entry, image);
    const auto block7 =
        rebrand::BuildDocStringBlock(u"新标题", u"新文档", rebrand::Edition::kSimple);
    const auto block3585 = rebrand::BuildTitleStringBlock(u"新标题");

    {
        std::FILE* f = _wfopen((dir / "brand.ini").wstring().c_str(), L"wb");
        const char brand[] =
            "[brand]\r\nicon = new.ico\r\ncaption = \xE6\x96\xB0\xE6\xA0\x87\xE9\xA2\x98\r\n"
            "document_name = \xE6\x96\xB0\xE6\x96\x87\xE6\xA1\xA3\r\n";
        std::fwrite(brand, 1, sizeof(brand) - 1, f);
        std::fclose(f);
    }
    const fs::path cmd = Beside("").parent_path().parent_path() / "app" / "VedArodCmd.exe";

    std::vector<double> tool, bare, rc, console;
    for (int round = 0; round < rounds; ++round) {
        const fs::path install = dir / ("install" + std::to_string(round));
        samples::SampleOptions options;
        options.entriesPerLanguage = 1;
        options.executable = big;
        samples::WriteSampleInstall(install, options);
        const fs::path plain = dir / ("plain" + std::to_string(round) + ".exe");
        fs::copy_file(big, plain);

        bare.push_back(bench::Milliseconds([&] {
            BareUpdate(plain.wstring(), 3, {1, 2, 3, 4}, image);
            BareUpdate(plain.wstring(), 6, {7}, block7.bytes);
            BareUpdate(plain.wstring(), 6, {3585}, block3585.bytes);
        }));

        if (!rcedit.empty()) {
            const fs::path copy = dir / ("rcedit" + std::to_string(round) + ".exe");
            fs::copy_file(big, copy);
            const std::wstring command = L"\"" + rcedit + L"\" \"" + copy.wstring() +
                                         L"\" --set-icon \"" + (dir / "new.ico").wstring() +
                                         L"\" --set-resource-string 102 \"新文档\"" +
                                         L" --set-resource-string 57344 \"新标题\"";
            bool ran = false;
            rc.push_back(bench::Milliseconds([&] { ran = Run(command); }));
            if (!ran) {
                std::printf("rcedit failed\n");
                return 1;
            }
        }

        if (fs::exists(cmd)) {
            const fs::path second = dir / ("cmd" + std::to_string(round));
            samples::WriteSampleInstall(second, options);
            const std::wstring command = L"\"" + cmd.wstring() + L"\" brand \"" +
                                         (dir / "brand.ini").wstring() + L"\" \"" +
                                         (second / "ZovIDE.exe").wstring() + L"\"";
            bool ran = false;
            console.push_back(bench::Milliseconds([&] { ran = Run(command); }));
            if (!ran) {
                std::printf("VedArodCmd failed\n");
                return 1;
            }
        }

        testsupport::DialogHarness h;
        h.SelectTarget((install / "ZovIDE.exe").u16string());
        h.Click(1034);
        h.Prompts().AnswerNextPicker((dir / "new.ico").u16string());
        h.Click(1005);
        h.Type(1008, u"新标题");
        h.Type(1037, u"新文档");
        tool.push_back(bench::Milliseconds([&] { h.Click(1000); }));
        if (h.MessageTexts() != std::vector<std::u16string>{u"修改应用程序成功"}) {
            std::printf("the rebrand did not succeed\n");
            return 1;
        }
    }
    std::printf("executable: %.1f MB, %d rounds\n", static_cast<double>(fs::file_size(big)) / 1e6,
                rounds);
    std::printf("rebrand through the tool (median): %8.1f ms (best %.1f)\n", bench::Median(tool),
                bench::Best(tool));
    std::printf("bare updates in place    (median): %8.1f ms (best %.1f)\n", bench::Median(bare),
                bench::Best(bare));
    std::printf("tool / bare: %.2f\n", bench::Median(tool) / bench::Median(bare));
    if (!rc.empty()) {
        std::printf("rcedit, one process      (median): %8.1f ms (best %.1f)\n", bench::Median(rc),
                    bench::Best(rc));
        std::printf("tool / rcedit: %.2f\n", bench::Median(tool) / bench::Median(rc));
    }
    if (!console.empty()) {
        std::printf("VedArodCmd, one process  (median): %8.1f ms (best %.1f)\n",
                    bench::Median(console), bench::Best(console));
        if (!rc.empty()) {
            std::printf("VedArodCmd / rcedit: %.2f\n", bench::Median(console) / bench::Median(rc));
        }
    }
    fs::remove_all(dir);
    return 0;
}
