#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "lang/lang_save_ahead.h"
#include "lang/lang_table.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::TempDir;
using testsupport::Utf16LeBytes;
using testsupport::WriteBytes;
using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

const std::string kUtf16Mark("\xFF\xFE", 2);

Pairs ToPairs(const CLangSlot& slot) {
    Pairs out;
    for (const LangEntry& e : slot) {
        out.emplace_back(std::u16string(e.id), std::u16string(e.text));
    }
    return out;
}

// An install folder with a "Lang" folder (the native file system tells case apart).
class Install {
public:
    Install() { fs::create_directory(Lang()); }
    fs::path Lang() const { return dir_.Path() / "Lang"; }
    std::u16string Folder() const { return dir_.Text(); }
    std::u16string LangFolder() const { return dir_.Text() + u"\\Lang"; }
    // A language file with the single entry ID = text.
    void Write(const std::string& name, const std::u16string& id, const std::u16string& text) {
        WriteBytes(Lang() / name, kUtf16Mark + Utf16LeBytes(id + u"=" + text + u"\r\n"));
    }
    std::string Read(const std::string& name) const { return ReadBytes(Lang() / name); }

private:
    TempDir dir_;
};

int CountFiles(const fs::path& folder) {
    int count = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
        (void)e;
        ++count;
    }
    return count;
}

TEST(LangSlot, SetAddsReplacesAndKeepsOrder) {
    CLangSlot slot;
    slot.Load(u"b=1\nd=2\n");
    slot.Set(u"c", u"  new text  ");  // stored as given, not trimmed
    slot.Set(u"D", u"replaced");      // IDs are used unchanged: "d" would be another ID
    slot.Set(u"a", u"first");
    slot.Set(u"a", u"again");
    EXPECT_EQ((Pairs{{u"B", u"1"}, {u"D", u"replaced"}, {u"a", u"again"}, {u"c", u"  new text  "}}),
              ToPairs(slot));
    ASSERT_TRUE(slot.Find(u"c").has_value());
    EXPECT_EQ(u"  new text  ", *slot.Find(u"c"));
    EXPECT_FALSE(slot.Find(u"C").has_value());

    // An ID taken from the slot itself can be passed back.
    const LangEntry first = *slot.begin();
    slot.Set(first.id, first.id);
    EXPECT_EQ(u"B", *slot.Find(u"B"));

    slot.Clear();
    EXPECT_TRUE(slot.empty());
}

TEST(LangTable, SetTextAndEntriesOutsideTheSlots) {
    CLangTable table;
    table.SetText(-1, u"A", u"x");
    table.SetText(16, u"A", u"x");
    table.SetText(3, u"lower id", u" text ");
    EXPECT_TRUE(table.Entries(-1).empty());
    EXPECT_TRUE(table.Entries(16).empty());
    EXPECT_EQ((Pairs{{u"lower id", u" text "}}), ToPairs(table.Entries(3)));
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(k == 3 ? 1u : 0u, table.Entries(k).size()) << k;
    }
}

TEST(LangTableLoad, SplitsTheListAndFillsSlotsInOrder) {
    Install install;
    install.Write("lang_chs.ini", u"K", u"chs");
    install.Write("lang_en.ini", u"K", u"en");
    struct Case {
        const char* name;
        std::u16string list;
        std::vector<std::u16string> texts;  // slot k's text of K; empty: slot not read
    };
    const std::vector<Case> cases = {
        {"runs and ends", u"||lang_chs.ini||lang_en.ini|", {u"chs", u"en"}},
        {"other order", u"lang_en.ini|lang_chs.ini", {u"en", u"chs"}},
        // Leading blanks only: Windows drops trailing blanks from file names itself.
        {"names not trimmed", u" lang_en.ini|\tlang_chs.ini", {u"", u""}},
        {"missing in between", u"lang_chs.ini|nope.ini|lang_en.ini", {u"chs", u"", u"en"}},
        {"empty list", u"", {}},
        {"only separators", u"|||", {}},
    };
    for (const Case& c : cases) {
        CLangTable table;
        table.LoadFiles(install.Folder(), c.list);
        for (int k = 0; k < CLangTable::kSlotCount; ++k) {
            const std::u16string want = k < static_cast<int>(c.texts.size()) ? c.texts[k] : u"";
            const auto got = table.Entries(k).Find(u"K");
            EXPECT_EQ(want, got ? std::u16string(*got) : u"") << c.name << " slot " << k;
            EXPECT_EQ(want.empty(), table.FileName(k).empty()) << c.name << " slot " << k;
            EXPECT_EQ(want.empty() ? 0u : 1u, table.Entries(k).size()) << c.name << " slot " << k;
        }
    }
}

