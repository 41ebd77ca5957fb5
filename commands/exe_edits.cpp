#include "commands/exe_edits.h"

#include "messages/brand_messages.h"
#include "messages/messages.h"
#include "rebrand/icon_file.h"
#include "rebrand/icon_group.h"
#include "rebrand/string_block.h"
#include "rebrand/version_resource.h"
#include "text/ascii_case.h"

namespace brand {

namespace {

constexpr uint16_t kResourceLanguage = rebrand::kStringBlockLanguage;  // what a brand creates

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
    // Each kind is tried even when one before failed, so that the plan tells every problem.
    bool ok = RebuildIcons(tree, exe, lines, problems);
    ok = SetVersion(tree, exe, lines, problems) && ok;
    return ReplaceTexts(tree, exe, lines, problems) && ok;
}

bool ExecutableEdits::RebuildIcons(rebrand::ResourceTree& tree, const std::u16string& exe,
                                   std::vector<std::u16string>* lines,
                                   std::vector<std::u16string>* problems) const {
    bool ok = true;
    const auto fail = [&](size_t line, const std::u16string& what) {
        ok = false;
        if (problems != nullptr) {
            problems->push_back(msg::AtLine(line, what));
        }
    };
    for (const IconGroup& g : icons_) {
        std::vector<rebrand::IconImage> images;
        if (!g.file) {
            fail(g.line, msg::IconFileUnreadable(g.path));
            continue;
        }
        const rebrand::IconFileStatus read = rebrand::ReadIconImages(*g.file, images);
        if (read != rebrand::IconFileStatus::kOk) {
            fail(g.line, msg::IconFileRefused(g.path, read));
            continue;
        }
        const rebrand::ResourceName name = GroupName(tree, g.group);
        switch (rebrand::RebuildIconGroup(tree, name, images,
                                          rebrand::ResourceName::Id(kResourceLanguage))) {
            case rebrand::IconGroupStatus::kOk:
                if (lines != nullptr) {
                    lines->push_back(msg::IconGroupLine(exe, g.group, msg::ResourceNameText(name),
                                                        g.path, images.size()));
                }
                break;
            case rebrand::IconGroupStatus::kNoSuchGroup:
                fail(g.line, msg::IconGroupMissing(exe, g.group));
                break;
            case rebrand::IconGroupStatus::kBadGroup:
                fail(g.line, msg::IconGroupBroken(exe, msg::ResourceNameText(name)));
                break;
            case rebrand::IconGroupStatus::kNoImages:
            case rebrand::IconGroupStatus::kNoFreeIds:
                fail(g.line, msg::NoIconIds(exe));
                break;
        }
    }
    return ok;
}

rebrand::ResourceName ExecutableEdits::GroupName(const rebrand::ResourceTree& tree,
                                                 const std::u16string& group) {
    if (group == u"main") {
        // The first group; without any, the group made is 1.
        return rebrand::MainIconGroup(tree).value_or(rebrand::ResourceName::Id(1));
    }
    unsigned long id = 0;
    bool digits = !group.empty() && group.size() <= 5;
    for (char16_t c : group) {
        digits = digits && c >= u'0' && c <= u'9';
        id = digits ? id * 10 + static_cast<unsigned long>(c - u'0') : id;
    }
    if (digits && id <= 0xFFFF) {
        return rebrand::ResourceName::Id(static_cast<uint16_t>(id));
    }
    // Resource compilers store names in upper case, and the loader looks them up so.
    return rebrand::ResourceName::Text(text::UpperAscii(group));
}

bool ExecutableEdits::SetsVersionStringByName(std::u16string_view key) const {
    for (const VersionEdit& e : versionStrings_) {
        if (text::EqualFoldingAscii(e.name, key)) {
            return true;
        }
    }
    return false;
}

bool ExecutableEdits::SetsVersionString(std::u16string_view key) const {
    for (const VersionEdit& e : versionStrings_) {
        if (text::EqualFoldingAscii(e.name, key)) {
            return true;
        }
    }
    return (fileVersion_ && text::EqualFoldingAscii(key, u"FileVersion")) ||
           (productVersion_ && text::EqualFoldingAscii(key, u"ProductVersion"));
}

bool ExecutableEdits::SetVersion(rebrand::ResourceTree& tree, const std::u16string& exe,
                                 std::vector<std::u16string>* lines,
                                 std::vector<std::u16string>* problems) const {
    if (versionStrings_.empty() && !fileVersion_ && !productVersion_) {
        return true;
    }
    const size_t firstLine = !versionStrings_.empty() ? versionStrings_.front().line
                             : fileVersion_           ? fileVersionLine_
                                                      : productVersionLine_;
    const rebrand::ResourceName type = rebrand::ResourceName::Id(rebrand::kVersionType);
    struct Resource {
        rebrand::ResourceName name, language;
        std::optional<rebrand::VersionResource> version;
    };
    std::vector<Resource> resources;
    if (const auto it = tree.types.find(type); it != tree.types.end()) {
        for (const auto& [name, node] : it->second.names) {
            for (const auto& [language, data] : node.languages) {
                resources.push_back({name, language, rebrand::ParseVersionResource(data.bytes)});
            }
        }
    }
    if (resources.empty()) {
        resources.push_back({rebrand::ResourceName::Id(1),
                             rebrand::ResourceName::Id(kResourceLanguage),
                             rebrand::NewVersionResource()});
        if (lines != nullptr) {
            lines->push_back(msg::VersionCreated(exe));
        }
    }
    bool ok = true;
    for (Resource& r : resources) {
        if (!r.version) {
            ok = false;
            if (problems != nullptr) {
                problems->push_back(msg::AtLine(firstLine, msg::VersionUnreadable(exe)));
            }
            continue;
        }
        rebrand::VersionResource& v = *r.version;
        const rebrand::VersionResource before = v;
        const auto set = [&](std::u16string_view key, const std::u16string& value) {
            rebrand::SetVersionString(v, key, value);
        };
        for (const VersionEdit& e : versionStrings_) {
            set(e.name, e.value);
        }
        const auto numbers = [](const std::array<uint16_t, 4>& n) {
            return msg::Decimal(n[0]) + u"." + msg::Decimal(n[1]) + u"." + msg::Decimal(n[2]) +
                   u"." + msg::Decimal(n[3]);
        };
        if (fileVersion_) {
            rebrand::SetFixedFileVersion(v, *fileVersion_);
            if (!SetsVersionStringByName(u"FileVersion")) {
                set(u"FileVersion", numbers(*fileVersion_));
            }
        }
        if (productVersion_) {
            rebrand::SetFixedProductVersion(v, *productVersion_);
            if (!SetsVersionStringByName(u"ProductVersion")) {
                set(u"ProductVersion", numbers(*productVersion_));
            }
        }
        std::string bytes = rebrand::WriteVersionResource(v);
        if (bytes.empty()) {
            ok = false;
            if (problems != nullptr) {
                problems->push_back(msg::AtLine(firstLine, msg::VersionTooLong(exe)));
            }
            continue;
        }
        tree.Set(type, r.name, r.language, std::move(bytes));
        if (lines == nullptr) {
            continue;
        }
        // Each string that changed, per table; then the numbers.
        for (size_t t = 0; t < v.tables.size(); ++t) {
            for (const rebrand::VersionString& now : v.tables[t].strings) {
                const std::u16string* old = nullptr;
                if (t < before.tables.size()) {
                    for (const rebrand::VersionString& was : before.tables[t].strings) {
                        old = was.key == now.key ? &was.value : old;
                    }
                }
                if (old == nullptr || *old != now.value) {
                    lines->push_back(msg::ValueLine(
                        exe, msg::VersionPlace(v.tables[t].key, now.key), now.value, old));
                }
            }
        }
        const auto numberLine = [&](const char16_t* what, const auto& was, const auto& now) {
            if (now && (!was || *was != *now)) {
                const std::u16string old = was ? numbers(*was) : std::u16string();
                lines->push_back(msg::ValueLine(exe, msg::VersionPlace(u"", what), numbers(*now),
                                                was ? &old : nullptr));
            }
        };
        numberLine(u"file_version", rebrand::FixedFileVersion(before),
                   rebrand::FixedFileVersion(v));
        numberLine(u"product_version", rebrand::FixedProductVersion(before),
                   rebrand::FixedProductVersion(v));
    }
    return ok;
}

bool ExecutableEdits::ReplaceTexts(rebrand::ResourceTree& tree, const std::u16string& exe,
                                   std::vector<std::u16string>* lines,
                                   std::vector<std::u16string>* problems) const {
    if (replace_.Empty()) {
        return true;
    }
    std::vector<rebrand::TextChange> changes;
    rebrand::TextPlace tooLong;
    // A version string [version] sets is not replaced in.
    const auto setByVersion = [this](const rebrand::TextPlace& place) {
        const size_t slash = place.key.find(u'/');
        return place.kind == rebrand::TextKind::kVersion && slash != std::u16string::npos &&
               SetsVersionString(std::u16string_view(place.key).substr(slash + 1));
    };
    if (!rebrand::ReplaceExecutableTexts(tree, replace_, setByVersion, changes, &tooLong)) {
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
