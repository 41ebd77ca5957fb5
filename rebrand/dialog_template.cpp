#include "rebrand/dialog_template.h"

#include <utility>

namespace rebrand {

namespace {

constexpr uint16_t kMaxWord = 0xFFFF;

bool ReadFont(TemplateReader& in, bool extended, DialogFont& font) {
    if (!in.U16(font.pointSize)) {
        return false;
    }
    if (extended && !(in.U16(font.weight) && in.U8(font.italic) && in.U8(font.charset))) {
        return false;
    }
    return in.Text(font.typeface);
}

bool ReadItem(TemplateReader& in, bool extended, DialogItem& item) {
    if (!in.Align4(item.padding)) {
        return false;
    }
    bool ok = false;
    if (extended) {
        ok = in.U32(item.helpId) && in.U32(item.exStyle) && in.U32(item.style);
    } else {
        ok = in.U32(item.style) && in.U32(item.exStyle);
    }
    ok = ok && in.I16(item.x) && in.I16(item.y) && in.I16(item.cx) && in.I16(item.cy);
    if (extended) {
        ok = ok && in.U32(item.id);
    } else {
        uint16_t id = 0;
        ok = ok && in.U16(id);
        item.id = id;
    }
    NameOrOrdinal title;
    uint16_t dataSize = 0;
    if (!(ok && in.Name(item.windowClass) && in.Name(title) && in.U16(dataSize) &&
          in.Bytes(dataSize, item.creationData))) {
        return false;
    }
    if (title.isOrdinal) {
        item.titleOrdinal = title.ordinal;
    } else {
        item.title = std::move(title.name);
    }
    return true;
}

bool FitsWord(size_t value) {
    return value <= kMaxWord;
}

bool ItemWritable(const DialogItem& item, bool extended) {
    return FitsWord(item.creationData.size()) && (extended || FitsWord(item.id)) &&
           (!item.title || NameTextFits(*item.title)) &&
           (item.windowClass.isOrdinal || NameTextFits(item.windowClass.name));
}

bool Writable(const DialogTemplate& dialog) {
    if (!FitsWord(dialog.items.size()) || (dialog.caption && !PlainTextFits(*dialog.caption)) ||
        !PlainTextFits(dialog.font.typeface) ||
        (!dialog.menu.isOrdinal && !NameTextFits(dialog.menu.name)) ||
        (!dialog.windowClass.isOrdinal && !NameTextFits(dialog.windowClass.name))) {
        return false;
    }
    for (const DialogItem& item : dialog.items) {
        if (!ItemWritable(item, dialog.extended)) {
            return false;
        }
    }
    return true;
}

void AppendBox(std::string& out, int16_t x, int16_t y, int16_t cx, int16_t cy) {
    for (int16_t value : {x, y, cx, cy}) {
        AppendLe16(out, static_cast<uint16_t>(value));
    }
}

void AppendItem(std::string& out, const DialogItem& item, bool extended) {
    AppendPadding(out, item.padding);
    if (extended) {
        AppendLe32(out, item.helpId);
        AppendLe32(out, item.exStyle);
        AppendLe32(out, item.style);
    } else {
        AppendLe32(out, item.style);
        AppendLe32(out, item.exStyle);
    }
    AppendBox(out, item.x, item.y, item.cx, item.cy);
    if (extended) {
        AppendLe32(out, item.id);
    } else {
        AppendLe16(out, static_cast<uint16_t>(item.id));
    }
    AppendName(out, item.windowClass);
    if (item.title) {
        AppendText(out, *item.title);
    } else {
        AppendName(out, NameOrOrdinal{true, item.titleOrdinal, {}});
    }
    AppendLe16(out, static_cast<uint16_t>(item.creationData.size()));
    out += item.creationData;
}

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(std::string_view bytes) {
    TemplateReader in(bytes);
    DialogTemplate dialog;
    dialog.extended = bytes.size() >= 4 && Le16(bytes, 2) == kOrdinalMark;
    uint16_t signature = 0;
    uint16_t count = 0;
    bool ok = false;
    if (dialog.extended) {
        ok = in.U16(dialog.version) && in.U16(signature) && in.U32(dialog.helpId) &&
             in.U32(dialog.exStyle) && in.U32(dialog.style);
    } else {
        ok = in.U32(dialog.style) && in.U32(dialog.exStyle);
    }
    std::u16string caption;
    ok = ok && in.U16(count) && in.I16(dialog.x) && in.I16(dialog.y) && in.I16(dialog.cx) &&
         in.I16(dialog.cy) && in.Name(dialog.menu) && in.Name(dialog.windowClass) &&
         in.Text(caption);
    if (ok && (dialog.style & kDialogSetFont) != 0) {
        ok = ReadFont(in, dialog.extended, dialog.font);
    }
    if (!ok) {
        return std::nullopt;
    }
    dialog.caption = std::move(caption);
    // No reserve from the count: it is only believed as far as the items are there.
    for (uint16_t i = 0; i < count; ++i) {
        DialogItem item;
        if (!ReadItem(in, dialog.extended, item)) {
            return std::nullopt;
        }
        dialog.items.push_back(std::move(item));
    }
    dialog.trailing.assign(in.Rest());
    return dialog;
}

std::string WriteDialogTemplate(const DialogTemplate& dialog) {
    if (!Writable(dialog)) {
        return {};
    }
    std::string out;
    const auto count = static_cast<uint16_t>(dialog.items.size());
    if (dialog.extended) {
        AppendLe16(out, dialog.version);
        AppendLe16(out, kOrdinalMark);
        AppendLe32(out, dialog.helpId);
        AppendLe32(out, dialog.exStyle);
        AppendLe32(out, dialog.style);
    } else {
        AppendLe32(out, dialog.style);
        AppendLe32(out, dialog.exStyle);
    }
    AppendLe16(out, count);
    AppendBox(out, dialog.x, dialog.y, dialog.cx, dialog.cy);
    AppendName(out, dialog.menu);
    AppendName(out, dialog.windowClass);
    AppendText(out, dialog.caption.value_or(std::u16string()));
    if ((dialog.style & kDialogSetFont) != 0) {
        AppendLe16(out, dialog.font.pointSize);
        if (dialog.extended) {
            AppendLe16(out, dialog.font.weight);
            out.push_back(static_cast<char>(dialog.font.italic));
            out.push_back(static_cast<char>(dialog.font.charset));
        }
        AppendText(out, dialog.font.typeface);
    }
    for (const DialogItem& item : dialog.items) {
        AppendItem(out, item, dialog.extended);
    }
    out += dialog.trailing;
    return out;
}

}  // namespace rebrand
