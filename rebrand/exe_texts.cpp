#include "rebrand/exe_texts.h"

#include <string_view>

#include "platform/unicode.h"
#include "rebrand/dialog_template.h"
#include "rebrand/menu_template.h"
#include "rebrand/string_block.h"
#include "rebrand/version_resource.h"

namespace rebrand {
namespace {

// What a walk over the texts does with one resource: gives each text to change, and
// returns the resource's new bytes when a text changed (nullopt: keep it), or sets tooLong.
struct Walk {
    const TextChangeFn& change;
    TextPlace* tooLong = nullptr;
    bool failed = false;

    std::optional<std::u16string> Ask(const TextPlace& place) {
        std::optional<std::u16string> now = change(place);
        if (now && *now == place.text) {
            now.reset();
        }
        return now;
    }
    void TooLong(const TextPlace& place) {
        failed = true;
        if (tooLong != nullptr) {
            *tooLong = place;
        }
    }
};

std::optional<std::string> StringTableTexts(std::string_view bytes, TextPlace place, Walk& walk) {
    std::optional<StringBlock> block = ParseStringBlock(bytes);
    if (!block || place.resource.named || place.resource.id == 0) {
        return std::nullopt;
    }
    bool changed = false;
    const uint32_t first = (uint32_t{place.resource.id} - 1) * 16;
    for (size_t i = 0; i < block->size(); ++i) {
        std::u16string& entry = (*block)[i];
        if (entry.empty()) {
            continue;
        }
        place.id = first + static_cast<uint32_t>(i);
        place.text = entry;
        if (std::optional<std::u16string> now = walk.Ask(place)) {
            if (now->size() > kMaxStringUnits) {
                walk.TooLong(place);
                return std::nullopt;
            }
            entry = std::move(*now);
            changed = true;
        }
    }
    return changed ? SerializeStringBlock(*block) : std::nullopt;
}

// ---- The manifest: UTF-8 XML.

std::u16string Unescaped(std::u16string_view text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == u'&' ? text.find(u';', i) : std::u16string_view::npos;
        if (end == std::u16string_view::npos || end - i > 10) {
            out += text[i];
            continue;
        }
        const std::u16string_view name = text.substr(i + 1, end - i - 1);
        static const struct {
            std::u16string_view name;
            char16_t c;
        } kNamed[] = {
            {u"amp", u'&'}, {u"lt", u'<'}, {u"gt", u'>'}, {u"quot", u'"'}, {u"apos", u'\''}};
        bool known = false;
        for (const auto& n : kNamed) {
            if (name == n.name) {
                out += n.c;
                known = true;
            }
        }
        if (!known && name.size() >= 2 && name[0] == u'#') {
            const bool hex = name[1] == u'x' || name[1] == u'X';
            uint32_t value = 0;
            bool digits = name.size() > (hex ? 2u : 1u);
            for (size_t k = hex ? 2 : 1; k < name.size() && digits; ++k) {
                const char16_t c = name[k];
                uint32_t d = 0;
                if (c >= u'0' && c <= u'9') {
                    d = c - u'0';
                } else if (hex && c >= u'a' && c <= u'f') {
                    d = c - u'a' + 10;
                } else if (hex && c >= u'A' && c <= u'F') {
                    d = c - u'A' + 10;
                } else {
                    digits = false;
                }
                value = value * (hex ? 16 : 10) + d;
                digits = digits && value <= 0x10FFFF;
            }
            if (digits && value != 0 && (value < 0xD800 || value > 0xDFFF)) {
                if (value >= 0x10000) {
                    out += static_cast<char16_t>(0xD800 + ((value - 0x10000) >> 10));
                    out += static_cast<char16_t>(0xDC00 + ((value - 0x10000) & 0x3FF));
                } else {
                    out += static_cast<char16_t>(value);
                }
                known = true;
            }
        }
        if (!known) {
            out += text[i];
            continue;
        }
        i = end;
    }
    return out;
}

std::u16string Escaped(std::u16string_view text) {
    std::u16string out;
    for (char16_t c : text) {
        switch (c) {
            case u'&':
                out += u"&amp;";
                break;
            case u'<':
                out += u"&lt;";
                break;
            case u'>':
                out += u"&gt;";
                break;
            case u'"':
                out += u"&quot;";
                break;
            case u'\'':
                out += u"&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

bool IsXmlBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool IsNameChar(char16_t c) {
    return !IsXmlBlank(c) && c != u'=' && c != u'>' && c != u'/' && c != u'<' && c != u'"' &&
           c != u'\'';
}

// Walks the texts of xml into out; without walk, only checks that the markup is complete.
bool ScanManifest(const std::u16string& xml, TextPlace& place, Walk* walk, std::u16string& out,
                  bool& changed) {
    // One stretch of text: [from, to) of xml, found under key.
    const auto text = [&](size_t from, size_t to, const std::u16string& key) {
        const std::u16string_view raw(xml.data() + from, to - from);
        size_t lead = 0;
        while (lead < raw.size() && IsXmlBlank(raw[lead])) {
            ++lead;
        }
        size_t trail = raw.size();
        while (trail > lead && IsXmlBlank(raw[trail - 1])) {
            --trail;
        }
        if (lead == trail) {
            out += raw;
            return;
        }
        place.key = key;
        place.text = Unescaped(raw.substr(lead, trail - lead));
        const std::optional<std::u16string> now = walk != nullptr ? walk->Ask(place) : std::nullopt;
        if (!now) {
            out += raw;
            return;
        }
        out += raw.substr(0, lead);
        out += Escaped(*now);
        out += raw.substr(trail);
        changed = true;
    };
    std::vector<std::u16string> open;  // the elements around the text
    size_t i = 0;
    while (i < xml.size()) {
        if (xml[i] != u'<') {
            const size_t end = std::min(xml.find(u'<', i), xml.size());
            text(i, end, open.empty() ? std::u16string() : open.back());
            i = end;
            continue;
        }
        // Markup that holds no text: comments, CDATA, declarations, instructions.
        static const struct {
            std::u16string_view start;
            std::u16string_view end;
        } kSkipped[] = {{u"<!--", u"-->"}, {u"<![CDATA[", u"]]>"}, {u"<?", u"?>"}, {u"<!", u">"}};
        bool skipped = false;
        for (const auto& s : kSkipped) {
            if (xml.compare(i, s.start.size(), s.start) == 0) {
                const size_t end = xml.find(s.end, i + s.start.size());
                const size_t stop = end == std::u16string::npos ? xml.size() : end + s.end.size();
                out.append(xml, i, stop - i);
                i = stop;
                skipped = true;
                break;
            }
        }
        if (skipped) {
            continue;
        }
        // A tag: its name, then attributes whose values are texts.
        const bool closing = i + 1 < xml.size() && xml[i + 1] == u'/';
        size_t k = i + (closing ? 2 : 1);
        const size_t nameStart = k;
        while (k < xml.size() && IsNameChar(xml[k])) {
            ++k;
        }
        const std::u16string element = xml.substr(nameStart, k - nameStart);
        out.append(xml, i, k - i);
        while (k < xml.size() && xml[k] != u'>') {
            if (xml[k] == u'"' || xml[k] == u'\'') {
                const size_t end = xml.find(xml[k], k + 1);
                if (end == std::u16string::npos) {
                    return false;
                }
                // The attribute's name stands before its "=".
                size_t n = out.size();
                while (n > 0 && (IsXmlBlank(out[n - 1]) || out[n - 1] == u'=')) {
                    --n;
                }
                size_t s = n;
                while (s > 0 && IsNameChar(out[s - 1])) {
                    --s;
                }
                out += xml[k];
                text(k + 1, end, element + u" " + out.substr(s, n - s));
                out += xml[end];
                k = end + 1;
                continue;
            }
            out += xml[k++];
        }
        if (k >= xml.size()) {
            return false;
        }
        const bool selfClosing = k > i && xml[k - 1] == u'/';
        out += u'>';
        i = k + 1;
        if (closing) {
            if (!open.empty()) {
                open.pop_back();
            }
        } else if (!selfClosing) {
            open.push_back(element);
        }
    }
    return true;
}

std::optional<std::string> ManifestTexts(std::string_view bytes, TextPlace place, Walk& walk) {
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    const bool bom = bytes.substr(0, 3) == kBom;
    const std::string utf8(bom ? bytes.substr(3) : bytes);
    const std::u16string xml = platform::Utf8ToUtf16(utf8);
    std::u16string out;
    bool changed = false;
    // Not UTF-8, or markup that is not complete: not read, not changed.
    if (platform::Utf16ToUtf8(xml) != utf8 || !ScanManifest(xml, place, nullptr, out, changed)) {
        return std::nullopt;
    }
    out.clear();
    ScanManifest(xml, place, &walk, out, changed);
    if (!changed) {
        return std::nullopt;
    }
    return (bom ? std::string(kBom) : std::string()) + platform::Utf16ToUtf8(out);
}

std::optional<std::string> VersionTexts(std::string_view bytes, TextPlace place, Walk& walk) {
    std::optional<VersionResource> version = ParseVersionResource(bytes);
    if (!version) {
        return std::nullopt;
    }
    bool changed = false;
    for (VersionTable& table : version->tables) {
        for (VersionString& s : table.strings) {
            if (s.value.empty()) {
                continue;
            }
            place.key = table.key + u"/" + s.key;
            place.text = s.value;
            if (std::optional<std::u16string> now = walk.Ask(place)) {
                s.value = std::move(*now);
                changed = true;
            }
        }
    }
    if (!changed) {
        return std::nullopt;
    }
    std::string out = WriteVersionResource(*version);
    if (out.empty()) {  // a node over 65,535 bytes
        walk.TooLong(place);
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> DialogTexts(std::string_view bytes, TextPlace place, Walk& walk) {
    std::optional<DialogTemplate> dialog = ParseDialogTemplate(bytes);
    if (!dialog) {
        return std::nullopt;
    }
    bool changed = false;
    const auto ask = [&](std::u16string& text, std::optional<uint32_t> id) {
        if (text.empty()) {
            return;
        }
        place.id = id;
        place.text = text;
        if (std::optional<std::u16string> now = walk.Ask(place)) {
            text = std::move(*now);
            changed = true;
        }
    };
    if (dialog->caption) {
        ask(*dialog->caption, std::nullopt);
    }
    for (DialogItem& item : dialog->items) {
        if (item.title) {
            ask(*item.title, item.id);
        }
    }
    if (!changed) {
        return std::nullopt;
    }
    std::string out = WriteDialogTemplate(*dialog);
    if (out.empty()) {  // a text the template cannot hold (a NUL)
        walk.TooLong(place);
        return std::nullopt;
    }
    return out;
}

void MenuItemTexts(std::vector<MenuItem>& items, const std::u16string& prefix, TextPlace& place,
                   Walk& walk, bool& changed) {
    for (size_t i = 0; i < items.size(); ++i) {
        MenuItem& item = items[i];
        const std::u16string position = prefix + platform::Utf8ToUtf16(std::to_string(i + 1));
        if (!item.text.empty()) {
            place.key = position;
            place.id = item.popup ? std::nullopt : std::optional<uint32_t>(item.id);
            place.text = item.text;
            if (std::optional<std::u16string> now = walk.Ask(place)) {
                item.text = std::move(*now);
                changed = true;
            }
        }
        MenuItemTexts(item.children, position + u".", place, walk, changed);
    }
}

std::optional<std::string> MenuTexts(std::string_view bytes, TextPlace place, Walk& walk) {
    std::optional<MenuTemplate> menu = ParseMenuTemplate(bytes);
    if (!menu) {
        return std::nullopt;
    }
    bool changed = false;
    MenuItemTexts(menu->items, u"", place, walk, changed);
    if (!changed) {
        return std::nullopt;
    }
    std::string out = WriteMenuTemplate(*menu);
    if (out.empty()) {
        walk.TooLong(place);
        return std::nullopt;
    }
    return out;
}

using ResourceTexts = std::optional<std::string> (*)(std::string_view, TextPlace, Walk&);

struct TextType {
    uint16_t type;
    TextKind kind;
    ResourceTexts texts;
};

const TextType kTextTypes[] = {
    {kMenuType, TextKind::kMenu, MenuTexts},
    {kDialogType, TextKind::kDialog, DialogTexts},
    {kStringType, TextKind::kString, StringTableTexts},
    {kVersionType, TextKind::kVersion, VersionTexts},
    {kManifestType, TextKind::kManifest, ManifestTexts},
};

}  // namespace

bool ChangeExecutableTexts(ResourceTree& tree, const TextChangeFn& change, TextPlace* tooLong) {
    Walk walk{change, tooLong};
    struct Rewrite {
        ResourceName type, name, language;
        std::string bytes;
    };
    std::vector<Rewrite> rewrites;
    // In the tree's order of types: ids ascending.
    std::vector<const TextType*> order;
    for (const auto& [type, node] : tree.types) {
        for (const TextType& t : kTextTypes) {
            if (!type.named && type.id == t.type) {
                for (const auto& [name, names] : node.names) {
                    for (const auto& [language, data] : names.languages) {
                        TextPlace place;
                        place.kind = t.kind;
                        place.resource = name;
                        place.language = language;
                        std::optional<std::string> bytes = t.texts(data.bytes, place, walk);
                        if (walk.failed) {
                            return false;
                        }
                        if (bytes) {
                            rewrites.push_back({type, name, language, std::move(*bytes)});
                        }
                    }
                }
            }
        }
    }
    for (Rewrite& r : rewrites) {
        tree.Set(r.type, r.name, r.language, std::move(r.bytes));
    }
    return true;
}

std::vector<TextPlace> ExecutableTexts(const ResourceTree& tree) {
    std::vector<TextPlace> places;
    ResourceTree copy = tree;  // nothing is changed: the walk only reads
    ChangeExecutableTexts(copy, [&](const TextPlace& place) -> std::optional<std::u16string> {
        places.push_back(place);
        return std::nullopt;
    });
    return places;
}

bool ReplaceExecutableTexts(ResourceTree& tree, const text::Replacements& replacements,
                            const std::function<bool(const TextPlace&)>& skip,
                            std::vector<TextChange>& changes, TextPlace* tooLong) {
    std::vector<TextChange> found;
    const bool ok = ChangeExecutableTexts(
        tree,
        [&](const TextPlace& place) -> std::optional<std::u16string> {
            if ((skip && skip(place)) || !replacements.AnyIn(place.text)) {
                return std::nullopt;
            }
            size_t count = 0;
            std::u16string now = replacements.Apply(place.text, &count);
            found.push_back({place, now, count});
            return now;
        },
        tooLong);
    if (ok) {
        changes = std::move(found);
    }
    return ok;
}

}  // namespace rebrand
