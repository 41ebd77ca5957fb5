#include "rebrand/icon_group.h"

#include <algorithm>
#include <set>
#include <string>
#include <string_view>

#include "rebrand/le_bytes.h"

namespace rebrand {

namespace {

constexpr size_t kGroupHeaderSize = 6;
constexpr size_t kGroupEntrySize = 14;
constexpr size_t kIdInEntry = 12;
constexpr uint16_t kGroupTypeIcon = 1;
constexpr uint32_t kLastId = 0xFFFF;

// Adds the RT_ICON ids a group's data references to ids. Strictly read, data must be a
// whole group (false otherwise, ids untouched); leniently read, every complete entry the
// header counts is taken.
bool ReadGroupIds(std::string_view data, bool strict, std::set<uint16_t>& ids) {
    if (data.size() < kGroupHeaderSize) {
        return !strict;
    }
    const size_t count = Le16(data, 4);
    const size_t fit = (data.size() - kGroupHeaderSize) / kGroupEntrySize;
    if (strict && (Le16(data, 0) != 0 || Le16(data, 2) != kGroupTypeIcon || fit < count)) {
        return false;
    }
    for (size_t i = 0; i < std::min(count, fit); ++i) {
        ids.insert(Le16(data, kGroupHeaderSize + i * kGroupEntrySize + kIdInEntry));
    }
    return true;
}

std::string GroupData(const std::vector<IconImage>& images, const std::vector<uint16_t>& ids) {
    std::string data;
    AppendLe16(data, 0);
    AppendLe16(data, kGroupTypeIcon);
    AppendLe16(data, static_cast<uint16_t>(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        const IconDirEntry& entry = images[i].entry;
        data.push_back(static_cast<char>(entry.width));
        data.push_back(static_cast<char>(entry.height));
        data.push_back(static_cast<char>(entry.colorCount));
        data.push_back('\0');
        AppendLe16(data, entry.planes);
        AppendLe16(data, entry.bitCount);
        AppendLe32(data, static_cast<uint32_t>(images[i].bytes.size()));
        AppendLe16(data, ids[i]);
    }
    return data;
}

}  // namespace

std::optional<ResourceName> MainIconGroup(const ResourceTree& tree) {
    const auto groups = tree.types.find(ResourceName::Id(kGroupIconResourceType));
    if (groups == tree.types.end() || groups->second.names.empty()) {
        return std::nullopt;
    }
    return groups->second.names.begin()->first;
}

IconGroupStatus RebuildIconGroup(ResourceTree& tree, const ResourceName& group,
                                 const std::vector<IconImage>& images,
                                 const ResourceName& newGroupLanguage) {
    if (images.empty()) {
        return IconGroupStatus::kNoImages;
    }
    const ResourceName groupType = ResourceName::Id(kGroupIconResourceType);
    const ResourceName iconType = ResourceName::Id(kIconResourceType);
    std::vector<ResourceName> languages;
    std::set<uint16_t> oldIds;
    std::set<uint16_t> otherIds;
    const auto groups = tree.types.find(groupType);
    if (groups != tree.types.end()) {
        for (const auto& [name, node] : groups->second.names) {
            for (const auto& [language, data] : node.languages) {
                if (!(name == group)) {
                    ReadGroupIds(data.bytes, false, otherIds);
                } else if (ReadGroupIds(data.bytes, true, oldIds)) {
                    languages.push_back(language);
                } else {
                    return IconGroupStatus::kBadGroup;
                }
            }
        }
    }
    if (languages.empty()) {
        if (groups != tree.types.end()) {
            return IconGroupStatus::kNoSuchGroup;
        }
        languages.push_back(newGroupLanguage);
    }

    const auto removable = [&](uint16_t id) {
        return oldIds.count(id) != 0 && otherIds.count(id) == 0;
    };
    std::set<uint16_t> used = otherIds;
    const auto icons = tree.types.find(iconType);
    if (icons != tree.types.end()) {
        for (const auto& [name, node] : icons->second.names) {
            if (!name.named && !removable(name.id)) {
                used.insert(name.id);
            }
        }
    }
    std::vector<uint16_t> ids;
    for (uint32_t id = 1; id <= kLastId && ids.size() < images.size(); ++id) {
        if (used.count(static_cast<uint16_t>(id)) == 0) {
            ids.push_back(static_cast<uint16_t>(id));
        }
    }
    if (ids.size() < images.size()) {
        return IconGroupStatus::kNoFreeIds;
    }

    for (uint16_t id : oldIds) {
        if (removable(id)) {
            tree.Remove(iconType, ResourceName::Id(id));
        }
    }
    for (const ResourceName& language : languages) {
        for (size_t i = 0; i < images.size(); ++i) {
            tree.Set(iconType, ResourceName::Id(ids[i]), language, images[i].bytes);
        }
        tree.Set(groupType, group, language, GroupData(images, ids));
    }
    return IconGroupStatus::kOk;
}

}  // namespace rebrand
