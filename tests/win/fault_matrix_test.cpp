// Every file the tool writes, under every fault the file system can put in its way: the
// former file stays as it was and the user is told.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "commands/commands.h"
#include "lang/lang_table.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"
#include "tests/win/harness.h"
#include "tests/win/standin_run.h"
#include "tests/win/target_install.h"

namespace {

namespace fs = std::filesystem;
using testsupport::DialogHarness;
using testsupport::ReadBytes;
using testsupport::TargetInstall;

enum class Kind { kProfile, kLanguage, kPicture, kExecutable };
enum class Fault { kReadOnly, kHeldOpen, kHeldForReading, kFolderMissing, kDiskFull };

const char* Name(Kind k) {
    switch (k) {
        case Kind::kProfile:
            return "Profile";
        case Kind::kLanguage:
            return "LanguageFile";
        case Kind::kPicture:
            return "Picture";
        case Kind::kExecutable:
            return "Executable";
    }
    return "";
}

const char* Name(Fault f) {
    switch (f) {
        case Fault::kReadOnly:
            return "ReadOnly";
        case Fault::kHeldOpen:
            return "HeldOpenWithoutSharing";
        case Fault::kHeldForReading:
            return "HeldOpenForReading";
        case Fault::kFolderMissing:
            return "FolderMissing";
        case Fault::kDiskFull:
            return "DiskFull";
    }
    return "";
}

// The folder of a small tmpfs that the test command mounts, as a Windows path; empty when
// there is none.
fs::path FullDiskFolder() {
    wchar_t unixPath[1024] = {};
    if (GetEnvironmentVariableW(L"VEDAROD_FULL_DISK_DIR", unixPath, 1024) == 0) {
        return {};
    }
    std::wstring path = L"Z:";
    for (const wchar_t* p = unixPath; *p != 0; ++p) {
        path += *p == L'/' ? L'\\' : *p;
    }
    return fs::path(path);
}

// Fills the disk of folder until not one more byte can be written.
void FillDisk(const fs::path& folder) {
    const HANDLE h = CreateFileW((folder / "filler.bin").wstring().c_str(), GENERIC_WRITE, 0,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    const std::string block(1 << 16, 'f');
    for (DWORD size : {DWORD{1} << 16, DWORD{4096}, DWORD{1}}) {
        DWORD written = 0;
        while (WriteFile(h, block.data(), size, &written, nullptr) && written == size) {
        }
    }
    CloseHandle(h);
}

// Names of files beside the tool's own that must not stay: its temporary pattern and the
// platform replace's rf*.tmp.
std::vector<std::string> Leftovers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(folder)) {
        const std::string name = e.path().filename().string();
        if (name.find(".~") != std::string::npos ||
            (name.rfind("rf", 0) == 0 && e.path().extension() == ".tmp")) {
            found.push_back(name);
        }
    }
    return found;
}

// What the user did, the file it was meant to change, the folder that may go missing, and
// the message that must tell of the failure.
struct Scenario {
    fs::path file;
    fs::path folder;
    std::u16string message;
};

Scenario Prepare(Kind kind, const TargetInstall& install, DialogHarness& h) {
    h.SelectTarget(install.Exe());
    switch (kind) {
        case Kind::kProfile:
            h.Type(1031, u"新公司");
            return {install.install / "config" / "VirUdezed.cfg", install.install,
                    u"生成配置文件失败"};
        case Kind::kLanguage:
            return {install.install / "Lang" / "lang_chs.ini", install.install / "Lang",
                    u"语言文件保存失败"};
        case Kind::kPicture:
            h.Click(1030);
            h.Prompts().AnswerNextPicker(install.Source("login.bmp"));
            h.Click(1007);
            return {install.install / "res" / "login.bmp", install.install / "res",
                    u"开机图片修改失败"};
        case Kind::kExecutable:
            h.Click(1034);
            h.Prompts().AnswerNextPicker(install.Source("new.ico"));
            h.Click(1005);
            return {install.install / "ZovIDE.exe", install.install, u"图标修改失败"};
    }
    return {};
}

