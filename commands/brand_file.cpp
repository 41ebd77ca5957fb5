#include "commands/brand_file.h"

#include <iterator>
#include <set>
#include <string_view>

#include "install/install_layout.h"
#include "platform/codepage.h"
#include "platform/file_ops.h"
#include "platform/files.h"
#include "platform/unicode.h"
#include "rebrand/icon_file.h"
#include "text/ascii_case.h"
#include "text/blanks.h"
#include "text/file_names.h"
#include "messages/brand_messages.h"
#include "messages/messages.h"

namespace brand {
namespace {

std::u16string Folded(std::u16string_view s) {
    return text::FoldedAscii(s);
}

bool IsAbsolute(const std::u16string& path) {
    return (!path.empty() && (path[0] == u'\\' || path[0] == u'/')) ||
           (path.size() >= 2 && path[1] == u':');
}

enum class Section { kNone, kBrand, kProfile, kLang, kIcons, kVersion, kReplace, kUnknown };

// The string names of [version], as the version resource spells them.
const char16_t* const kVersionNames[] = {
    u"CompanyName",    u"FileDescription", u"FileVersion",      u"InternalName",
    u"LegalCopyright", u"LegalTrademarks", u"OriginalFilename", u"PrivateBuild",
    u"ProductName",    u"ProductVersion",  u"Comments",         u"SpecialBuild"};

// "a.b.c.d": one to four decimal parts, each 0..65535.
bool IsVersionNumber(const std::u16string& value) {
    size_t parts = 0;
    size_t pos = 0;
    while (true) {
        size_t end = value.find(u'.', pos);
        end = end == std::u16string::npos ? value.size() : end;
        if (end == pos || end - pos > 5 || ++parts > 4) {
            return false;
        }
        unsigned long n = 0;
        for (size_t i = pos; i < end; ++i) {
            if (value[i] < u'0' || value[i] > u'9') {
                return false;
            }
            n = n * 10 + static_cast<unsigned long>(value[i] - u'0');
        }
        if (n > 65535) {
            return false;
        }
        if (end == value.size()) {
            return true;
        }
        pos = end + 1;
    }
}

// One key of [brand] or [profile]: where its value goes.
struct KeyTarget {
    const char16_t* name;
    std::optional<std::u16string> BrandFile::*text;
    bool isPath;
};

}  // namespace

bool DecodeBrandBytes(const std::string& bytes, std::u16string& text) {
    text.clear();
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        return platform::DecodeCodePageStrict(bytes.data() + 3, bytes.size() - 3,
                                              platform::kUtf8CodePage, text);
    }
    const bool littleEndian = bytes.compare(0, 2, "\xFF\xFE") == 0;
    if (littleEndian || bytes.compare(0, 2, "\xFE\xFF") == 0) {
        if (bytes.size() % 2 != 0) {
            return false;
        }
        for (size_t i = 2; i < bytes.size(); i += 2) {
            const auto low = static_cast<unsigned char>(bytes[littleEndian ? i : i + 1]);
            const auto high = static_cast<unsigned char>(bytes[littleEndian ? i + 1 : i]);
            text.push_back(static_cast<char16_t>(high << 8 | low));
        }
        return true;
    }
    if (!platform::DecodeCodePageStrict(bytes.data(), bytes.size(), platform::kUtf8CodePage,
                                        text)) {
        text = platform::DecodeCodePage(bytes, platform::kSystemCodePage);
    }
    return true;
}

