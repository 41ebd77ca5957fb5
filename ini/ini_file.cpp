#include "ini/ini_file.h"

#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "ini/ini_text.h"
#include "text/blanks.h"
#include "platform/files.h"

namespace {

// Line ends inside a name or value would split it into other lines on the next read;
// they are written as blanks.
std::u16string OneLine(const std::u16string& text) {
    std::u16string line(text);
    for (char16_t& c : line) {
        if (c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return line;
}

bool IsHeader(const std::u16string& line) {
    return line.size() >= 2 && line.front() == u'[' && line.find(u']') == line.size() - 1;
}

}  // namespace

CIniFile::CIniFile(std::u16string filePath, unsigned codePage)
    : path(std::move(filePath)), codePage_(codePage) {}

CIniFile::~CIniFile() {
    if (discarded_ || path.find(u"VirUdezed.cfg") != std::u16string::npos) {
        return;
    }
    // A destructor has nobody to report to; a failed save leaves the file as it was.
    try {
        Save();
    } catch (...) {
    }
}

void CIniFile::Load() {
    std::u16string text;
    if (!ReadText(text)) {
        return;
    }
    Parse(text);
}

bool CIniFile::ReadText(std::u16string& text) {
    std::string bytes;
    const platform::ReadResult result = platform::ReadWholeFile(path, bytes);
    if (result == platform::ReadResult::kMissing) {
        return false;
    }
    std::u16string decoded;
    if (result == platform::ReadResult::kOk) {
        decoded = platform::DecodeCodePage(bytes, codePage_);
    }
    if (result != platform::ReadResult::kOk || (decoded.empty() && !bytes.empty())) {
        loadFailed_ = true;  // the content exists but is unknown: Save must not replace it
        return false;
    }
    text += decoded;
    return true;
}

// Grammar, line by line (lines end with CR LF, LF or CR; they are trimmed and blank ones
// vanish). A line is split at "=" into trimmed non-empty pieces:
// - two or more pieces: an entry;
// - otherwise "[name]" with no other "]" than the last character: a header, name untrimmed;
// - otherwise one piece and an "=" somewhere: an entry;
// - anything else is ignored.
// An entry's key is the first piece, its value the trimmed text after the first "=" that
// follows the key. Entries collect in a pending block; a header naming another section than
// the current one (A-Z folded) stores the current block when the current name is not empty,
// and so keys above the first named header join it. After the last line a non-empty block is
// stored under the current name. Storing never overwrites: the first section and the first
// key of a folded name win.
void CIniFile::Parse(const std::u16string& text) {
    std::u16string unified(text);
    for (char16_t& c : unified) {
        if (c == u'\r') {
            c = u'\n';
        }
    }
    std::vector<std::u16string> lines;
    SplitString(unified, u"\n", lines);

    std::u16string current;
    std::map<std::u16string, IniEntry> pending;
    const auto commit = [&] { sections.emplace(FoldCase(current), IniSection{current, pending}); };
    std::vector<std::u16string> pieces;
    for (const std::u16string& line : lines) {
        SplitString(line, u"=", pieces);
        const bool hasEquals = line.find(u'=') != std::u16string::npos;
        if (pieces.size() < 2 && IsHeader(line)) {
            const std::u16string name = line.substr(1, line.size() - 2);
            if (FoldCase(name) == FoldCase(current)) {
                continue;
            }
            if (!current.empty()) {
                commit();
                pending.clear();
            }
            current = name;
            continue;
        }
        if (pieces.size() >= 2 || (pieces.size() == 1 && hasEquals)) {
            const std::u16string& key = pieces.front();
            // Only "=" and white space can stand in front of the key.
            const size_t equals = line.find(u'=', line.find(key) + key.size());
            std::u16string value;
            if (equals != std::u16string::npos) {
                value = ::text::TrimBlanks(line.substr(equals + 1));
            }
            pending.emplace(FoldCase(key), IniEntry{key, std::move(value)});
        }
    }
    if (!pending.empty()) {
        commit();
    }
}

const IniEntry* CIniFile::Find(const std::u16string& section, const std::u16string& key) const {
    const auto s = sections.find(FoldCase(section));
    if (s == sections.end()) {
        return nullptr;
    }
    const auto e = s->second.entries.find(FoldCase(key));
    return e == s->second.entries.end() ? nullptr : &e->second;
}

std::u16string CIniFile::GetString(const std::u16string& section, const std::u16string& key,
                                   const std::u16string& def) const {
    const IniEntry* entry = Find(section, key);
    return entry != nullptr ? entry->value : def;
}

int32_t CIniFile::GetInt(const std::u16string& section, const std::u16string& key,
                         int32_t def) const {
    const IniEntry* entry = Find(section, key);
    return entry != nullptr ? IniTextToInt(entry->value) : def;
}

void CIniFile::SetString(const std::u16string& section, const std::u16string& key,
                         const std::u16string& value) {
    IniSection& s = sections.emplace(FoldCase(section), IniSection{section, {}}).first->second;
    IniEntry& e = s.entries.emplace(FoldCase(key), IniEntry{key, {}}).first->second;
    e.value = value;
}

void CIniFile::SetInt(const std::u16string& section, const std::u16string& key, int32_t value) {
    const std::string digits = std::to_string(value);
    SetString(section, key, std::u16string(digits.begin(), digits.end()));
}

std::u16string CIniFile::Format() const {
    std::u16string text;
    for (const auto& s : sections) {
        text += u"[" + OneLine(s.second.name) + u"]\r\n";
        for (const auto& e : s.second.entries) {
            text += OneLine(e.second.key) + u"=" + OneLine(e.second.value) + u"\r\n";
        }
    }
    return text;
}

bool CIniFile::Save() {
    if (loadFailed_) {
        return false;
    }
    const std::u16string text = Format();
    const std::string bytes = platform::EncodeCodePage(text, codePage_);
    if (bytes.empty() && !text.empty()) {
        return false;  // the code page is unusable; an empty file would lose the profile
    }
    lastSave = platform::WriteFileSafely(path, bytes, writeRoot);
    return lastSave.Written();
}

int32_t IniTextToInt(const std::u16string& text) {
    constexpr int64_t kMax = std::numeric_limits<int32_t>::max();
    constexpr int64_t kMin = std::numeric_limits<int32_t>::min();
    size_t i = 0;
    while (i < text.size() && ::text::IsBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    int64_t magnitude = 0;  // stops growing once past the range, so it cannot overflow
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (magnitude <= kMax + 1) {
            magnitude = magnitude * 10 + (text[i] - u'0');
        }
    }
    if (negative) {
        return magnitude >= -kMin ? std::numeric_limits<int32_t>::min()
                                  : static_cast<int32_t>(-magnitude);
    }
    return magnitude >= kMax ? std::numeric_limits<int32_t>::max()
                             : static_cast<int32_t>(magnitude);
}