TEST(LangTableLoad, SeventeenNamesReadSixteen) {
    Install install;
    std::u16string list;
    for (int i = 0; i < 17; ++i) {
        const std::string name = "f" + std::to_string(i) + ".ini";
        install.Write(name, u"N", std::u16string(1, static_cast<char16_t>(u'A' + i)));
        list += std::u16string(name.begin(), name.end()) + u"|";
    }
    CLangTable table;
    table.LoadFiles(install.Folder(), list);
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        ASSERT_EQ(1u, table.Entries(k).size()) << k;
        EXPECT_EQ(std::u16string(1, static_cast<char16_t>(u'A' + k)), *table.Entries(k).Find(u"N"));
    }
    EXPECT_EQ(u"f15.ini", table.FileName(15));
}

TEST(LangTableLoad, SecondLoadReplacesEverything) {
    Install first;
    Install second;
    const std::u16string list(CLangTable::kDefaultFileList);
    first.Write("lang_en.ini", u"K", u"first en");
    first.Write("lang_fra.ini", u"K", u"first fra");
    second.Write("lang_en.ini", u"J", u"second en");
    CLangTable table;
    table.LoadFiles(first.Folder(), list);
    table.SetText(2, u"EDIT", u"unsaved");
    ASSERT_EQ(u"first fra", *table.Entries(3).Find(u"K"));

    table.LoadFiles(second.Folder(), list);
    EXPECT_EQ((Pairs{{u"J", u"second en"}}), ToPairs(table.Entries(2)));
    EXPECT_TRUE(table.Entries(3).empty());
    EXPECT_TRUE(table.FileName(3).empty());
    EXPECT_EQ(LangSaveResult::kNothingToWrite, table.SaveLangFile(3, second.LangFolder()));
    EXPECT_FALSE(fs::exists(second.Lang() / "lang_fra.ini"));
}

TEST(LangTableLoad, SampleInstallWithTheDefaultList) {
    TempDir dir;
    samples::SampleOptions options;
    options.entriesPerLanguage = 40;
    samples::WriteSampleInstall(dir.Path(), options);
    CLangTable table;
    table.LoadFiles(dir.Text(), std::u16string(CLangTable::kDefaultFileList));
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(samples::DefaultLangFileNames()[k], table.FileName(k));
        const auto entries = samples::MakeLangEntries(k, 40);
        ASSERT_EQ(entries.size(), table.Entries(k).size()) << k;
        for (const auto& [id, text] : entries) {
            const auto got = table.Entries(k).Find(id);
            ASSERT_TRUE(got.has_value()) << k;
            EXPECT_EQ(text, *got) << k;
        }
    }
    // Saving every slot and loading again gives the same table.
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        ASSERT_EQ(LangSaveResult::kWritten, table.SaveLangFile(k, dir.Text() + u"\\Lang")) << k;
    }
    CLangTable again;
    again.LoadFiles(dir.Text(), std::u16string(CLangTable::kDefaultFileList));
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(ToPairs(table.Entries(k)), ToPairs(again.Entries(k))) << k;
    }
}

TEST(LangTableSave, EachSlotGoesBackToItsOwnFile) {
    Install install;
    install.Write("lang_en.ini", u"K", u"english");
    install.Write("lang_chs.ini", u"K", u"chinese");
    install.Write("lang_cht.ini", u"K", u"traditional");
    const std::string chtBefore = install.Read("lang_cht.ini");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"lang_en.ini|lang_chs.ini");
    table.SetText(0, u"K", u"english edited");
    table.SetText(1, u"K", u"chinese edited");

    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(k < 2 ? LangSaveResult::kWritten : LangSaveResult::kNothingToWrite,
                  table.SaveLangFile(k, install.LangFolder()))
            << k;
    }
    const std::u16string pad(59, u' ');
    EXPECT_EQ(kUtf16Mark + Utf16LeBytes(u"[ZOVIDE]\r\nK" + pad + u"=    english edited\r\n"),
              install.Read("lang_en.ini"));
    EXPECT_EQ(kUtf16Mark + Utf16LeBytes(u"[ZOVIDE]\r\nK" + pad + u"=    chinese edited\r\n"),
              install.Read("lang_chs.ini"));
    EXPECT_EQ(chtBefore, install.Read("lang_cht.ini"));
    EXPECT_EQ(3, CountFiles(install.Lang()));  // nothing created for the unread slots
}

