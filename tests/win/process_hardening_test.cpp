// A DLL planted beside the tool is not loaded once the search path is restricted.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/win/standin_run.h"

namespace {

namespace fs = std::filesystem;

fs::path Beside(const wchar_t* name) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return fs::path(self).parent_path() / name;
}

TEST(ProcessHardening, PlantedDllIsNotLoaded) {
    const fs::path probe = Beside(L"dll_probe.exe");
    ASSERT_TRUE(fs::exists(Beside(L"vedarod_planted.dll")));
    // Without the restriction the plant works: the probe is a fair test.
    auto loaded = testsupport::RunProgram(L"\"" + probe.wstring() + L"\" unrestricted");
    ASSERT_TRUE(loaded);
    EXPECT_EQ(1u, *loaded);
    auto refused = testsupport::RunProgram(L"\"" + probe.wstring() + L"\"");
    ASSERT_TRUE(refused);
    EXPECT_EQ(0u, *refused);
}

}  // namespace
