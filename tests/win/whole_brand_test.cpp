// A whole brand of the CAD-like stand-in, 64- and 32-bit, through VedArodCmd: check finds the
// old brand in every kind of place; brand changes them all, as Windows' own version, resource,
// icon, menu and dialog functions read the branded executable; the program still starts;
// check then finds nothing; restore gives back the install byte for byte.
#include <gtest/gtest.h>

#include <windows.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/unicode.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/cmd_run.h"
#include "tests/win/resource_snapshot.h"
#include "tests/win/standin_run.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::CmdRun;
using testsupport::Quoted;
using testsupport::RunCmd;
using testsupport::TargetInstall;
using testsupport::WriteBytes;

constexpr WORD kChinese = 2052;

const char16_t* const kOldTexts[] = {u"ZovIDE", u"Zov 软件有限公司", u"Zov Software"};
const std::pair<const char16_t*, const char16_t*> kReplace[] = {
    {u"ZovIDE", u"ACad"}, {u"Zov 软件有限公司", u"A 公司"}, {u"Zov Software Ltd.", u"A Company"}};
const std::pair<const wchar_t*, const wchar_t*> kVersionStrings[] = {
    {L"CompanyName", L"A 公司"},
    {L"FileDescription", L"ACad 计算机辅助设计"},
    {L"FileVersion", L"5.2.1.9 (正式版)"},
    {L"InternalName", L"ACad"},
    {L"LegalCopyright", L"版权所有 (C) A 公司"},
    {L"LegalTrademarks", L"ACad®"},
    {L"OriginalFilename", L"ACad.exe"},
    {L"PrivateBuild", L"A-2026"},
    {L"ProductName", L"ACad"},
    {L"ProductVersion", L"5.2"},
    {L"Comments", L"A 公司 的 CAD"},
    {L"SpecialBuild", L"经销商版"}};
constexpr char16_t kCaption[] = u"A 公司 CAD";
constexpr char16_t kDocName[] = u"A 图纸";

std::u16string Replaced(std::u16string text) {
    for (const auto& [from, to] : kReplace) {
        const std::u16string old = from;
        for (size_t at = text.find(old); at != std::u16string::npos;
             at = text.find(old, at + std::char_traits<char16_t>::length(to))) {
            text.replace(at, old.size(), to);
        }
    }
    return text;
}

bool HoldsOldText(const std::u16string& text) {
    for (const char16_t* old : kOldTexts) {
        if (text.find(old) != std::u16string::npos) {
            return true;
        }
    }
    return false;
}

std::u16string U(const std::wstring& text) {
    return testsupport::FromWide(text);
}

std::string Utf8(const std::u16string& text) {
    return platform::Utf16ToUtf8(text);
}