TEST(LangTableSave, SlotsWithoutAFileWriteNothing) {
    Install install;
    install.Write("lang_en.ini", u"K", u"v");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"missing.ini|lang_en.ini");
    table.SetText(0, u"K", u"typed into a slot without file");
    EXPECT_EQ(LangSaveResult::kNothingToWrite, table.SaveLangFile(0, install.LangFolder()));
    EXPECT_FALSE(fs::exists(install.Lang() / "missing.ini"));

    CLangTable empty;
    empty.LoadFiles(install.Folder(), u"");
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(LangSaveResult::kNothingToWrite, empty.SaveLangFile(k, install.LangFolder()));
    }
    EXPECT_EQ(LangSaveResult::kFailed, table.SaveLangFile(-1, install.LangFolder()));
    EXPECT_EQ(LangSaveResult::kFailed, table.SaveLangFile(16, install.LangFolder()));
    EXPECT_EQ(1, CountFiles(install.Lang()));
}

TEST(LangTableSave, FailedWriteKeepsTheFormerFile) {
    Install install;
    install.Write("lang_en.ini", u"K", u"v");
    const std::string before = install.Read("lang_en.ini");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"lang_en.ini");
    table.SetText(0, u"K", u"edited");

    fs::permissions(install.Lang() / "lang_en.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    int error = 0;
    EXPECT_EQ(LangSaveResult::kFailed, table.SaveLangFile(0, install.LangFolder(), &error));
    EXPECT_NE(0, error);
    EXPECT_EQ(before, install.Read("lang_en.ini"));
    EXPECT_EQ(1, CountFiles(install.Lang()));  // no temporary file left

    EXPECT_EQ(LangSaveResult::kFailed, table.SaveLangFile(0, install.Folder() + u"\\no_such"));
    EXPECT_FALSE(fs::exists(install.Lang().parent_path() / "no_such"));
}

TEST(LangTableSave, EditsCountAsUnsavedUntilTheirFileHoldsThem) {
    Install install;
    install.Write("lang_en.ini", u"K", u"v");
    install.Write("lang_chs.ini", u"K", u"v");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"lang_en.ini|lang_chs.ini");
    EXPECT_FALSE(table.HasUnsavedEdits());
    table.SetText(0, u"K", u"edited");
    table.SetText(1, u"K", u"edited");
    EXPECT_TRUE(table.HasUnsavedEdits());
    fs::permissions(install.Lang() / "lang_en.ini",
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(LangSaveResult::kFailed, table.SaveLangFile(0, install.LangFolder()));
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(1, install.LangFolder()));
    EXPECT_TRUE(table.HasUnsavedEdits());  // slot 0's write failed
    EXPECT_TRUE(table.HasUnsavedEdits(0));
    EXPECT_FALSE(table.HasUnsavedEdits(1));
    EXPECT_FALSE(table.HasUnsavedEdits(CLangTable::kSlotCount));
    fs::permissions(install.Lang() / "lang_en.ini", fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, install.LangFolder()));
    EXPECT_FALSE(table.HasUnsavedEdits());
    table.SetText(1, u"K", u"again");
    table.LoadFiles(install.Folder(), u"lang_en.ini|lang_chs.ini");  // read anew
    EXPECT_FALSE(table.HasUnsavedEdits());
}

// Windows opens "name " and "name." as name: such list names read and write that file.
TEST(LangTableLoad, TrailingBlanksAndDotsAreResolvedAsWindowsDoes) {
    Install install;
    install.Write("lang_chs.ini", u"K", u"chs");
    install.Write("lang_en.ini", u"K", u"en");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"lang_chs.ini |lang_en.ini.|lang_chs.ini| .");
    EXPECT_EQ(u"chs", *table.Entries(0).Find(u"K"));
    EXPECT_EQ(u"lang_chs.ini", table.FileName(0));
    EXPECT_EQ(u"en", *table.Entries(1).Find(u"K"));
    EXPECT_EQ(u"lang_en.ini", table.FileName(1));
    for (int k = 2; k < 4; ++k) {  // the repeated name, and a name of blanks and dots only
        EXPECT_TRUE(table.Entries(k).empty()) << k;
        EXPECT_TRUE(table.FileName(k).empty()) << k;
    }
    table.SetText(1, u"K", u"edited");
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(1, install.LangFolder()));
    EXPECT_NE(std::string::npos, install.Read("lang_en.ini").find(Utf16LeBytes(u"edited")));
    EXPECT_EQ(2, CountFiles(install.Lang()));
}

