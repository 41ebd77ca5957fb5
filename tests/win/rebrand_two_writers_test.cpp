// The tool's resource writer against the platform's own updater (BeginUpdateResourceW /
// UpdateResourceW / EndUpdateResourceW) as an independent second writer: on every
// executable of the corpus, Windows' resource functions read the same resources back after
// both made the same changes.
#include <gtest/gtest.h>
#include <windows.h>
#include <imagehlp.h>

#include <string>
#include <vector>

#include "rebrand/pe_image.h"
#include "rebrand/resource_writer.h"
#include "rebrand/string_block.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/win/resource_snapshot.h"
#include "tests/win/standin_run.h"

namespace {

using rebrand::ResourceName;

struct Update {
    WORD type;
    WORD name;
    WORD language;
    std::string data;
    bool remove = false;
};

bool PlatformWrite(const std::wstring& path, const std::vector<Update>& updates) {
    const HANDLE update = BeginUpdateResourceW(path.c_str(), FALSE);
    if (update == nullptr) {
        return false;
    }
    for (const Update& u : updates) {
        if (!UpdateResourceW(update, MAKEINTRESOURCEW(u.type), MAKEINTRESOURCEW(u.name), u.language,
                             u.remove ? nullptr : const_cast<char*>(u.data.data()),
                             u.remove ? 0 : static_cast<DWORD>(u.data.size()))) {
            EndUpdateResourceW(update, TRUE);
            return false;
        }
    }
    return EndUpdateResourceW(update, FALSE) != FALSE;
}

rebrand::ResourceWriteStatus OwnWrite(const std::string& image, const std::vector<Update>& updates,
                                      std::string& out, rebrand::ImagePlan& plan) {
    std::vector<rebrand::ResourceChange> changes;
    for (const Update& u : updates) {
        changes.push_back({ResourceName::Id(u.type), ResourceName::Id(u.name),
                           ResourceName::Id(u.language), u.data, u.remove});
    }
    return rebrand::ApplyResourceChanges(image, changes, out, &plan);
}

// What the loader functions give for the strings and icon groups of a module.
std::vector<std::wstring> LoaderView(const std::wstring& path,
                                     const testsupport::ResourceMap& all) {
    std::vector<std::wstring> view;
    const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) {
        return {L"<not loaded>"};
    }
    std::vector<UINT> ids;
    for (UINT id = 0; id < 256; ++id) {
        ids.push_back(id);
    }
    for (UINT id = 57344; id < 57360; ++id) {
        ids.push_back(id);
    }
    for (const UINT id : ids) {
        wchar_t text[512] = {};
        const int length = LoadStringW(module, id, text, 512);
        view.push_back(std::to_wstring(id) + L"=" + std::wstring(text, length > 0 ? length : 0));
    }
    for (const auto& [key, data] : all) {
        if (std::get<0>(key) != L"#14" || data.size() < 6) {
            continue;
        }
        for (const int size : {16, 24, 32, 48, 256}) {
            const int id =
                LookupIconIdFromDirectoryEx(reinterpret_cast<PBYTE>(const_cast<char*>(data.data())),
                                            TRUE, size, size, LR_DEFAULTCOLOR);
            view.push_back(std::get<1>(key) + L"@" + std::to_wstring(size) + L"=" +
                           std::to_wstring(id));
        }
    }
    FreeLibrary(module);
    return view;
}

struct CorpusEntry {
    std::string what;
    std::wstring path;
};

