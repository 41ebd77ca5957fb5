#include "ini/ini_file.h"

#include <algorithm>
#include <exception>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "ini/ini_text.h"
#include "text/ascii_case.h"
#include "text/blanks.h"
#include "platform/files.h"

namespace {

// Line ends inside a name or value would split it into other lines on the next read;
// they are written as blanks.
void AppendOneLine(std::u16string& out, const std::u16string& text) {
    const size_t start = out.size();
    out += text;
    for (size_t i = start; i < out.size(); ++i) {
        if (out[i] == u'\r' || out[i] == u'\n') {
            out[i] = u' ';
        }
    }
}

std::u16string_view Trimmed(std::u16string_view text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && ::text::IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && ::text::IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool SameFolded(std::u16string_view a, std::u16string_view b) {
    return ::text::EqualFoldingAscii(a, b);
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
//
// The text comes in pieces that end at line ends; each line is looked at in place.
class Parser {
public:
    explicit Parser(std::map<std::u16string, IniSection>& sections) : sections_(sections) {}

    void Feed(std::u16string_view text) {
        size_t start = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' || text[i] == u'\n') {
                Line(Trimmed(text.substr(start, i - start)));
                start = i + 1;
            }
        }
        Line(Trimmed(text.substr(start)));
    }

    void Finish() {
        if (hasPending_) {
            Commit();
        }
    }

private:
    void Line(std::u16string_view line) {
        if (line.empty()) {
            return;
        }
        // The first piece, and the "=" that ends it.
        std::u16string_view key;
        size_t keyEnd = std::u16string_view::npos;
        for (size_t pos = 0; pos <= line.size();) {
            const size_t equals = line.find(u'=', pos);
            key = Trimmed(line.substr(pos, equals == line.npos ? line.npos : equals - pos));
            if (!key.empty() || equals == line.npos) {
                keyEnd = equals;
                break;
            }
            pos = equals + 1;
        }
        if (key.empty()) {
            return;  // only "=" and white space
        }
        std::u16string_view rest;
        if (keyEnd != line.npos) {
            rest = line.substr(keyEnd + 1);
        }
        const bool twoPieces = std::any_of(
            rest.begin(), rest.end(), [](char16_t c) { return c != u'=' && !::text::IsBlank(c); });
        if (!twoPieces && line.size() >= 2 && line.front() == u'[' &&
            line.find(u']') == line.size() - 1) {
            Header(line.substr(1, line.size() - 2));
            return;
        }
        if (twoPieces || line.find(u'=') != line.npos) {
            pending_.Append(key, Trimmed(rest));
            hasPending_ = true;
        }
    }

    void Header(std::u16string_view name) {
        if (SameFolded(name, current_)) {
            return;
        }
        if (!current_.empty()) {
            Commit();
        }
        current_.assign(name);
    }

    void Commit() {
        pending_.IndexAppended();
        hasPending_ = false;
        sections_.emplace(FoldCase(current_), IniSection{current_, std::move(pending_)});
        pending_ = IniEntries();
    }

    std::map<std::u16string, IniSection>& sections_;
    std::u16string current_;
    IniEntries pending_;
    bool hasPending_ = false;
};

}  // namespace

CIniFile::CIniFile(std::u16string filePath, unsigned codePage)
    : path(std::move(filePath)), codePage_(codePage) {}

CIniFile::~CIniFile() = default;

CIniFile::WriteBack CIniFile::WriteBackIfChanged() {
    if (discarded_ || !changed_ || path.find(u"VirUdezed.cfg") != std::u16string::npos) {
        return WriteBack::kNothing;
    }
    if (ChangedOnDisk()) {
        return WriteBack::kLeftAsOnDisk;
    }
    return Save() ? WriteBack::kSaved : WriteBack::kFailed;
}