TEST(LangTableLoad, NamesLeavingTheFolderOrRepeatedAreSkipped) {
    Install install;
    install.Write("lang_en.ini", u"K", u"en");
    WriteBytes(install.Lang().parent_path() / "outside.ini",
               kUtf16Mark + Utf16LeBytes(u"SECRET=1\r\n"));
    fs::create_directory(install.Lang() / "sub");
    WriteBytes(install.Lang() / "sub" / "x.ini", kUtf16Mark + Utf16LeBytes(u"SUB=1\r\n"));
    const std::vector<std::u16string> skipped = {
        u"..\\outside.ini",
        u"../outside.ini",
        u"sub\\x.ini",
        u"sub/x.ini",
        u"C:outside.ini",
        u"..",
        u".",
        u"lang_en.ini:stream",
        u"LANG_EN.INI",
        u"lang_en.ini. ",  // the same file on Windows
    };
    for (const std::u16string& name : skipped) {
        CLangTable table;
        table.LoadFiles(install.Folder(), u"lang_en.ini|" + name + u"|lang_en.ini");
        EXPECT_EQ(u"en", *table.Entries(0).Find(u"K"));
        for (int k = 1; k < CLangTable::kSlotCount; ++k) {
            EXPECT_TRUE(table.Entries(k).empty()) << k;
            EXPECT_TRUE(table.FileName(k).empty()) << k;
            EXPECT_EQ(LangSaveResult::kNothingToWrite, table.SaveLangFile(k, install.LangFolder()));
        }
    }
    EXPECT_EQ(kUtf16Mark + Utf16LeBytes(u"SECRET=1\r\n"),
              ReadBytes(install.Lang().parent_path() / "outside.ini"));
}

// Another program writes the file between the load and the save: the save asks (when it can)
// before replacing it, and leaves it as it is otherwise.
TEST(LangTableSave, AFileChangedSinceTheLoadIsReplacedOnlyWhenConfirmed) {
    const std::u16string pad(59, u' ');
    const std::string ours = kUtf16Mark + Utf16LeBytes(u"[ZOVIDE]\r\nK" + pad + u"=    ours\r\n");
    enum class Answer { kNone, kNo, kYes };
    const struct {
        const char* name;
        const char16_t* theirs;  // the other program's text for K; null: it left the file alone
        Answer answer;
        int asked;
        LangSaveResult result;
    } cases[] = {
        {"left alone", nullptr, Answer::kNo, 0, LangSaveResult::kWritten},
        {"changed, same size, nobody to ask", u"2", Answer::kNone, 0,
         LangSaveResult::kChangedOnDisk},
        {"changed, same size, no", u"2", Answer::kNo, 1, LangSaveResult::kChangedOnDisk},
        {"changed, other size, no", u"theirs", Answer::kNo, 1, LangSaveResult::kChangedOnDisk},
        {"changed, yes", u"theirs", Answer::kYes, 1, LangSaveResult::kWritten},
        {"changed into what the slot writes", u"", Answer::kNo, 0, LangSaveResult::kUnchanged},
    };
    for (const bool ahead : {false, true})
        for (const auto& c : cases) {
            Install install;
            install.Write("lang_chs.ini", u"K", u"1");
            CLangTable table;
            table.LoadFiles(install.Folder(), u"lang_chs.ini");
            table.SetText(0, u"K", u"ours");
            std::string onDisk = install.Read("lang_chs.ini");
            if (c.theirs != nullptr) {
                onDisk =
                    *c.theirs == u'\0'
                        ? ours
                        : kUtf16Mark + Utf16LeBytes(u"K=" + std::u16string(c.theirs) + u"\r\n");
                WriteBytes(install.Lang() / "lang_chs.ini", onDisk);
            }
            int asked = 0;
            const auto ask = [&] {
                ++asked;
                return c.answer == Answer::kYes;
            };
            const std::function<bool()> confirm =
                c.answer == Answer::kNone ? std::function<bool()>() : ask;
            {
                // Made ready after the other program's change, so that the staging file exists
                // when the answer is no.
                std::unique_ptr<LangSaveAhead> saves =
                    ahead ? std::make_unique<LangSaveAhead>(table, install.LangFolder(), u"")
                          : nullptr;
                EXPECT_EQ(c.result, table.SaveLangFile(0, install.LangFolder(), u"", nullptr, {},
                                                       confirm, saves.get()))
                    << c.name << ahead;
            }
            EXPECT_EQ(c.asked, asked) << c.name;
            const bool replaced = c.result != LangSaveResult::kChangedOnDisk;
            EXPECT_EQ(replaced ? ours : onDisk, install.Read("lang_chs.ini")) << c.name;
            EXPECT_EQ(1, CountFiles(install.Lang())) << c.name << ahead;
            if (!replaced) {
                continue;
            }
            // What the save wrote (or found) is the new stamp: the next save does not ask.
            table.SetText(0, u"K", u"ours again");
            asked = 0;
            EXPECT_EQ(LangSaveResult::kWritten,
                      table.SaveLangFile(0, install.LangFolder(), u"", nullptr, {}, ask))
                << c.name;
            EXPECT_EQ(0, asked) << c.name;
        }
}

