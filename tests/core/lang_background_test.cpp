#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "lang/lang_file_text.h"
#include "lang/lang_reader.h"
#include "lang/lang_table.h"
#include "lang/parallel_jobs.h"
#include "samples/sample_install.h"
#include "tests/support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testsupport::TempDir;
using testsupport::Utf16LeBytes;
using testsupport::WriteBytes;
using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

const std::string kUtf16Mark("\xFF\xFE", 2);
const std::string kUtf8Mark("\xEF\xBB\xBF", 3);
const std::u16string kList(CLangTable::kDefaultFileList);

Pairs ToPairs(const CLangSlot& slot) {
    Pairs out;
    for (const LangEntry& e : slot) {
        out.emplace_back(std::u16string(e.id), std::u16string(e.text));
    }
    return out;
}

// A sample install of count entries per language, its folder named "Lang" as the reader asks.
void WriteInstall(const fs::path& dir, int count) {
    samples::SampleOptions options;
    options.entriesPerLanguage = count;
    samples::WriteSampleInstall(dir, options);
    if (!fs::exists(dir / "Lang")) {
        fs::rename(dir / "Lang", dir / "Lang");
    }
}

// What reading each slot's file on its own gives: the table LoadFiles must end up with.
void ExpectSameAsReadingEachFile(const CLangTable& table, const std::u16string& folder,
                                 const std::vector<std::u16string>& names) {
    CLangTable expected;
    for (size_t k = 0; k < names.size(); ++k) {
        if (!names[k].empty()) {
            expected.ReadLangFile(static_cast<int>(k), folder + u"\\Lang\\" + names[k]);
        }
    }
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(ToPairs(expected.Entries(k)), ToPairs(table.Entries(k))) << k;
        EXPECT_EQ(expected.FileName(k), table.FileName(k)) << k;
    }
}

TEST(LangFileText, FileReadGivesWhatDecodingItsBytesGives) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"UTF-16LE with mark", kUtf16Mark + Utf16LeBytes(u"[ZOVIDE]\r\nb = 2\r\na=1\r\n")},
        {"mark, first line an entry", kUtf16Mark + Utf16LeBytes(u"id=v")},
        {"mark, first line a comment", kUtf16Mark + Utf16LeBytes(u"##id=v\nx=1")},
        {"mark, first line blank", kUtf16Mark + Utf16LeBytes(u"\r\nx=1\n")},
        {"mark, one character", kUtf16Mark + Utf16LeBytes(u"x")},
        {"mark, odd byte count", kUtf16Mark + Utf16LeBytes(u"a=1") + "\x41"},
        {"two marks", kUtf16Mark + kUtf16Mark + Utf16LeBytes(u"id=v")},
        {"mark only", kUtf16Mark},
        {"one byte", std::string("\xFF", 1)},
        {"UTF-16LE without mark", Utf16LeBytes(u"k=1\n")},
        {"UTF-8 with mark", kUtf8Mark + "t=\xE6\x96\x87\r\n"},
        {"UTF-8 without mark", "KEY = value\r\n"},
        {"empty", ""},
    };
    TempDir dir;
    std::string bytes;
    // Read into memory that held a longer text before, as LoadFiles reuses a slot's memory.
    std::u16string room(500, u'#');
    for (const Case& c : cases) {
        WriteBytes(dir.Path() / "f.ini", c.bytes);
        std::u16string decoded;
        const bool decodes = lang::DecodeLangText(c.bytes, decoded);
        ASSERT_EQ(decodes, lang::ReadLangFileText(dir.Text(u"f.ini"), room, bytes)) << c.name;
        if (!decodes) {
            continue;
        }
        CLangSlot expected;
        expected.Load(std::move(decoded));
        CLangSlot got;
        got.Load(std::move(room));
        EXPECT_EQ(ToPairs(expected), ToPairs(got)) << c.name;
        room = got.TakeText();
    }
    EXPECT_FALSE(lang::ReadLangFileText(dir.Text(u"missing.ini"), room, bytes));
}