namespace {

// A line of [icons], [version] or [replace].
template <typename Fail>
void ParseEditLine(Section section, const std::u16string& key, const std::u16string& value,
                   const std::u16string& folder, size_t line, BrandFile& brand, Fail fail) {
    if (section == Section::kReplace) {
        // Literal texts: compared exactly, as the replacement compares them.
        for (const ReplaceEdit& e : brand.replace) {
            if (e.oldText == key) {
                fail(msg::KeyTwice(key));
                return;
            }
        }
        brand.replace.push_back({key, value, line});
        return;
    }
    const std::u16string folded = Folded(key);
    if (section == Section::kIcons) {
        for (const IconGroupEdit& e : brand.icons) {
            if (Folded(e.group) == folded) {
                fail(msg::KeyTwice(key));
                return;
            }
        }
        std::u16string path = value;
        if (path.size() >= 2 && path.front() == u'"' && path.back() == u'"') {
            path = text::TrimBlanks(path.substr(1, path.size() - 2));
        }
        if (path.empty()) {
            fail(msg::EmptyPath(key));
            return;
        }
        for (char16_t& c : path) {
            c = c == u'/' ? u'\\' : c;
        }
        brand.icons.push_back(
            {folded == u"main" ? std::u16string(u"main") : key,
             !IsAbsolute(path) && !folder.empty() ? install::Join(folder, path) : path, line});
        return;
    }
    // [version]
    const bool numbers = folded == u"file_version" || folded == u"product_version";
    const char16_t* name = nullptr;
    for (const char16_t* known : kVersionNames) {
        if (Folded(known) == folded) {
            name = known;
        }
    }
    if (!numbers && name == nullptr) {
        fail(msg::UnknownKey(key, u"version"));
        return;
    }
    if (brand.lines.count(u"version:" + folded) != 0) {
        fail(msg::KeyTwice(key));
        return;
    }
    brand.lines[u"version:" + folded] = line;
    if (numbers) {
        if (!IsVersionNumber(value)) {
            fail(msg::BadVersionNumber(key, value));
            return;
        }
        (folded == u"file_version" ? brand.fileVersion : brand.productVersion) = value;
        return;
    }
    brand.version.push_back({name, value, line});
}

}  // namespace