void CIniFile::Load() {
    // The file is decoded a piece at a time straight into the model, so that the whole
    // decoded text is never held.
    std::map<std::u16string, IniSection> parsed;
    std::unique_ptr<Parser> parser;
    const auto start = [&] {
        parsed.clear();
        parser = std::make_unique<Parser>(parsed);
    };
    bool read = false;
    try {
        std::string bytes;
        const platform::ReadResult result = platform::ReadWholeFileStamped(path, bytes, stamp_);
        if (result == platform::ReadResult::kMissing) {
            return;
        }
        start();
        read = result == platform::ReadResult::kOk &&
               DecodeIniPieces(
                   bytes, codePage_, encoding_,
                   [&](std::u16string_view piece) { parser->Feed(piece); }, start);
        if (read) {
            bytes = std::string();
            parser->Finish();
        }
    } catch (const std::exception&) {
        read = false;  // too large for the memory at hand
    }
    if (!read) {
        loadFailed_ = true;  // the content exists but is unknown: Save must not replace it
        return;
    }
    sections.merge(parsed);
}

bool CIniFile::ReadText(std::u16string& text) {
    std::string bytes;
    const platform::ReadResult result = platform::ReadWholeFileStamped(path, bytes, stamp_);
    if (result == platform::ReadResult::kMissing) {
        return false;
    }
    std::u16string decoded;
    if (result != platform::ReadResult::kOk ||
        !DecodeIniText(bytes, codePage_, decoded, encoding_)) {
        loadFailed_ = true;  // the content exists but is unknown: Save must not replace it
        return false;
    }
    text += decoded;
    return true;
}

void CIniFile::Parse(const std::u16string& text) {
    std::map<std::u16string, IniSection> parsed;
    Parser parser(parsed);
    parser.Feed(text);
    parser.Finish();
    sections.merge(parsed);  // sections already in the model stay as they are
}

bool CIniFile::Find(const std::u16string& section, const std::u16string& key,
                    std::u16string& value) const {
    const auto s = sections.find(FoldCase(section));
    return s != sections.end() && s->second.entries.Find(key, value);
}

std::u16string CIniFile::GetString(const std::u16string& section, const std::u16string& key,
                                   const std::u16string& def) const {
    std::u16string value;
    return Find(section, key, value) ? value : def;
}

int32_t CIniFile::GetInt(const std::u16string& section, const std::u16string& key,
                         int32_t def) const {
    std::u16string value;
    return Find(section, key, value) ? IniTextToInt(value) : def;
}

void CIniFile::SetString(const std::u16string& section, const std::u16string& key,
                         const std::u16string& value) {
    IniSection& s = sections.emplace(FoldCase(section), IniSection{section, {}}).first->second;
    if (s.entries.Set(key, value)) {
        changed_ = true;
    }
}

void CIniFile::SetInt(const std::u16string& section, const std::u16string& key, int32_t value) {
    const std::string digits = std::to_string(value);
    SetString(section, key, std::u16string(digits.begin(), digits.end()));
}

std::u16string CIniFile::Format() const {
    std::u16string text;
    size_t size = 0;
    for (const auto& s : sections) {
        size += s.second.name.size() + 4 + s.second.entries.TextSizeBound() +
                3 * s.second.entries.size();
    }
    text.reserve(size);
    for (const auto& s : sections) {
        text += u'[';
        AppendOneLine(text, s.second.name);
        text += u"]\r\n";
        for (const auto& e : s.second.entries) {
            AppendOneLine(text, e.second.key);
            text += u'=';
            AppendOneLine(text, e.second.value);
            text += u"\r\n";
        }
    }
    return text;
}

bool CIniFile::Save() {
    if (loadFailed_) {
        return false;
    }
    std::string bytes;
    if (!EncodeIniText(Format(), encoding_, codePage_, bytes)) {
        return false;  // written, the profile would hold other characters than the model
    }
    lastSave = platform::WriteFileSafely(path, bytes, writeRoot);
    if (!lastSave.Written()) {
        return false;
    }
    stamp_ = platform::StampOfWritten(path, bytes.data(), bytes.size());
    changed_ = false;
    return true;
}

bool CIniFile::CanHold(const std::u16string& text) const {
    std::string bytes;
    return EncodeIniText(text, encoding_, codePage_, bytes);
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