void Act(Kind kind, DialogHarness& h) {
    h.Prompts().messages.clear();
    switch (kind) {
        case Kind::kProfile:
            h.Click(1024);
            break;
        case Kind::kLanguage:
            h.Click(1028);
            break;
        case Kind::kPicture:
        case Kind::kExecutable:
            h.Click(1000);
            break;
    }
}

class FaultMatrix : public testing::TestWithParam<std::tuple<Kind, Fault>> {};

TEST_P(FaultMatrix, FormerFileIntactAndUserTold) {
    const auto [kind, fault] = GetParam();
    fs::path parent = fs::temp_directory_path();
    if (fault == Fault::kDiskFull) {
        parent = FullDiskFolder();
        if (parent.empty()) {
            GTEST_SKIP() << "no small file system to fill: the test command mounts a tmpfs "
                            "(as root) and names it in VEDAROD_FULL_DISK_DIR";
        }
    }
    TargetInstall install(parent);
    DialogHarness h;
    const Scenario s = Prepare(kind, install, h);
    const std::string before = ReadBytes(s.file);
    ASSERT_FALSE(before.empty());
    fs::path file = s.file;
    HANDLE held = INVALID_HANDLE_VALUE;
    switch (fault) {
        case Fault::kReadOnly:
            fs::permissions(
                file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                fs::perm_options::remove);
            break;
        case Fault::kHeldOpen:
            held = CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                               nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
            break;
        case Fault::kHeldForReading:  // the file can be read and copied, not renamed
            held = CreateFileW(file.wstring().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(INVALID_HANDLE_VALUE, held);
            break;
        case Fault::kFolderMissing: {
            // A file gone since the selection is asked about first: Yes, so that the write meets
            // the missing folder.
            h.Prompts().yesNoAnswers.push_back(true);
            const fs::path moved = s.folder.parent_path() / "moved-away";
            fs::rename(s.folder, moved);
            file = moved / fs::relative(s.file, s.folder);
            break;
        }
        case Fault::kDiskFull:
            FillDisk(install.dir.Path());
            break;
    }
    Act(kind, h);
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    if (fault == Fault::kDiskFull) {
        fs::remove(install.dir.Path() / "filler.bin");
    }
    const auto messages = h.MessageTexts();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find(s.message)) << messages[0].size();
    EXPECT_EQ(before, ReadBytes(file));
    // No temporary file is left beside it, neither the tool's nor the platform's.
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(file.parent_path()));
}

INSTANTIATE_TEST_SUITE_P(AllFiles, FaultMatrix,
                         testing::Combine(testing::Values(Kind::kProfile, Kind::kLanguage,
                                                          Kind::kPicture, Kind::kExecutable),
                                          testing::Values(Fault::kReadOnly, Fault::kHeldOpen,
                                                          Fault::kHeldForReading,
                                                          Fault::kFolderMissing, Fault::kDiskFull)),
                         [](const testing::TestParamInfo<std::tuple<Kind, Fault>>& info) {
                             return std::string(Name(std::get<0>(info.param))) + "_" +
                                    Name(std::get<1>(info.param));
                         });

}  // namespace

namespace {

uint32_t Le32(const std::string& b, size_t at) {
    return static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1]) << 8 |
           static_cast<uint8_t>(b[at + 2]) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3])) << 24;
}

// The file offset of the .rsrc section's raw data.
size_t ResourceSectionOffset(const std::string& exe) {
    const size_t pe = Le32(exe, 0x3C);
    const size_t sections = static_cast<uint8_t>(exe[pe + 6]) | static_cast<uint8_t>(exe[pe + 7])
                                                                    << 8;
    const size_t optionalSize =
        static_cast<uint8_t>(exe[pe + 20]) | static_cast<uint8_t>(exe[pe + 21]) << 8;
    const size_t table = pe + 24 + optionalSize;
    for (size_t i = 0; i < sections; ++i) {
        if (exe.compare(table + 40 * i, 5, ".rsrc") == 0) {
            return Le32(exe, table + 40 * i + 20);
        }
    }
    return 0;
}