TEST(LangTableLoad, BackgroundLoadEqualsReadingEachFile) {
    TempDir first;
    TempDir second;
    WriteInstall(first.Path(), 300);
    WriteInstall(second.Path(), 50);
    // The second install: a file missing, one in UTF-8, a repeated and an unusable name.
    fs::remove(second.Path() / "Lang" / "lang_fra.ini");
    WriteBytes(second.Path() / "Lang" / "lang_kor.ini", kUtf8Mark + "k=\xEC\x95\x88\n");
    const std::u16string secondList =
        u"lang_chs.ini|lang_cht.ini|lang_en.ini|lang_fra.ini|lang_kor.ini|LANG_EN.INI|..\\x|"
        u"lang_rus.ini";

    CLangTable table;
    table.LoadFiles(first.Text(), kList);
    table.LoadRestInBackground();
    ExpectSameAsReadingEachFile(table, first.Text(), samples::DefaultLangFileNames());
    // A second load reuses the memory of the first.
    table.LoadFiles(second.Text(), secondList);
    table.LoadRestInBackground();
    ExpectSameAsReadingEachFile(table, second.Text(),
                                {u"lang_chs.ini", u"lang_cht.ini", u"lang_en.ini", u"lang_fra.ini",
                                 u"lang_kor.ini", u"", u"", u"lang_rus.ini"});
    table.LoadFiles(first.Text(), kList);  // the rest read by the first access to it
    ExpectSameAsReadingEachFile(table, first.Text(), samples::DefaultLangFileNames());
}

TEST(LangTableLoad, EditsAndSavesRightAfterALoadWaitForIt) {
    TempDir dir;
    const int count = 2000;
    WriteInstall(dir.Path(), count);
    const std::u16string langFolder = dir.Text() + u"\\Lang";
    CLangTable table;

    table.LoadFiles(dir.Text(), kList);
    table.LoadRestInBackground();
    table.SetText(15, u"~NEW", u"typed");  // not overwritten by the file's load
    EXPECT_EQ(static_cast<size_t>(count + 1), table.Entries(15).size());
    EXPECT_EQ(u"typed", *table.Entries(15).Find(u"~NEW"));

    table.LoadFiles(dir.Text(), kList);
    table.LoadRestInBackground();
    for (int k = CLangTable::kSlotCount - 1; k >= 0; --k) {
        ASSERT_EQ(LangSaveResult::kWritten, table.SaveLangFile(k, langFolder)) << k;
    }
    CLangTable reread;
    reread.LoadFiles(dir.Text(), kList);
    for (int k = 0; k < CLangTable::kSlotCount; ++k) {
        EXPECT_EQ(static_cast<size_t>(count), reread.Entries(k).size()) << k;
        EXPECT_EQ(ToPairs(table.Entries(k)), ToPairs(reread.Entries(k))) << k;
    }

    table.LoadFiles(dir.Text(), kList);
    table.LoadRestInBackground();
    // The file holds the whole slot as written above: nothing to replace.
    ASSERT_EQ(LangSaveResult::kUnchanged, table.SaveLangFile(9, langFolder));
    reread.LoadFiles(dir.Text(), kList);
    EXPECT_EQ(static_cast<size_t>(count), reread.Entries(9).size());
}

TEST(ParallelJobs, EveryJobRunsOnceOnALane) {
    struct Case {
        size_t count;
        size_t workers;  // 0: never started
        bool finish;     // Finish called, or left to the destructor
    };
    for (const Case& c : {Case{200, 1, true}, Case{200, 3, false}, Case{2, 5, true},
                          Case{0, 1, true}, Case{20, 0, false}}) {
        std::vector<int> runs(c.count, 0);
        std::vector<size_t> lanes(c.count, 99);
        {
            lang::ParallelJobs jobs(c.count, [&](size_t n, size_t lane) {
                ++runs[n];
                lanes[n] = lane;
            });
            if (c.workers > 0) {
                jobs.Start(c.workers);
            }
            if (c.finish) {
                jobs.Finish();
                jobs.Start(1);  // too late: nothing left, no thread
            }
        }
        for (size_t n = 0; n < c.count; ++n) {
            EXPECT_EQ(1, runs[n]) << c.count << " " << n;
            EXPECT_LE(lanes[n], c.workers) << c.count << " " << n;
        }
    }
}

}  // namespace
