#include "rebrand/string_block.h"

namespace rebrand {

namespace {

const char16_t kOleMessage[] = u"OLE 初始化失败。请确保 OLE 库是正确的版本。";
const char16_t kFirmwareLabel[] = u"USB固件类型";
const char16_t kDefaultNewDocName[] = u"ZovIDE";

std::u16string DefaultProductName(Edition edition) {
    switch (edition) {
        case Edition::kStandard:
            return u"ZuvEra";
        case Edition::kV62:
            return u"WumCAD";
        default:
            return u"ZezEviZuzere";
    }
}

BlockData MakeBlockData(const StringBlock& entries) {
    std::optional<std::string> bytes = SerializeStringBlock(entries);
    if (!bytes) {
        return {BlockStatus::kTooLong, {}};
    }
    return {BlockStatus::kWrite, std::move(*bytes)};
}

void AppendUnit(std::string& out, char16_t unit) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
}

}  // namespace

std::optional<std::string> SerializeStringBlock(const StringBlock& entries) {
    size_t units = entries.size();
    for (const std::u16string& entry : entries) {
        if (entry.size() > kMaxStringUnits) {
            return std::nullopt;
        }
        units += entry.size();
    }
    std::string out;
    out.reserve(units * 2);
    for (const std::u16string& entry : entries) {
        AppendUnit(out, static_cast<char16_t>(entry.size()));
        for (char16_t unit : entry) {
            AppendUnit(out, unit);
        }
    }
    return out;
}

std::optional<StringBlock> ParseStringBlock(std::string_view data) {
    StringBlock entries;
    size_t pos = 0;
    auto readUnit = [&data, &pos]() {
        const auto lo = static_cast<unsigned char>(data[pos]);
        const auto hi = static_cast<unsigned char>(data[pos + 1]);
        pos += 2;
        return static_cast<char16_t>(lo | (hi << 8));
    };
    for (std::u16string& entry : entries) {
        if (data.size() - pos < 2) {
            return std::nullopt;
        }
        const size_t count = readUnit();
        if ((data.size() - pos) / 2 < count) {
            return std::nullopt;
        }
        entry.resize(count);
        for (char16_t& unit : entry) {
            unit = readUnit();
        }
    }
    return entries;
}

StringBlock DefaultDocStringBlock(Edition edition) {
    const std::u16string defaultCaption = install::IsV62(edition) ? u"WumCAD" : u"ZovIDE";
    StringBlock block;
    block[5] = kOleMessage;  // id 101
    block[kNewDocEntry] = kDefaultNewDocName;
    block[7] = kFirmwareLabel;  // id 103
    block[kProductEntry] = DefaultProductName(edition);
    block[kTemplateEntry] = DocTemplateFromCaption(defaultCaption, edition);
    return block;
}

std::u16string DocTemplateFromCaption(const std::u16string& caption, Edition edition) {
    const std::u16string ext = install::IsV62(edition) ? u".wmd" : u".vlqx";
    return u"\n" + caption + u"\n" + caption + u"\n" + caption + u" Files (*" + ext + u")\n" + ext +
           u"\n" + caption + u".Document\n" + caption + u".Document";
}

BlockData BuildDocStringBlock(const std::u16string& caption, const std::u16string& newDocName,
                              Edition edition, const StringBlock* existing) {
    if (caption.empty() && newDocName.empty()) {
        return {};
    }
    // The template holds the caption five times; refuse before building a huge string.
    if (caption.size() > kMaxStringUnits) {
        return {BlockStatus::kTooLong, {}};
    }
    const StringBlock defaults = DefaultDocStringBlock(edition);
    StringBlock block = existing != nullptr ? *existing : defaults;
    block[kNewDocEntry] = newDocName.empty() ? defaults[kNewDocEntry] : newDocName;
    block[kProductEntry] = caption.empty() ? defaults[kProductEntry] : caption;
    block[kTemplateEntry] =
        caption.empty() ? defaults[kTemplateEntry] : DocTemplateFromCaption(caption, edition);
    return MakeBlockData(block);
}

BlockData BuildTitleStringBlock(const std::u16string& caption, const StringBlock* existing) {
    if (caption.empty()) {
        return {};
    }
    StringBlock block = existing != nullptr ? *existing : StringBlock{};
    block[0] = caption;
    return MakeBlockData(block);
}

}  // namespace rebrand