std::string IcoHeader(uint16_t count, uint32_t size, uint32_t offset) {
    std::string ico("\0\0\1\0", 4);
    ico += static_cast<char>(count & 0xFF);
    ico += static_cast<char>(count >> 8);
    ico += std::string("\x20\x20\0\0\1\0\x20\0", 8);
    for (uint32_t v : {size, offset}) {
        for (int i = 0; i < 4; ++i) {
            ico += static_cast<char>((v >> (8 * i)) & 0xFF);
        }
    }
    return ico;
}

TEST(HostileInputs, BadIconFilesFailTheIconStepBeforeTheExecutableIsTouched) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"21 bytes", std::string(21, '\0')},
        {"entry beyond the end", IcoHeader(1, 100, 4000) + std::string(100, 'x')},
        {"image size 0", IcoHeader(1, 0, 22) + std::string(100, 'x')},
        {"image size 4 GB", IcoHeader(1, 0xFFFFFFFFu, 22) + std::string(100, 'x')},
        {"image count 0", IcoHeader(0, 100, 22) + std::string(100, 'x')},
        {"image is the file's own header", IcoHeader(1, 60, 0) + std::string(100, 'x')},
        {"cursor file", std::string("\0\0\2", 3) + IcoHeader(1, 40, 22).substr(3) + "\x28" +
                            std::string(39, '\0')},
        {"image neither bitmap nor PNG", IcoHeader(1, 100, 22) + std::string(100, 'x')},
    };
    TargetInstall install;
    const auto before = install.Files();
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Click(1034);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::WriteBytes(install.sources / "bad.ico", c.bytes);
        h.Prompts().AnswerNextPicker(install.Source("bad.ico"));
        h.Click(1005);
        h.Prompts().messages.clear();
        h.Click(1000);
        EXPECT_EQ(std::vector<std::u16string>{u"图标修改失败"}, h.MessageTexts());
    }
    EXPECT_EQ(before, install.Files());
}

TEST(HostileInputs, ExecutableWithACorruptResourceDirectoryIsLeftAlone) {
    TargetInstall install;
    const fs::path exe = install.install / "ZovIDE.exe";
    std::string bytes = ReadBytes(exe);
    const size_t rsrc = ResourceSectionOffset(bytes);
    ASSERT_NE(0u, rsrc);
    // Entry counts far beyond the section and entries pointing nowhere.
    for (size_t i = 12; i < 64; ++i) {
        bytes[rsrc + i] = '\xFF';
    }
    testsupport::WriteBytes(exe, bytes);
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Type(1008, u"标题");
    h.Click(1034);
    h.Prompts().AnswerNextPicker(install.Source("new.ico"));
    h.Click(1005);
    h.Click(1000);
    const auto messages = h.MessageTexts();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(u"图标修改失败", messages[0]);
    EXPECT_EQ(bytes, ReadBytes(exe));
}

}  // namespace

