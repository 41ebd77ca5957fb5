// Language files: a whole file's bytes decoded (UTF-16LE with or without FF FE, UTF-8 with
// EF BB BF), parsed into entries, loaded into a slot, written and read back; and the ID
// sorter on many entries.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "text/blanks.h"
#include "fuzz/fuzz_check.h"
#include "lang/id_order.h"
#include "lang/lang_reader.h"
#include "lang/lang_slot.h"
#include "lang/lang_writer.h"
#include "platform/unicode.h"

namespace {

using Entries = std::map<std::u16string, std::u16string>;

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

std::u16string Utf16LeUnits(std::string_view bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                         (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    }
    return units;
}

// What DecodeLangText must give, or false where the file is refused.
bool ExpectedText(std::string_view bytes, std::u16string& text) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        text = platform::Utf8ToUtf16(std::string(bytes.substr(3)));
        return true;
    }
    if (StartsWith(bytes, "\xFE\xFF") || StartsWith(bytes, std::string_view("\xFF\xFE\0\0", 4)) ||
        StartsWith(bytes, std::string_view("\0\0\xFE\xFF", 4))) {
        return false;
    }
    if (StartsWith(bytes, "\xFF\xFE")) {
        text = Utf16LeUnits(bytes.substr(2));
        return true;
    }
    const std::u16string units = Utf16LeUnits(bytes);
    if (!bytes.empty() && (bytes.size() % 2 != 0 || units.find(u'\0') != std::u16string::npos ||
                           units.find(u'=') == std::u16string::npos)) {
        return false;
    }
    text = units;
    return true;
}

bool IsUpperId(std::u16string_view id) {
    return std::none_of(id.begin(), id.end(), [](char16_t c) { return c >= u'a' && c <= u'z'; });
}

bool Trimmed(std::u16string_view s) {
    return s.empty() || (!::text::IsBlank(s.front()) && !::text::IsBlank(s.back()));
}

Entries SlotEntries(const CLangSlot& slot) {
    Entries entries;
    std::u16string_view previous;
    bool first = true;
    for (const LangEntry& e : slot) {
        fuzz::Require(first || previous < e.id, "slot IDs ascend without repeats");
        previous = e.id;
        first = false;
        entries.emplace(e.id, e.text);
    }
    return entries;
}

// The writer turns the pair backslash-apostrophe into an apostrophe.
std::u16string Unescaped(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.substr(i, 2) == lang::kEscapedApostrophe) {
            out += u'\'';
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The sorter against a plain stable sort, on entries that repeat those of the file and
// their prefixes until there are enough for the radix passes (256 and more).
void CheckSorter(const std::vector<LangEntry>& parsed) {
    if (parsed.empty()) {
        return;
    }
    std::vector<LangEntry> many;
    for (size_t round = 0; many.size() < 300; ++round) {
        for (const LangEntry& e : parsed) {
            many.push_back(
                LangEntry{e.id.substr(0, e.id.size() - std::min(e.id.size(), round % 9)), {}});
        }
    }
    lang::IdSorter sorter;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass reuses the sorter's buffers
        const std::vector<uint32_t>& order = sorter.Order(many);
        std::vector<uint32_t> wanted(many.size());
        for (size_t i = 0; i < wanted.size(); ++i) {
            wanted[i] = static_cast<uint32_t>(i);
        }
        std::stable_sort(wanted.begin(), wanted.end(),
                         [&many](uint32_t a, uint32_t b) { return many[a].id < many[b].id; });
        fuzz::Require(order == wanted, "IDs sorted, equal IDs in file order");
        many.resize(many.size() / 2 + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::u16string text = u"left over";
    std::u16string wantedText;
    const bool decoded = lang::DecodeLangText(bytes, text);
    fuzz::Require(decoded == ExpectedText(bytes, wantedText), "refused exactly as documented");
    if (!decoded) {
        return 0;
    }
    fuzz::Require(text == wantedText, "decoded text");

    // Entries in file order, against the text they point into.
    std::u16string parsedText = text;
    std::vector<LangEntry> parsed;
    lang::ParseLangText(parsedText, parsed);
    const char16_t* const begin = parsedText.data();
    const char16_t* const end = begin + parsedText.size();
    Entries lastWins;
    for (const LangEntry& e : parsed) {
        fuzz::Require(e.id.data() >= begin && e.id.data() + e.id.size() <= end &&
                          e.text.data() >= begin && e.text.data() + e.text.size() <= end,
                      "entries point into the text");
        fuzz::Require(e.id.find(u'\n') == std::u16string_view::npos &&
                          e.text.find(u'\n') == std::u16string_view::npos,
                      "an entry lies in one line");
        fuzz::Require(e.id.find(u'=') == std::u16string_view::npos, "the ID ends at the first =");
        fuzz::Require(Trimmed(e.id) && Trimmed(e.text), "ID and text are trimmed");
        fuzz::Require(IsUpperId(e.id), "IDs are upper-cased");
        lastWins[std::u16string(e.id)] = std::u16string(e.text);
    }

    CLangSlot slot;
    LangLoadBuffers buffers;
    slot.Load(text, buffers);
    fuzz::Require(SlotEntries(slot) == lastWins, "the slot holds the last text of each ID");
    slot.Load(text, buffers);  // again, with the buffers of the first load
    fuzz::Require(slot.size() == lastWins.size(), "a second load gives the same slot");

    // Written and read back: IDs beginning with "##" are comment lines then, and escaped
    // apostrophes are written plain; everything else comes back.
    Entries wanted;
    for (const auto& [id, entryText] : lastWins) {
        if (id.compare(0, 2, u"##") != 0) {
            wanted[id] = Unescaped(entryText);
        }
    }
    std::u16string rereadText;
    fuzz::Require(lang::DecodeLangText(lang::EncodeLangFile(slot), rereadText),
                  "a written file is read");
    CLangSlot reread;
    reread.Load(rereadText);
    fuzz::Require(SlotEntries(reread) == wanted, "a written file reads back");

    // Edits: a new ID, a changed text, then lookups of every ID.
    const std::u16string newId = parsed.empty() ? u"NEW" : std::u16string(parsed[0].id) + u"~";
    slot.Set(newId, u"added");
    lastWins[newId] = u"added";
    if (!parsed.empty()) {
        slot.Set(parsed.back().id, u"changed");
        lastWins[std::u16string(parsed.back().id)] = u"changed";
    }
    for (const auto& [id, entryText] : lastWins) {
        const auto found = slot.Find(id);
        fuzz::Require(found.has_value() && *found == entryText, "Find after Set");
    }
    fuzz::Require(SlotEntries(slot) == lastWins, "Set keeps the order");

    CheckSorter(parsed);
    return 0;
}