bool ParseBrandText(const std::u16string& text, const std::u16string& folder, BrandFile& brand,
                    std::vector<std::u16string>& problems) {
    static const KeyTarget kBrandKeys[] = {
        {u"icon", &BrandFile::icon, true},
        {u"startup_image", &BrandFile::startupImage, true},
        {u"ad_image", &BrandFile::adImage, true},
        {u"caption", &BrandFile::caption, false},
        {u"document_name", &BrandFile::documentName, false},
        {u"app_name", &BrandFile::appName, false},
    };
    static const KeyTarget kProfileKeys[] = {
        {u"company", &BrandFile::company, false},
        {u"phone", &BrandFile::phone, false},
        {u"url", &BrandFile::url, false},
        {u"file_password", &BrandFile::filePassword, false},
    };

    brand = BrandFile();
    const size_t problemsBefore = problems.size();
    Section section = Section::kNone;
    bool editionRefused = false;  // a bad edition line: no rule that needs the edition is told
    std::set<std::pair<std::u16string, std::u16string>> langIds;  // file as compared, ID
    size_t lineNo = 0;
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string::npos) {
            end = text.size();
        }
        const std::u16string line = text::TrimBlanks(text.substr(pos, end - pos));
        ++lineNo;
        pos =
            end + ((end + 1 < text.size() && text[end] == u'\r' && text[end + 1] == u'\n') ? 2 : 1);
        const auto fail = [&](const std::u16string& what) {
            problems.push_back(msg::AtLine(lineNo, what));
        };
        if (line.empty() || line[0] == u';' || line[0] == u'#') {
            continue;
        }
        if (line.front() == u'[' && line.back() == u']') {
            const std::u16string name = text::TrimBlanks(line.substr(1, line.size() - 2));
            const std::u16string folded = Folded(name);
            if (folded == u"brand") {
                section = Section::kBrand;
            } else if (folded == u"profile") {
                section = Section::kProfile;
            } else if (folded == u"icons") {
                section = Section::kIcons;
            } else if (folded == u"version") {
                section = Section::kVersion;
            } else if (folded == u"replace") {
                section = Section::kReplace;
            } else if (folded.compare(0, 5, u"lang:") == 0 &&
                       !text::WindowsResolvedName(text::TrimBlanks(name.substr(5))).empty()) {
                section = Section::kLang;
                brand.lang.push_back({text::TrimBlanks(name.substr(5)), lineNo, {}});
            } else {
                section = Section::kUnknown;
                fail(msg::UnknownSection(line));
            }
            continue;
        }
        const size_t eq = line.find(u'=');
        if (eq == std::u16string::npos) {
            fail(msg::NotKeyValue(line));
            continue;
        }
        const std::u16string key = text::TrimBlanks(line.substr(0, eq));
        const std::u16string value = text::TrimBlanks(line.substr(eq + 1));
        if (key.empty()) {
            fail(msg::MissingKey(line));
            continue;
        }
        if (section == Section::kUnknown) {
            continue;  // its header was told
        }
        if (section == Section::kNone) {
            fail(msg::KeyOutsideSection(key));
            continue;
        }
        if (section == Section::kIcons || section == Section::kVersion ||
            section == Section::kReplace) {
            ParseEditLine(section, key, value, folder, lineNo, brand, fail);
            continue;
        }
        if (section == Section::kLang) {
            // Sections that name the same file, as Windows compares names, edit one file.
            if (!langIds.emplace(Folded(text::WindowsResolvedName(brand.lang.back().file)), key)
                     .second) {
                fail(msg::KeyTwice(key));
                continue;
            }
            brand.lang.back().entries.push_back({key, value, lineNo});
            continue;
        }
        const std::u16string folded = Folded(key);
        const bool inBrand = section == Section::kBrand;
        const bool isEdition = inBrand && folded == u"edition";
        const bool isUsePassword = !inBrand && folded == u"use_file_password";
        const KeyTarget* target = nullptr;
        const KeyTarget* first = inBrand ? std::begin(kBrandKeys) : std::begin(kProfileKeys);
        const KeyTarget* last = inBrand ? std::end(kBrandKeys) : std::end(kProfileKeys);
        for (const KeyTarget* t = first; t != last; ++t) {
            if (folded == t->name) {
                target = t;
            }
        }
        if (target == nullptr && !isEdition && !isUsePassword) {
            fail(msg::UnknownKey(key, inBrand ? u"brand" : u"profile"));
            continue;
        }
        if (!brand.lines.emplace(folded, lineNo).second) {
            fail(msg::KeyTwice(key));
            continue;
        }
        if (isEdition) {
            const std::u16string v = Folded(value);
            if (v == u"simple") {
                brand.edition = install::Edition::kSimple;
            } else if (v == u"standard") {
                brand.edition = install::Edition::kStandard;
            } else if (v == u"6.2") {
                brand.edition = install::Edition::kV62;
            } else {
                editionRefused = true;
                fail(msg::BadEdition(value));
            }
            continue;
        }
        if (isUsePassword) {
            if (value != u"0" && value != u"1") {
                fail(msg::BadUseFilePassword(value));
            } else {
                brand.useFilePassword = value == u"1" ? 1 : 0;
            }
            continue;
        }
        std::u16string path = value;
        // A path in double quotes, as paths with blanks are often written: no file name holds
        // a double quote, so the quotes are taken off.
        if (target->isPath && path.size() >= 2 && path.front() == u'"' && path.back() == u'"') {
            path = text::TrimBlanks(path.substr(1, path.size() - 2));
        }
        if (target->isPath && path.empty()) {
            fail(msg::EmptyPath(key));
            continue;
        }
        for (char16_t& c : path) {
            c = target->isPath && c == u'/' ? u'\\' : c;
        }
        brand.*(target->text) = (target->isPath && !IsAbsolute(path) && !folder.empty())
                                    ? install::Join(folder, path)
                                    : path;
    }

    // What the keys ask for together.
    const auto lineOf = [&](const char16_t* key) { return brand.lines[key]; };
    // The lines of keys whose value was refused are told already.
    if (!editionRefused && brand.adImage && !install::IsV62(brand.Edition())) {
        problems.push_back(msg::AtLine(lineOf(u"ad_image"), msg::kAdImageNeedsV62));
    }
    if (!editionRefused && install::IsV62(brand.Edition())) {
        for (const char16_t* key : {u"use_file_password", u"file_password"}) {
            if (brand.lines.count(key) != 0) {
                problems.push_back(msg::AtLine(lineOf(key), msg::kPasswordNotForV62));
            }
        }
    }
    // An app_name that names no file is refused before anything is written; left empty it
    // renames nothing.
    if (brand.appName && !brand.appName->empty() && !text::IsPlainFileName(*brand.appName)) {
        problems.push_back(msg::AtLine(lineOf(u"app_name"), msg::kNotAPlainAppName));
    }
    return problems.size() == problemsBefore;
}

namespace {

// Why the file at path cannot give an icon group its images; empty when it can.
std::u16string IconFileProblem(const std::u16string& path) {
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != platform::ReadResult::kOk) {
        return msg::IconFileUnreadable(path);
    }
    std::vector<rebrand::IconImage> images;
    const rebrand::IconFileStatus status = rebrand::ReadIconImages(bytes, images);
    return status == rebrand::IconFileStatus::kOk ? std::u16string()
                                                  : msg::IconFileRefused(path, status);
}

}  // namespace