namespace {

std::string Utf16(const std::u16string& text) {
    return testsupport::Utf16LeBytes(text);
}

// The rows of every language, as the list shows them.
std::vector<std::vector<std::pair<std::u16string, std::u16string>>> AllRows(DialogHarness& h) {
    std::vector<std::vector<std::pair<std::u16string, std::u16string>>> rows;
    for (int slot = 0; slot < 16; ++slot) {
        h.ChooseLanguage(slot);
        rows.push_back(h.ListRows());
    }
    return rows;
}

TEST(HostileInputs, LanguageFilesAndListsNeverCrashNorLeaveTheLangFolder) {
    TargetInstall install;
    const fs::path lang = install.install / "Lang";
    const std::string mark("\xFF\xFE", 2);
    // Files that must never be read or written: beside Lang, above the install, absolute.
    const std::string outside = mark + Utf16(u"OUTSIDE=secret\r\n");
    testsupport::WriteBytes(install.install / "x.ini", outside);
    testsupport::WriteBytes(install.dir.Path() / "x.ini", outside);
    const std::u16string absolute = (install.dir.Path() / "abs.ini").u16string();
    testsupport::WriteBytes(install.dir.Path() / "abs.ini", outside);

    std::u16string hugeLine = u"HUGE=" + std::u16string(10 * 1024 * 1024, u'x') + u"\r\n";
    std::u16string manyEntries;
    for (int i = 0; i < 200000; ++i) {
        manyEntries += u"K" + std::u16string(1, static_cast<char16_t>(u'A' + i % 26)) + u"_" +
                       std::u16string(1, static_cast<char16_t>(0x4E00 + i % 500)) + u"=v\r\n";
    }
    const std::pair<const char*, std::string> files[] = {
        {"zeros.ini", mark + Utf16(std::u16string(u"A=x\0y\r\nB\0=z\r\n", 13))},
        {"cr.ini", mark + Utf16(u"A=1\rB=2\rC=3\r\n")},
        {"huge.ini", mark + Utf16(hugeLine)},
        {"many.ini", mark + Utf16(manyEntries)},
        {"surrogates.ini",
         mark + Utf16(u"A=" + std::u16string(1, char16_t(0xDC00)) + u"\r\nB=\xD800\r\n")},
        {"badutf8.ini", std::string("\xEF\xBB\xBF"
                                    "A=\xC3\x28\xFF\r\nB=ok\r\n")},
        {"odd.ini", mark + Utf16(u"A=1\r\n") + "\x42"},
    };
    std::string list;
    for (const auto& [name, bytes] : files) {
        testsupport::WriteBytes(lang / name, bytes);
        list += std::string(name) + "|";
    }
    list += "..\\x.ini|..\\..\\..\\x.ini|" + std::string(absolute.begin(), absolute.end()) +
            "|a*b.ini|con|";
    testsupport::WriteBytes(install.install / "config" / "ZovIDE.cfg",
                            "[SYSPAR]\r\nLANGFILELIST=" + list + "\r\n");

    DialogHarness h;
    h.SelectTarget(install.Exe());
    for (int slot = 0; slot < 16; ++slot) {
        h.ChooseLanguage(slot);
        for (const auto& row : h.ListRows()) {
            EXPECT_NE(u"OUTSIDE", row.first) << slot;
        }
    }
    using Rows = std::vector<std::pair<std::u16string, std::u16string>>;
    // NUL is an ordinary character of the table (the list shows a text up to it).
    Rows zeros;
    for (const auto& [id, text] : h.Dlg().m_langTable.Entries(0)) {
        zeros.emplace_back(id, text);
    }
    EXPECT_EQ((Rows{{u"A", std::u16string(u"x\0y", 3)}, {std::u16string(u"B\0", 2), u"z"}}), zeros);
    h.ChooseLanguage(1);  // a lone CR does not end a line
    EXPECT_EQ((Rows{{u"A", u"1\rB=2\rC=3"}}), h.ListRows());
    h.ChooseLanguage(2);
    ASSERT_EQ(1u, h.ListRows().size());
    EXPECT_EQ(10u * 1024 * 1024, h.ListRows()[0].second.size());
    h.ChooseLanguage(3);  // 200,000 lines, 6,500 distinct IDs
    EXPECT_EQ(6500u, h.ListRows().size());
    h.ChooseLanguage(5);
    EXPECT_EQ((Rows{{u"A", u"\uFFFD(\uFFFD"}, {u"B", u"ok"}}), h.ListRows());

    h.Click(1029);
    EXPECT_EQ(std::vector<std::u16string>{u"保存成功"}, h.MessageTexts());
    EXPECT_EQ(outside, ReadBytes(install.install / "x.ini"));
    EXPECT_EQ(outside, ReadBytes(install.dir.Path() / "x.ini"));
    EXPECT_EQ(outside, ReadBytes(install.dir.Path() / "abs.ini"));
    EXPECT_FALSE(fs::exists(lang / "a*b.ini"));
    // What was written reads back the same.
    const auto before = AllRows(h);
    h.SelectTarget(install.Exe());
    EXPECT_EQ(before, AllRows(h));
}

}  // namespace

