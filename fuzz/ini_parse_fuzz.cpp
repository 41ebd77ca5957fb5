// Profile files: bytes decoded in code page 936 or 65001 (chosen by the first byte), parsed,
// formatted and parsed again; the second model must be what the grammar makes of the
// formatted text.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>

#include "fuzz/fuzz_check.h"
#include "ini/ini_file.h"
#include "platform/codepage.h"

namespace {

using Sections = std::map<std::u16string, IniSection>;

// The model that parsing Format()'s text gives. Format writes every section under its
// header, sorted by folded name, so the nameless section (from keys above the first
// header) comes first as "[]". Reading that text back
// - merges the nameless section into the first named one, its keys first, so they win over
//   that section's own keys of the same folded name;
// - drops the last section when it has no entries: a block is stored at the end only when
//   it has entries.
// Names, keys and values come back unchanged: they hold no line ends, a name no "=" or "]",
// a key no "=" and no white space at its ends, a value no white space at its ends.
Sections Reread(Sections sections) {
    const auto nameless = sections.find(u"");
    if (nameless != sections.end() && sections.size() > 1) {
        IniSection& firstNamed = std::next(nameless)->second;  // "" sorts first
        IniEntries merged;
        for (const auto& [folded, entry] : nameless->second.entries) {
            merged.Add(entry.key, entry.value);
        }
        for (const auto& [folded, entry] : firstNamed.entries) {
            merged.Add(entry.key, entry.value);  // the nameless section's keys win
        }
        firstNamed.entries = std::move(merged);
        sections.erase(nameless);
    }
    if (!sections.empty() && std::prev(sections.end())->second.entries.empty()) {
        sections.erase(std::prev(sections.end()));
    }
    return sections;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const unsigned codePage = (data[0] & 1) != 0 ? 936 : 65001;
    const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);

    CIniFile first(u"fuzz-first.cfg", codePage);
    first.Discard();  // never written back
    first.Parse(platform::DecodeCodePage(bytes, codePage));
    for (const auto& [foldedName, section] : first.sections) {
        for (const auto& [foldedKey, entry] : section.entries) {
            fuzz::Require(first.GetString(section.name, entry.key, u"\x1") == entry.value,
                          "GetString returns the parsed value");
            first.GetInt(section.name, entry.key, -1);
        }
    }
    const std::u16string formatted = first.Format();

    CIniFile second(u"fuzz-second.cfg", codePage);
    second.Discard();
    second.Parse(formatted);
    CIniFile expected(u"fuzz-expected.cfg", codePage);
    expected.Discard();
    expected.sections = Reread(first.sections);
    fuzz::Require(second.Format() == expected.Format(), "formatted text parses back");

    // What Save and Load do with the text: encode, decode, parse. Characters the code page
    // lacks turn into '?', so keys may merge; only the absence of faults is checked.
    CIniFile reloaded(u"fuzz-reloaded.cfg", codePage);
    reloaded.Discard();
    reloaded.Parse(
        platform::DecodeCodePage(platform::EncodeCodePage(formatted, codePage), codePage));
    reloaded.SetString(u"CUSTOMPAR", u"COMPANY", formatted.substr(0, 64));
    reloaded.SetInt(u"CUSTOMPAR", u"USINGFILEPASSWORD", static_cast<int32_t>(size));
    reloaded.Format();
    return 0;
}