// A new load stamps the files anew; a file the slot was not read from is not checked.
TEST(LangTableSave, ALoadTakesNewStampsAndOtherFoldersAreNotChecked) {
    Install install;
    install.Write("lang_chs.ini", u"K", u"1");
    CLangTable table;
    table.LoadFiles(install.Folder(), u"lang_chs.ini");
    install.Write("lang_chs.ini", u"K", u"theirs");
    table.LoadFiles(install.Folder(), u"lang_chs.ini");
    table.SetText(0, u"K", u"ours");
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, install.LangFolder()));

    TempDir other;
    WriteBytes(other.Path() / "lang_chs.ini", "another file");
    table.SetText(0, u"K", u"ours again");
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, other.Text()));
    // The stamp of the slot's own file stays: it is still as saved.
    table.SetText(0, u"K", u"ours once more");
    EXPECT_EQ(LangSaveResult::kWritten, table.SaveLangFile(0, install.LangFolder()));
}

// Saves made ready ahead write what saves in turn write; a file that cannot be staged fails
// before its original would be kept; staging files of slots not taken go with the object.
TEST(LangTableSave, SavesMadeReadyAheadWriteWhatSavesInTurnWrite) {
    const char* const names[] = {"lang_en.ini", "lang_chs.ini", "lang_cht.ini", "lang_ru.ini"};
    const std::u16string list = u"lang_en.ini|lang_chs.ini|lang_cht.ini|lang_ru.ini";
    struct Run {
        Install install;
        CLangTable table;
        std::vector<LangSaveResult> results;
        int keeps = 0;
    };
    Run runs[2];
    for (Run& r : runs) {
        for (const char* name : names) {
            r.install.Write(name, u"K", u"v");
        }
        r.table.LoadFiles(r.install.Folder(), list);
        ASSERT_EQ(LangSaveResult::kWritten, r.table.SaveLangFile(1, r.install.LangFolder()));
        for (int slot : {0, 2, 3}) {
            r.table.SetText(slot, u"K", u"edited");
        }
        fs::permissions(r.install.Lang() / "lang_cht.ini",
                        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    {
        LangSaveAhead saves(runs[1].table, runs[1].install.LangFolder(), u"");
        for (int k = 0; k < 2; ++k) {
            Run& r = runs[k];
            for (int slot = 0; slot < CLangTable::kSlotCount; ++slot) {
                r.results.push_back(r.table.SaveLangFile(
                    slot, r.install.LangFolder(), u"", nullptr, [&] { return ++r.keeps > 0; }, {},
                    k == 1 ? &saves : nullptr));
            }
        }
    }
    EXPECT_EQ(runs[0].results, runs[1].results);
    EXPECT_EQ(LangSaveResult::kUnchanged, runs[1].results[1]);
    EXPECT_EQ(LangSaveResult::kFailed, runs[1].results[2]);
    EXPECT_EQ(2, runs[1].keeps);  // lang_en.ini and lang_ru.ini only
    for (const char* name : names) {
        EXPECT_EQ(runs[0].install.Read(name), runs[1].install.Read(name)) << name;
    }
    EXPECT_EQ(4, CountFiles(runs[1].install.Lang()));

    // Only slot 0 taken: the others' staging files do not stay.
    Run& r = runs[1];
    for (int slot : {0, 1, 3}) {
        r.table.SetText(slot, u"K", u"again");
    }
    {
        LangSaveAhead saves(r.table, r.install.LangFolder(), u"");
        EXPECT_EQ(LangSaveResult::kWritten,
                  r.table.SaveLangFile(0, r.install.LangFolder(), u"", nullptr, {}, {}, &saves));
    }
    EXPECT_EQ(4, CountFiles(r.install.Lang()));
    EXPECT_TRUE(r.table.HasUnsavedEdits(1));
}

}  // namespace