namespace {

TEST(HostileInputs, ProfilesWithZerosBareLineEndsAndHugeLinesSurviveClosing) {
    TargetInstall install;
    const std::string big(10 * 1024 * 1024, 'x');
    const std::string config =
        "[SYSPAR]\rLANGFILELIST=lang_en.ini\rBIG=" + big + "\nZ=a" + std::string(1, '\0') + "b\r\n";
    testsupport::WriteBytes(install.install / "config" / "ZovIDE.cfg", config);
    {
        DialogHarness h;
        h.SelectTarget(install.Exe());
        EXPECT_EQ(3u, h.ListRows().size());  // lang_en.ini is slot 0 now
        SendMessageW(h.Hwnd(), WM_CLOSE, 0, 0);
        h.Pump();
    }
    // Only read, so never written back.
    EXPECT_EQ(config, ReadBytes(install.install / "config" / "ZovIDE.cfg"));
}

}  // namespace

namespace {

// Another program that opens every new file of a folder the moment it appears (as a virus
// scanner, an indexer or a sync client does), shared for reading and writing but not for
// deleting, and holds it for a few tens of milliseconds.
class ScannerLikeOpener {
public:
    // holdFiles false: only watches and counts arrivals, so that it never makes a save retry.
    explicit ScannerLikeOpener(const fs::path& folder, bool holdFiles = true)
        : holdFiles_(holdFiles),
          folder_(CreateFileW(folder.wstring().c_str(), FILE_LIST_DIRECTORY,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED,
                              nullptr)),
          folderPath_(folder) {
        thread_ = CreateThread(nullptr, 0, &ScannerLikeOpener::Run, this, 0, nullptr);
        Sleep(50);  // watching before the first save
    }
    ~ScannerLikeOpener() {
        SetEvent(stop_);
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        CloseHandle(stop_);
        CloseHandle(folder_);
    }
    int Opened() const { return opened_; }
    // How often a file of that name appeared in the folder (created or renamed to it).
    int Arrivals(const std::wstring& name) {
        std::lock_guard<std::mutex> lock(mutex_);
        return arrivals_[name];
    }

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<ScannerLikeOpener*>(self)->Loop();
        return 0;
    }
    void Loop() {
        struct Held {
            HANDLE h;
            ULONGLONG until;
        };
        std::vector<Held> held;
        // Files seen but still open elsewhere without sharing: tried again until then.
        std::map<std::wstring, ULONGLONG> waiting;
        alignas(DWORD) char buffer[16384];
        OVERLAPPED ov{};
        ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        bool pending = false;
        for (;;) {
            if (!pending) {
                ResetEvent(ov.hEvent);
                pending = ReadDirectoryChangesW(folder_, buffer, sizeof(buffer), FALSE,
                                                FILE_NOTIFY_CHANGE_FILE_NAME |
                                                    FILE_NOTIFY_CHANGE_LAST_WRITE |
                                                    FILE_NOTIFY_CHANGE_SIZE,
                                                nullptr, &ov, nullptr) != FALSE;
            }
            const HANDLE events[] = {stop_, ov.hEvent};
            const bool busy = !held.empty() || !waiting.empty();
            const DWORD w = WaitForMultipleObjects(2, events, FALSE, busy ? 1 : 100);
            if (w == WAIT_OBJECT_0) {
                break;
            }
            const ULONGLONG now = GetTickCount64();
            DWORD got = 0;
            if (w == WAIT_OBJECT_0 + 1 && GetOverlappedResult(folder_, &ov, &got, FALSE)) {
                pending = false;
                for (size_t at = 0; got > 0;) {
                    const auto* n = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
                    const std::wstring name(n->FileName, n->FileNameLength / sizeof(WCHAR));
                    if (n->Action == FILE_ACTION_ADDED ||
                        n->Action == FILE_ACTION_RENAMED_NEW_NAME) {
                        std::lock_guard<std::mutex> lock(mutex_);
                        ++arrivals_[name];
                    }
                    if (holdFiles_ &&
                        (n->Action == FILE_ACTION_ADDED || n->Action == FILE_ACTION_MODIFIED ||
                         n->Action == FILE_ACTION_RENAMED_NEW_NAME)) {
                        waiting[name] = now + 300;
                    }
                    if (n->NextEntryOffset == 0) {
                        break;
                    }
                    at += n->NextEntryOffset;
                }
            }
            for (auto it = waiting.begin(); it != waiting.end();) {
                const HANDLE h = CreateFileW((folderPath_ / it->first).wstring().c_str(),
                                             GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                             nullptr, OPEN_EXISTING, 0, nullptr);
                if (h != INVALID_HANDLE_VALUE) {
                    held.push_back({h, now + 40});
                    ++opened_;
                }
                if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION ||
                    it->second <= now) {
                    it = waiting.erase(it);
                } else {
                    ++it;
                }
            }
            for (auto it = held.begin(); it != held.end();) {
                if (it->until <= now) {
                    CloseHandle(it->h);
                    it = held.erase(it);
                } else {
                    ++it;
                }
            }
        }
        CancelIo(folder_);
        for (const Held& x : held) {
            CloseHandle(x.h);
        }
        CloseHandle(ov.hEvent);
    }

    bool holdFiles_;
    HANDLE folder_;
    fs::path folderPath_;
    HANDLE stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread_ = nullptr;
    std::atomic<int> opened_{0};
    std::mutex mutex_;
    std::map<std::wstring, int> arrivals_;
};

