// Times a full rebrand (icon, caption, new-document name) of a large executable through the
// dialog, next to the same three updates done in place by the bare platform functions.
// Build and run (the large stand-in is built on request only):
//   source scripts/lib.sh; build_win rebrand_bench
//   scripts/wine-exec.sh build/win64/bench/rebrand_bench.exe   (with a display, e.g. Xvfb)
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

fs::path Beside(const char* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / name;
}

}  // namespace

int main() {
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

    std::vector<double> tool, bare;
    for (int round = 0; round < 3; ++round) {
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
    std::sort(tool.begin(), tool.end());
    std::sort(bare.begin(), bare.end());
    std::printf("executable: %.1f MB\n", static_cast<double>(fs::file_size(big)) / 1e6);
    std::printf("rebrand through the tool (median of 3): %8.1f ms (best %.1f)\n", tool[1], tool[0]);
    std::printf("bare updates in place    (median of 3): %8.1f ms (best %.1f)\n", bare[1], bare[0]);
    std::printf("ratio: %.2f\n", tool[1] / bare[1]);
    fs::remove_all(dir);
    return 0;
}
