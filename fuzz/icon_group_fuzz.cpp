// An icon group rebuilt in a tree whose group resources are arbitrary bytes.
//
// Input: byte 0 says which of the images 1..8 exist (one bit each) and how many new images
// there are (1 + byte 0 % 3); byte 1 is the length of the rebuilt group's data (group 1,
// language 2052), which follows; the rest is another group's data (group 2, language 1033).
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "rebrand/icon_group.h"
#include "rebrand/le_bytes.h"

namespace {

using rebrand::ResourceName;
using Key = std::tuple<uint16_t, uint16_t, uint16_t>;

std::map<Key, std::string> Snapshot(const rebrand::ResourceTree& tree) {
    std::map<Key, std::string> all;
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& [language, data] : nameNode.languages) {
                all[{type.id, name.id, language.id}] = std::string(data.bytes);
            }
        }
    }
    return all;
}

// The ids the complete entries of a group's data reference, whatever its header says else.
std::set<uint16_t> Referenced(std::string_view group) {
    std::set<uint16_t> ids;
    for (size_t i = 0; group.size() >= 6 && i < rebrand::Le16(group, 4); ++i) {
        if (6 + 14 * (i + 1) <= group.size()) {
            ids.insert(rebrand::Le16(group, 6 + 14 * i + 12));
        }
    }
    return ids;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    const std::string_view rebuilt = rest.substr(0, data[1]);
    const std::string_view other = rest.substr(rebuilt.size());
    const ResourceName icon = ResourceName::Id(rebrand::kIconResourceType);
    const ResourceName group = ResourceName::Id(rebrand::kGroupIconResourceType);
    const ResourceName chinese = ResourceName::Id(2052);
    rebrand::ResourceTree tree;
    tree.Set(group, ResourceName::Id(1), chinese, std::string(rebuilt));
    tree.Set(group, ResourceName::Id(2), ResourceName::Id(1033), std::string(other));
    for (uint16_t id = 1; id <= 8; ++id) {
        if ((data[0] >> (id - 1)) & 1) {
            tree.Set(icon, ResourceName::Id(id), chinese, "old " + std::to_string(id));
        }
    }
    std::vector<rebrand::IconImage> images(1 + data[0] % 3);
    for (size_t i = 0; i < images.size(); ++i) {
        images[i].entry.width = static_cast<uint8_t>(16 * (i + 1));
        images[i].bytes = "\x89PNG\r\n\x1A\n" + std::to_string(i);
    }
    const auto before = Snapshot(tree);

    const rebrand::IconGroupStatus status =
        rebrand::RebuildIconGroup(tree, ResourceName::Id(1), images, chinese);
    if (status != rebrand::IconGroupStatus::kOk) {
        fuzz::Require(status == rebrand::IconGroupStatus::kBadGroup, "only the group is bad");
        fuzz::Require(Snapshot(tree) == before, "a refused rebuild leaves the tree alone");
        return 0;
    }
    fuzz::Require(rebrand::MainIconGroup(tree) == ResourceName::Id(1), "the main group stays");
    const std::set<uint16_t> kept = Referenced(other);
    const std::set<uint16_t> old = Referenced(rebuilt);
    const std::string_view groupData = tree.Find(group, ResourceName::Id(1), chinese)->bytes;
    fuzz::Require(
        groupData.size() == 6 + 14 * images.size() && rebrand::Le16(groupData, 4) == images.size(),
        "one entry per image");
    auto after = Snapshot(tree);
    std::set<uint16_t> newIds;
    for (size_t i = 0; i < images.size(); ++i) {
        const uint16_t id = rebrand::Le16(groupData, 6 + 14 * i + 12);
        newIds.insert(id);
        fuzz::Require(kept.count(id) == 0, "a new id is no other group's");
        fuzz::Require(old.count(id) != 0 || before.count({3, id, 2052}) == 0,
                      "a new id was free or the old group's");
        fuzz::Require(after[{3, id, 2052}] == images[i].bytes, "the entry's id holds its image");
        fuzz::Require(static_cast<uint8_t>(groupData[6 + 14 * i]) == images[i].entry.width &&
                          rebrand::Le32(groupData, 6 + 14 * i + 8) == images[i].bytes.size(),
                      "the entry describes its image");
        after.erase({3, id, 2052});
    }
    fuzz::Require(newIds.size() == images.size(), "the ids differ");
    after.erase({14, 1, 2052});
    auto expected = before;
    expected.erase({14, 1, 2052});
    for (uint16_t id : old) {
        if (kept.count(id) == 0) {
            expected.erase({3, id, 2052});
        }
    }
    fuzz::Require(after == expected, "only the old group's own images go, all else stays");
    return 0;
}