class ScannerLikeOpenerTest : public testing::TestWithParam<Kind> {};

TEST_P(ScannerLikeOpenerTest, RepeatedSavesAllSucceedAndLoseNothing) {
    const Kind kind = GetParam();
    TargetInstall install;
    DialogHarness h;
    const Scenario s = Prepare(kind, install, h);
    const char16_t* success =
        kind == Kind::kLanguage || kind == Kind::kProfile ? u"保存成功" : u"修改应用程序成功";
    ScannerLikeOpener scanner(s.file.parent_path());
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        const std::u16string letter(1, static_cast<char16_t>(u'A' + round));
        if (kind == Kind::kProfile) {
            h.Type(1031, u"公司" + letter);
        }
        if (kind == Kind::kLanguage) {  // a file that would not change is not written
            CLangTable& table = h.Dlg().m_langTable;
            table.SetText(0, std::u16string(table.Entries(0).begin()->id), u"文字" + letter);
        }
        Act(kind, h);
        EXPECT_EQ(std::vector<std::u16string>{success}, h.MessageTexts());
        ASSERT_TRUE(fs::exists(s.file));
    }
    EXPECT_GT(scanner.Opened(), 0);
    Sleep(100);  // the scanner lets go of the last files
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(s.file.parent_path()));
    if (kind == Kind::kProfile) {
        EXPECT_NE(std::string::npos, ReadBytes(s.file).find("COMPANY="));
    }
}

INSTANTIATE_TEST_SUITE_P(AllFiles, ScannerLikeOpenerTest,
                         testing::Values(Kind::kProfile, Kind::kLanguage, Kind::kPicture,
                                         Kind::kExecutable),
                         [](const testing::TestParamInfo<Kind>& info) {
                             return std::string(Name(info.param));
                         });

TEST(SafeWrites, OneRebrandReplacesTheExecutableOnce) {
    TargetInstall install;
    DialogHarness h;
    Prepare(Kind::kExecutable, install, h);
    h.Type(1008, u"标题");
    h.Type(1037, u"文档");
    ScannerLikeOpener watcher(install.install, false);
    Act(Kind::kExecutable, h);
    EXPECT_EQ(std::vector<std::u16string>{u"修改应用程序成功"}, h.MessageTexts());
    // The folder's notifications arrive on the watcher's thread a moment later.
    for (int wait = 0; wait < 40 && watcher.Arrivals(L"ZovIDE.exe") == 0; ++wait) {
        Sleep(50);
    }
    Sleep(100);
    EXPECT_EQ(1, watcher.Arrivals(L"ZovIDE.exe"));
}

