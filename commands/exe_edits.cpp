#include "commands/exe_edits.h"

#include "messages/brand_messages.h"
#include "messages/messages.h"

namespace brand {

namespace {

// "1.2.3.4" (as the brand file checked it) as four numbers; parts left out are 0.
std::array<uint16_t, 4> VersionNumbers(const std::u16string& text) {
    std::array<uint16_t, 4> numbers{};
    size_t part = 0;
    for (char16_t c : text) {
        if (c == u'.') {
            ++part;
        } else if (part < 4) {
            numbers[part] = static_cast<uint16_t>(numbers[part] * 10 + (c - u'0'));
        }
    }
    return numbers;
}

size_t LineOf(const BrandFile& brand, const std::u16string& key) {
    const auto it = brand.lines.find(key);
    return it == brand.lines.end() ? 0 : it->second;
}

}  // namespace

ExecutableEdits::ExecutableEdits(const BrandFile& brand,
                                 const std::map<std::u16string, std::string>& iconFiles) {
    for (const IconGroupEdit& e : brand.icons) {
        const auto file = iconFiles.find(e.path);
        icons_.push_back(
            {e.group, e.path,
             file == iconFiles.end() ? std::nullopt : std::optional<std::string>(file->second),
             e.line});
    }
    versionStrings_ = brand.version;
    if (brand.fileVersion) {
        fileVersion_ = VersionNumbers(*brand.fileVersion);
        fileVersionLine_ = LineOf(brand, u"version:file_version");
    }
    if (brand.productVersion) {
        productVersion_ = VersionNumbers(*brand.productVersion);
        productVersionLine_ = LineOf(brand, u"version:product_version");
    }
    std::vector<std::pair<std::u16string, std::u16string>> pairs;
    for (const ReplaceEdit& e : brand.replace) {
        pairs.emplace_back(e.oldText, e.newText);
    }
    replace_ = text::Replacements(std::move(pairs));
    replaceLine_ = brand.replace.empty() ? 0 : brand.replace.front().line;
}

bool ExecutableEdits::Empty() const {
    return icons_.empty() && versionStrings_.empty() && !fileVersion_ && !productVersion_ &&
           replace_.Empty();
}

bool ExecutableEdits::RebuildsMainIcon() const {
    for (const IconGroup& g : icons_) {
        if (g.group == u"main") {
            return true;
        }
    }
    return false;
}

bool ExecutableEdits::Apply(rebrand::ResourceTree& tree, const std::u16string& exe,
                            std::vector<std::u16string>* lines,
                            std::vector<std::u16string>* problems) const {
    return ReplaceTexts(tree, exe, lines, problems);
}

bool ExecutableEdits::ReplaceTexts(rebrand::ResourceTree& tree, const std::u16string& exe,
                                   std::vector<std::u16string>* lines,
                                   std::vector<std::u16string>* problems) const {
    if (replace_.Empty()) {
        return true;
    }
    std::vector<rebrand::TextChange> changes;
    rebrand::TextPlace tooLong;
    if (!rebrand::ReplaceExecutableTexts(tree, replace_, nullptr, changes, &tooLong)) {
        if (problems != nullptr) {
            problems->push_back(
                msg::AtLine(replaceLine_, msg::ReplacedTextTooLong(exe, msg::PlaceName(tooLong))));
        }
        return false;
    }
    if (lines != nullptr) {
        size_t count = 0;
        for (const rebrand::TextChange& c : changes) {
            lines->push_back(
                msg::ValueLine(exe, msg::PlaceName(c.place), c.newText, &c.place.text));
            count += c.count;
        }
        lines->push_back(msg::ReplacedCount(exe, count));
    }
    return true;
}

}  // namespace brand