bool LoadBrandFile(const std::u16string& path, BrandFile& brand,
                   std::vector<std::u16string>& problems) {
    brand = BrandFile();
    std::string bytes;
    if (platform::ReadWholeFile(path, bytes) != platform::ReadResult::kOk) {
        problems.push_back(msg::BrandFileUnreadable(path));
        return false;
    }
    std::u16string text;
    if (!DecodeBrandBytes(bytes, text)) {
        problems.push_back(msg::BrandFileUndecodable(path));
        return false;
    }
    bool good = ParseBrandText(text, install::FolderOf(path), brand, problems);
    struct File {
        std::u16string path;
        size_t line;
        bool iconGroup;  // an [icons] file, read as an icon file here
    };
    std::vector<File> files;
    const struct {
        const std::optional<std::u16string>& path;
        const char16_t* key;
    } pictures[] = {{brand.icon, u"icon"},
                    {brand.startupImage, u"startup_image"},
                    {brand.adImage, u"ad_image"}};
    for (const auto& picture : pictures) {
        if (picture.path) {
            files.push_back({*picture.path, brand.lines[picture.key], false});
        }
    }
    for (const IconGroupEdit& edit : brand.icons) {
        files.push_back({edit.path, edit.line, true});
    }
    for (const File& f : files) {
        if (text::NamesDevice(f.path)) {
            problems.push_back(msg::AtLine(f.line, msg::PictureIsDevice(f.path)));
        } else if (!platform::PathExists(f.path)) {
            problems.push_back(msg::AtLine(f.line, msg::PictureMissing(f.path)));
        } else if (!platform::IsRegularFile(f.path)) {
            problems.push_back(msg::AtLine(f.line, msg::PictureNotAFile(f.path)));
        } else if (f.iconGroup && !IconFileProblem(f.path).empty()) {
            problems.push_back(msg::AtLine(f.line, IconFileProblem(f.path)));
        } else {
            continue;
        }
        good = false;
    }
    return good;
}

}  // namespace brand

namespace brand {

std::string FormatBrandFile(const BrandFile& brand, std::vector<std::u16string>& unwritable) {
    std::u16string text;
    const auto line = [&](const std::u16string& l) { text += l + u"\r\n"; };
    const auto value = [&](const char16_t* key, const std::optional<std::u16string>& v) {
        if (!v) {
            return;
        }
        const bool holds = v->find_first_of(u"\r\n") == std::u16string::npos &&
                           text::TrimBlanks(*v) == *v &&
                           !(v->size() >= 2 && v->front() == u'"' && v->back() == u'"');
        if (!holds) {
            unwritable.push_back(key);
            return;
        }
        line(std::u16string(key) + u" = " + *v);
    };
    if (brand.edition || brand.HasRebrand()) {
        line(u"[brand]");
        if (brand.edition) {
            line(std::u16string(u"edition = ") + (*brand.edition == install::Edition::kStandard
                                                      ? u"standard"
                                                  : install::IsV62(*brand.edition) ? u"6.2"
                                                                                   : u"simple"));
        }
        value(u"icon", brand.icon);
        value(u"startup_image", brand.startupImage);
        value(u"ad_image", brand.adImage);
        value(u"caption", brand.caption);
        value(u"document_name", brand.documentName);
        value(u"app_name", brand.appName);
    }
    if (brand.HasProfile()) {
        line(u"");
        line(u"[profile]");
        value(u"company", brand.company);
        value(u"phone", brand.phone);
        value(u"url", brand.url);
        if (brand.useFilePassword) {
            line(u"use_file_password = " + std::u16string(*brand.useFilePassword ? u"1" : u"0"));
        }
        value(u"file_password", brand.filePassword);
    }
    for (const LangEdits& edits : brand.lang) {
        line(u"");
        line(u"[lang:" + edits.file + u"]");
        for (const LangEdit& e : edits.entries) {
            // An ID cannot hold "=" or blanks at its ends: such an entry is not written.
            if (e.id.find(u'=') != std::u16string::npos || text::TrimBlanks(e.id) != e.id ||
                e.id.empty() || e.id[0] == u';' || e.id[0] == u'#' || e.id[0] == u'[') {
                unwritable.push_back(e.id);
                continue;
            }
            value(e.id.c_str(), e.text);
        }
    }
    return "\xEF\xBB\xBF" + platform::Utf16ToUtf8(text);
}

}  // namespace brand