TEST(SafeWrites, LeftoversOfAKilledRunGoAtTheNextCommandOnTheInstall) {
    TargetInstall install;
    const fs::path lang = install.install / "Lang";
    const fs::path killedTemp = lang / "lang_chs.ini.~tmp1a2b3";
    const fs::path killedBackup = lang / "lang_chs.ini.~bak1a2b4";
    const fs::path otherFiles = lang / "lang_en.ini.~tmp99";
    for (const fs::path& p : {killedTemp, killedBackup, otherFiles}) {
        testsupport::WriteBytes(p, "half");
    }
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Click(1028);  // slot 0: lang_chs.ini
    ASSERT_EQ(1u, h.MessageTexts().size());
    const std::u16string told = h.MessageTexts()[0];
    EXPECT_EQ(0u, told.find(u"保存成功\r\n"));
    for (const fs::path& p : {killedTemp, killedBackup, otherFiles}) {
        EXPECT_FALSE(fs::exists(p)) << p;
        EXPECT_NE(std::u16string::npos, told.find(p.u16string())) << p;
    }
    // Every command looks again: another program's killed run may have left some meanwhile.
    testsupport::WriteBytes(killedTemp, "half");
    h.Click(1028);
    ASSERT_EQ(2u, h.MessageTexts().size());
    EXPECT_EQ(u"保存成功\r\n已删除中断的运行留下的文件：" + killedTemp.u16string(),
              h.MessageTexts()[1]);
}

}  // namespace

namespace {

std::wstring FromUtf8(const char* text) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(n > 0 ? n - 1 : 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], n);
    return wide;
}

// Makes link a symbolic link to target. Under Wine it is a link of the file system below,
// made by that system's ln (Wine shows it as a link, and resolves it in final paths).
bool LinkTo(const fs::path& link, const fs::path& target) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (toUnix == nullptr) {
        return CreateSymbolicLinkW(link.c_str(), target.c_str(),
                                   fs::is_directory(target) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0);
    }
    char* unixTarget = toUnix(target.c_str());
    char* unixLink = toUnix(link.c_str());
    const std::wstring command =
        L"/bin/ln -s \"" + FromUtf8(unixTarget) + L"\" \"" + FromUtf8(unixLink) + L"\"";
    HeapFree(GetProcessHeap(), 0, unixTarget);
    HeapFree(GetProcessHeap(), 0, unixLink);
    testsupport::RunProgram(command);
    // Wine may report the end of a program of the system below before it has ended.
    for (int i = 0; i < 200 && !fs::exists(link); ++i) {
        Sleep(10);
    }
    return fs::exists(link);
}

std::map<std::string, std::string> FilesIn(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        if (e.is_regular_file()) {
            files[fs::relative(e.path(), folder).generic_string()] = ReadBytes(e.path());
        }
    }
    return files;
}

TEST(SafeWrites, NothingIsWrittenWhereALinkLeadsOutOfTheInstallFolder) {
    struct Case {
        const char* linked;  // moved out of the install folder, a link left in its place
        Kind kind;
        std::u16string message;
    };
    const Case cases[] = {
        {"Lang", Kind::kLanguage, u"以下语言文件保存失败"},
        {"res", Kind::kPicture, u"开机图片修改失败"},
        {"config", Kind::kProfile, u"生成配置文件失败"},
        {"ZovIDE.exe", Kind::kExecutable, u"图标修改失败"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.linked);
        TargetInstall install;
        const fs::path outside = install.dir.Path() / "outside";
        fs::create_directories(outside);
        const fs::path moved = outside / c.linked;
        fs::rename(install.install / c.linked, moved);
        if (c.kind == Kind::kLanguage) {
            // A language file list that names a program file there.
            testsupport::WriteBytes(moved / "x.dll", "MZ program");
            testsupport::WriteBytes(install.install / "config" / "ZovIDE.cfg",
                                    "[SYSPAR]\r\nLANGFILELIST=lang_chs.ini|x.dll\r\n");
        }
        ASSERT_TRUE(LinkTo(install.install / c.linked, moved));
        const auto before = FilesIn(outside);
        DialogHarness h;
        const Scenario s = Prepare(c.kind, install, h);
        h.Prompts().messages.clear();
        h.Click(c.kind == Kind::kLanguage ? 1029 : c.kind == Kind::kProfile ? 1024 : 1000);
        const auto messages = h.MessageTexts();
        ASSERT_EQ(1u, messages.size());
        EXPECT_EQ(0u, messages[0].find(c.message));
        EXPECT_NE(std::u16string::npos, messages[0].find(u"安装文件夹之外"));
        EXPECT_NE(std::u16string::npos, messages[0].find(s.file.u16string()));
        EXPECT_EQ(before, FilesIn(outside));
    }
}

