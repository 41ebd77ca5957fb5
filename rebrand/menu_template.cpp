#include "rebrand/menu_template.h"

#include <utility>

#include "rebrand/template_bytes.h"

namespace rebrand {

namespace {

constexpr uint16_t kStandardVersion = 0;
constexpr uint16_t kExtendedVersion = 1;
constexpr uint16_t kStandardPopup = 0x10;
constexpr uint16_t kExtendedPopup = 0x01;
constexpr uint16_t kLastItem = 0x80;
constexpr uint16_t kExtendedOffset = 4;  // over the menu's help id

uint16_t PopupFlag(bool extended) {
    return extended ? kExtendedPopup : kStandardPopup;
}

class MenuReader {
public:
    MenuReader(TemplateReader& in, bool extended) : in_(in), extended_(extended) {}

    // The items of one level, up to and including the one flagged as its last.
    bool Level(size_t depth, std::vector<MenuItem>& items) {
        if (depth > kMaxMenuDepth) {
            return false;
        }
        for (;;) {
            MenuItem item;
            if (!Item(item)) {
                return false;
            }
            if (item.popup && !Level(depth + 1, item.children)) {
                return false;
            }
            const bool last = (item.flags & kLastItem) != 0;
            items.push_back(std::move(item));
            if (last) {
                return true;
            }
        }
    }

private:
    bool Item(MenuItem& item) {
        if (!extended_) {
            if (!in_.U16(item.flags)) {
                return false;
            }
            item.popup = (item.flags & kStandardPopup) != 0;
            uint16_t id = 0;
            if (!item.popup && !in_.U16(id)) {
                return false;
            }
            item.id = id;
            return in_.Text(item.text);
        }
        if (!first_ && !in_.Align4(item.padding)) {
            return false;
        }
        first_ = false;
        if (!(in_.U32(item.type) && in_.U32(item.state) && in_.U32(item.id) &&
              in_.U16(item.flags) && in_.Text(item.text))) {
            return false;
        }
        item.popup = (item.flags & kExtendedPopup) != 0;
        return !item.popup || (in_.Align4(item.helpIdPadding) && in_.U32(item.helpId));
    }

    TemplateReader& in_;
    bool extended_;
    bool first_ = true;
};

class MenuWriter {
public:
    MenuWriter(std::string& out, bool extended) : out_(out), extended_(extended) {}

    bool Level(size_t depth, const std::vector<MenuItem>& items) {
        if (depth > kMaxMenuDepth) {
            return false;
        }
        for (size_t i = 0; i < items.size(); ++i) {
            if (!Item(depth, items[i], i + 1 == items.size())) {
                return false;
            }
        }
        return true;
    }

private:
    bool Item(size_t depth, const MenuItem& item, bool last) {
        if (!PlainTextFits(item.text) || (item.popup && item.children.empty()) ||
            (!extended_ && !item.popup && item.id > 0xFFFF)) {
            return false;
        }
        const uint16_t popupFlag = PopupFlag(extended_);
        uint16_t flags = item.flags & ~(popupFlag | kLastItem);
        flags |= (item.popup ? popupFlag : 0) | (last ? kLastItem : 0);
        if (extended_) {
            if (!first_) {
                AppendPadding(out_, item.padding);
            }
            first_ = false;
            AppendLe32(out_, item.type);
            AppendLe32(out_, item.state);
            AppendLe32(out_, item.id);
            AppendLe16(out_, flags);
            AppendText(out_, item.text);
            if (item.popup) {
                AppendPadding(out_, item.helpIdPadding);
                AppendLe32(out_, item.helpId);
            }
        } else {
            AppendLe16(out_, flags);
            if (!item.popup) {
                AppendLe16(out_, static_cast<uint16_t>(item.id));
            }
            AppendText(out_, item.text);
        }
        return !item.popup || Level(depth + 1, item.children);
    }

    std::string& out_;
    bool extended_;
    bool first_ = true;
};

std::string DefaultHeader(bool extended) {
    std::string header;
    AppendLe16(header, extended ? kExtendedVersion : kStandardVersion);
    AppendLe16(header, extended ? kExtendedOffset : 0);
    if (extended) {
        AppendLe32(header, 0);  // the menu's help id
    }
    return header;
}

bool HeaderFits(const std::string& header, bool extended) {
    return header.size() >= 4 &&
           Le16(header, 0) == (extended ? kExtendedVersion : kStandardVersion) &&
           header.size() == 4u + Le16(header, 2);
}

}  // namespace

std::optional<MenuTemplate> ParseMenuTemplate(std::string_view bytes) {
    TemplateReader in(bytes);
    uint16_t version = 0;
    uint16_t offset = 0;
    if (!in.U16(version) || !in.U16(offset) ||
        (version != kStandardVersion && version != kExtendedVersion) || offset > bytes.size() - 4) {
        return std::nullopt;
    }
    MenuTemplate menu;
    menu.extended = version == kExtendedVersion;
    in = TemplateReader(bytes);
    in.Bytes(4u + offset, menu.header);
    if (!in.AtEnd() && !MenuReader(in, menu.extended).Level(1, menu.items)) {
        return std::nullopt;
    }
    menu.trailing.assign(in.Rest());
    return menu;
}

std::string WriteMenuTemplate(const MenuTemplate& menu) {
    std::string out = menu.header.empty() ? DefaultHeader(menu.extended) : menu.header;
    if (!HeaderFits(out, menu.extended) || !MenuWriter(out, menu.extended).Level(1, menu.items)) {
        return {};
    }
    out += menu.trailing;
    return out;
}

}  // namespace rebrand