std::vector<CorpusEntry> Corpus(testsupport::TempDir& dir) {
    std::vector<CorpusEntry> corpus;
    const std::wstring standin = testsupport::StandInPath();
    corpus.push_back({"stand-in", standin});
    corpus.push_back(
        {"stand-in, resources first",
         standin.substr(0, standin.find_last_of(L"\\/") + 1) + L"standin_rsrc_first.exe"});
    for (const bool pe32Plus : {false, true}) {
        for (const bool reloc : {false, true}) {
            testsupport::PeLayout layout;
            layout.pe32Plus = pe32Plus;
            layout.sectionSizes = {0x400, 0x200, 0x200};
            layout.sectionNames = {".text", ".rsrc", reloc ? ".reloc" : ".data"};
            layout.resourceSection = 1;
            layout.checksum = 1;
            std::string image;
            EXPECT_EQ(rebrand::ResourceWriteStatus::kOk,
                      rebrand::ApplyResourceChanges(
                          testsupport::BuildPeImage(layout),
                          {{ResourceName::Id(6), ResourceName::Id(1), ResourceName::Id(1033),
                            std::string(34, '\0'), false},
                           {ResourceName::Text(u"PNG"), ResourceName::Text(u"LOGO"),
                            ResourceName::Id(0), "png bytes", false}},
                          image));
            const std::string what = std::string(pe32Plus ? "PE32+" : "PE32") +
                                     (reloc ? " built, .reloc behind" : " built, .data behind");
            const auto path = dir.Path() / (what.substr(0, 5) + (reloc ? "r" : "d") + ".exe");
            testsupport::WriteBytes(path, image);
            corpus.push_back({what, path.wstring()});
        }
    }
    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    wchar_t wow[MAX_PATH] = {};
    GetSystemWow64DirectoryW(wow, MAX_PATH);
    for (const wchar_t* name : {L"notepad.exe", L"regedit.exe", L"winver.exe"}) {
        corpus.push_back({"system " + std::string(name, name + wcslen(name)),
                          std::wstring(system) + L"\\" + name});
        if (wow[0] != 0) {
            corpus.push_back({"32-bit system " + std::string(name, name + wcslen(name)),
                              std::wstring(wow) + L"\\" + name});
        }
    }
    return corpus;
}

std::vector<std::vector<Update>> ChangeSets(const testsupport::ResourceMap& all) {
    const std::string image(0x2E8, '\x11');
    const auto title = rebrand::BuildTitleStringBlock(u"品牌 Brand").bytes;
    const auto docs =
        rebrand::BuildDocStringBlock(u"品牌", u"新文档", rebrand::Edition::kStandard).bytes;
    std::vector<Update> rebrand;
    for (WORD id = 1; id <= 4; ++id) {
        rebrand.push_back({3, id, 2052, image});
    }
    rebrand.push_back({6, 7, 2052, docs});
    rebrand.push_back({6, 3585, 2052, title});
    std::vector<Update> more = rebrand;
    more.push_back({10, 1000, 2052, std::string(70000, '\x5A')});
    // One resource of the executable deleted.
    for (const auto& [key, data] : all) {
        const std::wstring& type = std::get<0>(key);
        const std::wstring& name = std::get<1>(key);
        if (type[0] == L'#' && name[0] == L'#' && type != L"#3" && type != L"#6") {
            more.push_back({static_cast<WORD>(std::stoi(type.substr(1))),
                            static_cast<WORD>(std::stoi(name.substr(1))),
                            std::get<2>(key),
                            {},
                            true});
            break;
        }
    }
    return {rebrand, more};
}

// The keys where two snapshots differ, with the sizes each holds ("-" for none).
std::vector<std::wstring> Differences(const testsupport::ResourceMap& a,
                                      const testsupport::ResourceMap& b) {
    std::vector<std::wstring> out;
    const auto describe = [](const testsupport::ResourceKey& key, const std::string* x,
                             const std::string* y) {
        const auto size = [](const std::string* s) {
            return s == nullptr ? std::wstring(L"-") : std::to_wstring(s->size());
        };
        return std::get<0>(key) + L"/" + std::get<1>(key) + L"/" +
               std::to_wstring(std::get<2>(key)) + L": " + size(x) + L" vs " + size(y);
    };
    for (const auto& [key, data] : a) {
        const auto other = b.find(key);
        if (other == b.end() || other->second != data) {
            out.push_back(describe(key, &data, other == b.end() ? nullptr : &other->second));
        }
    }
    for (const auto& [key, data] : b) {
        if (a.count(key) == 0) {
            out.push_back(describe(key, nullptr, &data));
        }
    }
    return out;
}