// A manifest of the backup beside the install: a header and the given lines.
void WriteManifest(const fs::path& folder, const std::string& lines) {
    fs::create_directories(folder);
    testsupport::WriteBytes(folder / "manifest.txt", "VedArodBackup manifest 1\r\n" + lines);
}

TEST(SafeWrites, RestoreRemovesNothingWhereALinkLeadsOutOfTheInstallFolder) {
    for (const char* linked : {"res", "Lang", "config"}) {
        TargetInstall install;
        const fs::path outside = install.dir.Path() / "elsewhere";
        fs::rename(install.install / linked, outside);
        ASSERT_TRUE(LinkTo(install.install / linked, outside)) << linked;
        testsupport::WriteBytes(outside / "victim.txt", "keep me");
        WriteManifest(
            install.Backup(),
            std::string(linked) + "\\victim.txt\tabsent\t0\t-\t2026-01-02T03:04:05Z\t-\r\n");
        std::u16string message;
        EXPECT_EQ(app::CommandResult::kFailed,
                  app::RunRestore(install.install.u16string(), message))
            << linked;
        EXPECT_NE(std::u16string::npos, message.find(u"安装文件夹之外")) << linked;
        EXPECT_EQ("keep me", ReadBytes(outside / "victim.txt")) << linked;
    }
    // A backup folder that is itself a link: refused as a whole.
    TargetInstall install;
    const fs::path outside = install.dir.Path() / "elsewhere";
    WriteManifest(outside, "res\\login.bmp\tabsent\t0\t-\t2026-01-02T03:04:05Z\t-\r\n");
    ASSERT_TRUE(LinkTo(install.Backup(), outside));
    const auto before = install.Files();
    std::u16string message;
    EXPECT_EQ(app::CommandResult::kFailed, app::RunRestore(install.install.u16string(), message));
    EXPECT_NE(std::u16string::npos, message.find(u"备份文件夹是链接"));
    EXPECT_EQ(before, install.Files());
}

TEST(SafeWrites, AnExecutableWhoseSectionsTheUpdateWouldMoveIsLeftByteIdentical) {
    TargetInstall install;
    const fs::path exe = install.install / "ZovIDE.exe";
    const fs::path standin = testsupport::StandInPath();
    fs::copy_file(standin.parent_path() / "standin_rsrc_first.exe", exe,
                  fs::copy_options::overwrite_existing);
    const std::string before = ReadBytes(exe);
    // A real icon whose first image (256 x 256) grows the resource section by pages.
    testsupport::WriteBytes(install.sources / "big.ico", samples::MakeIco({256, 32}, 3));
    DialogHarness h;
    h.SelectTarget(install.Exe());
    h.Click(1034);
    h.Prompts().AnswerNextPicker(install.Source("big.ico"));
    h.Click(1005);
    h.Prompts().messages.clear();
    h.Click(1000);
    const auto messages = h.MessageTexts();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages[0].find(u"图标修改失败\r\n应用程序的资源段位于其他段之前"))
        << messages[0].size();
    EXPECT_NE(std::u16string::npos, messages[0].find(u".data"));
    EXPECT_EQ(before, ReadBytes(exe));
    EXPECT_EQ(std::vector<std::string>{}, Leftovers(install.install));
}

}  // namespace