// The executable loaded as Explorer loads it to read its resources.
class ResourceModule {
public:
    explicit ResourceModule(const std::wstring& path)
        : module_(LoadLibraryExW(path.c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    ~ResourceModule() {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;

    HMODULE Get() const { return module_; }
    std::optional<std::string> Find(WORD type, WORD name, WORD language) const {
        const HRSRC found =
            FindResourceExW(module_, MAKEINTRESOURCEW(type), MAKEINTRESOURCEW(name), language);
        const void* data = found != nullptr ? LockResource(LoadResource(module_, found)) : nullptr;
        if (data == nullptr) {
            return std::nullopt;
        }
        return std::string(static_cast<const char*>(data), SizeofResource(module_, found));
    }

private:
    HMODULE module_;
};

// The images of an .ico file by their size (a width of 0 in the directory is 256).
std::map<int, std::string> IcoImages(const std::string& ico) {
    const auto byte = [&](size_t at) {
        return static_cast<uint32_t>(static_cast<uint8_t>(ico[at]));
    };
    const auto dword = [&](size_t at) {
        return byte(at) | byte(at + 1) << 8 | byte(at + 2) << 16 | byte(at + 3) << 24;
    };
    std::map<int, std::string> images;
    for (size_t i = 0; i < (byte(4) | byte(5) << 8); ++i) {
        const size_t entry = 6 + 16 * i;
        images[byte(entry) == 0 ? 256 : static_cast<int>(byte(entry))] =
            ico.substr(dword(entry + 12), dword(entry + 8));
    }
    return images;
}

// The icon group's image that Windows picks at each size of the .ico file is the file's
// image of that size, and the group holds as many images as the file.
void ExpectIconGroupIs(const ResourceModule& module, WORD group, const std::string& ico) {
    const std::optional<std::string> directory = module.Find(14, group, kChinese);
    ASSERT_TRUE(directory) << "RT_GROUP_ICON " << group;
    const std::map<int, std::string> images = IcoImages(ico);
    ASSERT_GE(directory->size(), 6u);
    EXPECT_EQ(images.size(), static_cast<uint8_t>((*directory)[4]) |
                                 static_cast<size_t>(static_cast<uint8_t>((*directory)[5])) << 8);
    for (const auto& [size, bytes] : images) {
        const int id = LookupIconIdFromDirectoryEx(
            reinterpret_cast<PBYTE>(const_cast<char*>(directory->data())), TRUE, size, size,
            LR_DEFAULTCOLOR);
        const std::optional<std::string> image = module.Find(3, static_cast<WORD>(id), kChinese);
        EXPECT_TRUE(image && *image == bytes)
            << "group " << group << " at " << size << " px: RT_ICON " << id;
    }
}

struct VersionSeen {
    std::vector<std::wstring> tables;              // "080404b0", from the translations
    std::map<std::wstring, std::wstring> strings;  // "080404b0\CompanyName"
    std::array<DWORD, 4> numbers{};                // file MS, LS, product MS, LS
};

std::optional<VersionSeen> ReadVersion(const std::wstring& exe) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
    std::vector<char> data(size);
    if (size == 0 || !GetFileVersionInfoW(exe.c_str(), 0, size, data.data())) {
        return std::nullopt;
    }
    VersionSeen seen;
    void* value = nullptr;
    UINT length = 0;
    if (VerQueryValueW(data.data(), L"\\", &value, &length) && length >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        seen.numbers = {fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                        fixed->dwProductVersionLS};
    }
    if (VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length)) {
        for (UINT i = 0; i + 4 <= length; i += 4) {
            const auto* pair = reinterpret_cast<const WORD*>(static_cast<const char*>(value) + i);
            std::wstring table;
            for (const DWORD hex = static_cast<DWORD>(pair[0]) << 16 | pair[1]; table.size() < 8;) {
                table += L"0123456789abcdef"[hex >> (28 - 4 * table.size()) & 0xF];
            }
            seen.tables.push_back(table);
        }
    }
    for (const std::wstring& table : seen.tables) {
        for (const auto& [key, unused] : kVersionStrings) {
            const std::wstring path = L"\\StringFileInfo\\" + table + L"\\" + key;
            if (VerQueryValueW(data.data(), path.c_str(), &value, &length) && length > 0) {
                seen.strings[table + L"\\" + key] = static_cast<const wchar_t*>(value);
            }
        }
    }
    return seen;
}

INT_PTR CALLBACK IgnoreMessages(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}

// The texts of an executable's string tables, dialogs, menus and manifests as Windows reads
// them: string entries from the blocks, dialogs created (hidden) from their templates, menus
// loaded from theirs, manifests as text. Keys name the place ("dialog #100 2052 #3").
std::map<std::string, std::u16string> TextsSeen(const std::wstring& exe) {
    std::map<std::string, std::u16string> texts;
    const ResourceModule module(exe);
    const auto resources = testsupport::ReadAllResources(exe);
    if (module.Get() == nullptr || !resources) {
        return texts;
    }
    for (const auto& [key, bytes] : *resources) {
        const auto& [type, name, language] = key;
        const std::string place = Utf8(U(name)) + " " + std::to_string(language);
        const auto add = [&](const std::string& what, size_t n, const std::u16string& text) {
            texts[what + " " + place + " #" + std::to_string(n)] = text;
        };
        if (type == L"#6") {
            // Sixteen entries, each a count of UTF-16 units and the units.
            size_t at = 0;
            for (size_t n = 0; n < 16 && at + 2 <= bytes.size(); ++n) {
                const size_t count = static_cast<uint8_t>(bytes[at]) |
                                     static_cast<size_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
                std::u16string text(count, u'\0');
                bytes.copy(reinterpret_cast<char*>(text.data()), 2 * count, at + 2);
                at += 2 + 2 * count;
                if (count > 0) {
                    add("string", n, text);
                }
            }
        } else if (type == L"#5") {
            const HWND dialog = CreateDialogIndirectParamW(
                module.Get(), reinterpret_cast<LPCDLGTEMPLATEW>(bytes.data()), nullptr,
                IgnoreMessages, 0);
            size_t n = 0;
            for (HWND w = dialog; w != nullptr;
                 w = w == dialog ? GetWindow(dialog, GW_CHILD) : GetWindow(w, GW_HWNDNEXT)) {
                wchar_t text[256] = {};
                GetWindowTextW(w, text, 256);
                add("dialog", n++, U(text));
            }
            if (dialog == nullptr) {
                ADD_FAILURE() << "dialog not created: " << place;
            }
            DestroyWindow(dialog);
        } else if (type == L"#4") {
            const HMENU menu = LoadMenuIndirectW(bytes.data());
            size_t n = 0;
            std::vector<HMENU> levels = {menu};
            while (!levels.empty()) {
                const HMENU level = levels.back();
                levels.pop_back();
                for (int i = 0; i < GetMenuItemCount(level); ++i) {
                    wchar_t text[256] = {};
                    GetMenuStringW(level, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
                    add("menu", n++, U(text));
                    if (const HMENU sub = GetSubMenu(level, i)) {
                        levels.push_back(sub);
                    }
                }
            }
            if (menu == nullptr) {
                ADD_FAILURE() << "menu not loaded: " << place;
            }
            DestroyMenu(menu);
        } else if (type == L"#24") {
            add("manifest", 0, platform::Utf8ToUtf16(bytes));
        }
    }
    return texts;
}

// The kinds of place ("string 1033", "menu") that hold an old text.
std::set<std::string> KindsHoldingOldTexts(const std::map<std::string, std::u16string>& texts) {
    std::set<std::string> kinds;
    for (const auto& [place, text] : texts) {
        if (HoldsOldText(text)) {
            const size_t name = place.find(' ');
            const size_t language = place.find(' ', name + 1);
            kinds.insert(place.substr(0, name) +
                         place.substr(language, place.find(' ', language + 1) - language));
        }
    }
    return kinds;
}

// Language entries with the old brand, beside the sample's own.
void AddLangEntries(const TargetInstall& install, int slot, const char16_t* file,
                    std::vector<samples::LangEntry> extra) {
    std::vector<samples::LangEntry> entries = samples::MakeLangEntries(slot, 3);
    entries.insert(entries.end(), extra.begin(), extra.end());
    WriteBytes(install.install / "Lang" / fs::path(file), samples::EncodeLangFile(entries));
}

fs::path WriteBrandFile(const TargetInstall& install) {
    std::u16string text =
        u"; reseller A, every section\r\n"
        u"[brand]\r\nedition = standard\r\nicon = a.ico\r\nstartup_image = login.bmp\r\n"
        u"caption = " +
        std::u16string(kCaption) + u"\r\ndocument_name = " + kDocName +
        u"\r\napp_name = ACad\r\n"
        u"[icons]\r\nmain = a.ico\r\n129 = a_doc.ico\r\n"
        u"[version]\r\n";
    for (const auto& [key, value] : kVersionStrings) {
        text += U(key) + u" = " + U(value) + u"\r\n";
    }
    text += u"file_version = 5.2.1.9\r\nproduct_version = 5.2.0.0\r\n[replace]\r\n";
    for (const auto& [from, to] : kReplace) {
        text += std::u16string(from) + u" = " + to + u"\r\n";
    }
    text += u"[profile]\r\ncompany = A 公司\r\nphone = 010-87654321\r\nurl = http://a.example\r\n";
    const fs::path path = install.sources / "a.ini";
    WriteBytes(path, Utf8(text));
    return path;
}

std::wstring CheckArguments(const fs::path& exe) {
    std::wstring arguments = L"check " + Quoted(exe);
    for (const char16_t* old : kOldTexts) {
        arguments += L" \"" + testsupport::Wide(old) + L"\"";
    }
    return arguments;
}

std::optional<std::map<std::string, std::u16string>> Printed(const TargetInstall& install,
                                                             const fs::path& exe) {
    return testsupport::PrintLoaded(exe.wstring(), (install.dir.Path() / "printed.txt").wstring());
}

struct Program {
    const char* name;
    const wchar_t* file;  // beside the test program
    bool runsEverywhere;  // a 32-bit program needs a system that runs 32-bit programs
};

void PrintTo(const Program& program, std::ostream* out) {
    *out << program.name;
}

class CadLike : public testing::TestWithParam<Program> {};

TEST_P(CadLike, CheckBrandCheckRestore) {
    const std::wstring program = testsupport::BesideTestProgram(GetParam().file);
    if (!fs::exists(program)) {
        GTEST_SKIP() << "not built: " << fs::path(program).string();
    }
    // 1. The install, its language files and profile holding the old brand too.
    TargetInstall install(fs::temp_directory_path(), program);
    AddLangEntries(install, 0, u"lang_chs.ini",
                   {{u"IDS_ABOUT_APP", u"关于 ZovIDE"}, {u"IDS_MAKER", u"Zov 软件有限公司 出品"}});
    AddLangEntries(install, 2, u"lang_en.ini", {{u"IDS_MAKER", u"Made by Zov Software Ltd."}});
    WriteBytes(install.install / "config" / "VirUdezed.cfg",
               "[CUSTOMPAR]\r\nCOMPANY=Zov Software Ltd.\r\nFILEPASSWORD=\r\nPHONE=010-1\r\n"
               "URL=www.zovide.example\r\nUSINGFILEPASSWORD=0\r\n");
    const std::string mainIco = samples::MakeIco({16, 24, 32, 48, 64, 128, 256}, 3, 256);
    const std::string docIco = samples::MakeIco({16, 32, 48, 256}, 4, 256);
    WriteBytes(install.sources / "a.ico", mainIco);
    WriteBytes(install.sources / "a_doc.ico", docIco);
    const fs::path original = install.install / "ZovIDE.exe";
    const auto filesBefore = install.Files();
    const auto textsBefore = TextsSeen(original.wstring());
    EXPECT_EQ((std::set<std::string>{"dialog 2052", "manifest 2052", "menu 2052", "string 1033",
                                     "string 2052"}),
              KindsHoldingOldTexts(textsBefore));
    const bool runs = Printed(install, original).has_value();
    EXPECT_TRUE(runs || !GetParam().runsEverywhere);
    if (!runs) {
        std::printf("[   NOTE   ] %s does not run on this system: its start is not checked\n",
                    GetParam().name);
    }

    // 2. check names every kind of place.
    const CmdRun found = RunCmd(CheckArguments(original));
    EXPECT_EQ(1u, found.exitCode);
    for (const char16_t* line :
         {u"ZovIDE.exe：版本信息 080404b0 CompanyName：Zov 软件有限公司\r\n",
          u"ZovIDE.exe：版本信息 080404b0 InternalName：ZovIDE\r\n",
          u"ZovIDE.exe：版本信息 040904b0 CompanyName：Zov Software Ltd.\r\n",
          u"ZovIDE.exe：版本信息 040904b0 Comments：ZovIDE for engineers\r\n",
          u"ZovIDE.exe：字符串表 #57344（语言 2052）：ZovIDE 计算机辅助设计\r\n",
          u"ZovIDE.exe：字符串表 #201（语言 2052）：Zov 软件有限公司 版权所有\r\n",
          u"ZovIDE.exe：字符串表 #57344（语言 1033）：ZovIDE Computer-Aided Design\r\n",
          u"ZovIDE.exe：字符串表 #201（语言 1033）：Copyright Zov Software Ltd.\r\n",
          u"ZovIDE.exe：对话框 100（语言 2052）标题：关于 ZovIDE\r\n",
          u"ZovIDE.exe：对话框 100（语言 2052）控件 1002：Zov 软件有限公司 版权所有\r\n",
          u"ZovIDE.exe：对话框 101（语言 2052）控件 1101：欢迎使用 ZovIDE\r\n",
          u"ZovIDE.exe：菜单 128（语言 2052）第 2.1 项：关于 ZovIDE(&A)...\r\n",
          u"ZovIDE.exe：菜单 130（语言 2052）第 1.1 项：ZovIDE 选项...\r\n",
          u"ZovIDE.exe：清单 1 description：ZovIDE 计算机辅助设计 (Zov 软件有限公司)\r\n",
          u"Lang\\lang_chs.ini：IDS_MAKER：Zov 软件有限公司 出品\r\n",
          u"Lang\\lang_en.ini：IDS_MAKER：Made by Zov Software Ltd.\r\n",
          u"config\\VirUdezed.cfg：[CUSTOMPAR] COMPANY：Zov Software Ltd.\r\n",
          u"ZovIDE.exe：应用程序文件名\r\n"}) {
        EXPECT_NE(std::u16string::npos, found.output.find(line)) << Utf8(line);
    }
    EXPECT_EQ(install.Files(), filesBefore);

    // 3. The brand.
    const CmdRun branded =
        RunCmd(L"brand " + Quoted(WriteBrandFile(install)) + L" " + Quoted(original));
    EXPECT_EQ(0u, branded.exitCode) << Utf8(branded.output);
    EXPECT_NE(std::u16string::npos, branded.output.find(u"未找到")) << Utf8(branded.output);
    const fs::path exe = install.install / "ACad.exe";
    ASSERT_TRUE(fs::exists(exe) && !fs::exists(original)) << Utf8(branded.output);

    // 4. Windows' own functions on the branded executable.
    const std::optional<VersionSeen> version = ReadVersion(exe.wstring());
    ASSERT_TRUE(version);
    EXPECT_EQ((std::vector<std::wstring>{L"080404b0", L"040904b0"}), version->tables);
    std::map<std::wstring, std::wstring> versionStrings;
    for (const wchar_t* table : {L"080404b0", L"040904b0"}) {
        for (const auto& [key, value] : kVersionStrings) {
            versionStrings[table + (L"\\" + std::wstring(key))] = value;
        }
    }
    EXPECT_EQ(versionStrings, version->strings);
    EXPECT_EQ((std::array<DWORD, 4>{0x50002, 0x10009, 0x50002, 0}), version->numbers);
    {
        const ResourceModule module(exe.wstring());
        ASSERT_NE(nullptr, module.Get());
        ExpectIconGroupIs(module, 128, mainIco);
        ExpectIconGroupIs(module, 129, docIco);
    }
    std::map<std::string, std::u16string> expected;
    for (const auto& [place, text] : textsBefore) {
        expected[place] = Replaced(text);
    }
    // What the rebrand's caption and document name set, in the Chinese tables.
    expected["string #3585 2052 #0"] = kCaption;
    expected["string #7 2052 #6"] = kDocName;
    expected["string #7 2052 #14"] = kCaption;
    expected["string #7 2052 #15"] =
        u"\nA 公司 CAD\nA 公司 CAD\nA 公司 CAD Files (*.vlqx)\n.vlqx\nA 公司 CAD.Document\n"
        u"A 公司 CAD.Document";
    const auto textsAfter = TextsSeen(exe.wstring());
    EXPECT_EQ(expected, textsAfter);
    EXPECT_EQ(std::set<std::string>{}, KindsHoldingOldTexts(textsAfter));
    EXPECT_EQ(u"就绪", textsAfter.at("string #3585 2052 #1"));
    EXPECT_EQ(u"Ready", textsAfter.at("string #3585 1033 #1"));

    // 5. The program still starts and shows the new caption.
    if (runs) {
        const auto printed = Printed(install, exe);
        ASSERT_TRUE(printed);
        const bool chinese = GetUserDefaultUILanguage() == kChinese;
        EXPECT_EQ(std::u16string(chinese ? kCaption : u"ACad Computer-Aided Design"),
                  printed->at("57344"));
        EXPECT_EQ(std::u16string(chinese ? u"就绪" : u"Ready"), printed->at("57345"));
        EXPECT_NE(u"none", printed->at("icon"));
    }

    // 6. Nothing of the old brand is left.
    const CmdRun clean = RunCmd(CheckArguments(exe));
    EXPECT_EQ(0u, clean.exitCode) << Utf8(clean.output);

    // 7. Restore gives back the install as it was.
    const CmdRun restored = RunCmd(L"restore " + Quoted(install.install));
    EXPECT_EQ(0u, restored.exitCode) << Utf8(restored.output);
    EXPECT_EQ(filesBefore, install.Files());
    EXPECT_FALSE(fs::exists(install.Backup()));
}

INSTANTIATE_TEST_SUITE_P(WholeBrand, CadLike,
                         testing::Values(Program{"Bits64", L"cadlike.exe", true},
                                         Program{"Bits32", L"cadlike32.exe", false}),
                         [](const testing::TestParamInfo<Program>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