// The entries where two loader views differ.
std::vector<std::wstring> Differences(const std::vector<std::wstring>& a,
                                      const std::vector<std::wstring>& b) {
    std::vector<std::wstring> out;
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::wstring x = i < a.size() ? a[i] : L"-";
        const std::wstring y = i < b.size() ? b[i] : L"-";
        if (x != y) {
            out.push_back(x.substr(0, 60) + L" vs " + y.substr(0, 60));
        }
    }
    return out;
}

DWORD MappedChecksum(std::string bytes) {
    DWORD stored = 0;
    DWORD computed = 0;
    bytes.push_back('\0');
    CheckSumMappedFile(&bytes[0], static_cast<DWORD>(bytes.size() - 1), &stored, &computed);
    return computed;
}

TEST(TwoWriters, LoaderReadsTheSameResourcesAfterBoth) {
    testsupport::TempDir dir;
    int compared = 0;
    int refused = 0;
    for (const CorpusEntry& entry : Corpus(dir)) {
        SCOPED_TRACE(entry.what);
        const std::string original = testsupport::ReadBytes(entry.path);
        if (original.empty() && entry.what.rfind("system", 0) != 0 &&
            entry.what.rfind("32-bit", 0) != 0) {
            ADD_FAILURE() << "missing corpus file";
        }
        if (original.empty()) {
            continue;  // a system program this Windows does not have
        }
        const auto before = testsupport::ReadAllResources(entry.path);
        ASSERT_TRUE(before.has_value());
        int set = 0;
        for (const std::vector<Update>& updates : ChangeSets(*before)) {
            SCOPED_TRACE(set++);
            const auto platformPath =
                dir.Path() / ("platform" + std::to_string(compared + refused) + ".exe");
            const auto ownPath = dir.Path() / ("own" + std::to_string(compared + refused) + ".exe");
            testsupport::WriteBytes(platformPath, original);
            ASSERT_TRUE(PlatformWrite(platformPath.wstring(), updates));
            std::string own;
            rebrand::ImagePlan plan;
            const auto status = OwnWrite(original, updates, own, plan);
            if (status == rebrand::ResourceWriteStatus::kWouldMove) {
                // Refused only where the platform's result moved that section.
                const std::string platform = testsupport::ReadBytes(platformPath);
                EXPECT_EQ(plan.movedSection,
                          rebrand::MovedSection(rebrand::SectionPlaces(original),
                                                rebrand::SectionPlaces(platform)));
                ++refused;
                continue;
            }
            ASSERT_EQ(rebrand::ResourceWriteStatus::kOk, status);
            testsupport::WriteBytes(ownPath, own);
            auto fromPlatform = testsupport::ReadAllResources(platformPath.wstring());
            const auto fromOwn = testsupport::ReadAllResources(ownPath.wstring());
            ASSERT_TRUE(fromPlatform.has_value() && fromOwn.has_value());
            // Wine's updater keeps a resource that UpdateResourceW was given no data for
            // (Windows deletes it); the deletion is compared with what it would leave.
            for (const Update& u : updates) {
                if (u.remove) {
                    fromPlatform->erase(testsupport::Key(u.type, u.name, u.language));
                }
            }
            EXPECT_EQ(std::vector<std::wstring>{}, Differences(*fromPlatform, *fromOwn));
            EXPECT_EQ(std::vector<std::wstring>{},
                      Differences(LoaderView(platformPath.wstring(), *fromPlatform),
                                  LoaderView(ownPath.wstring(), *fromOwn)));
            rebrand::PeHeaders h;
            ASSERT_EQ(rebrand::PeStatus::kOk, rebrand::ParsePeHeaders(own, h));
            if (h.checksum != 0) {
                EXPECT_EQ(MappedChecksum(own), h.checksum);
            }
            ++compared;
        }
    }
    EXPECT_GE(compared, 10);
    EXPECT_GE(refused, 1) << "the layout with resources first refuses growth";
}

}  // namespace
