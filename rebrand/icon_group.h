// An executable's icon group rebuilt from every image of an .ico file, in the resource tree.
//
// An icon is a group resource (RT_GROUP_ICON) that lists its images, each of them an
// RT_ICON resource of its own. The group's data is a 6-byte header (reserved 0, type 1,
// entry count) followed by one 14-byte entry per image: width, height, colour count,
// reserved (one byte each), planes, bit count (16 bits each), the image's size in bytes
// (32 bits), and the id of its RT_ICON resource (16 bits). Width and height 0 mean 256.
// Bytes after the last entry are ignored (resource data may be padded).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "rebrand/icon_file.h"
#include "rebrand/resource_tree.h"

namespace rebrand {

constexpr uint16_t kIconResourceType = 3;        // RT_ICON
constexpr uint16_t kGroupIconResourceType = 14;  // RT_GROUP_ICON

// The group Explorer shows for the executable: the first RT_GROUP_ICON name in the tree's
// order (named groups first, then ids ascending). None when the tree has no group.
std::optional<ResourceName> MainIconGroup(const ResourceTree& tree);

enum class IconGroupStatus {
    kOk,
    kNoSuchGroup,  // the group is not in the tree, which has other icon groups
    kNoImages,     // no image was given
    kNoFreeIds,    // fewer RT_ICON ids (1..65535) are free than there are images
    kBadGroup,     // one of the group's languages is no group resource: shorter than its
                   // header, reserved not 0, type not 1, or fewer bytes than its entries
};

// Rewrites group with one entry per image, in the order given: width, height, colour
// count, planes and bit count from the image's .ico entry, its size from its bytes. Every
// language the group exists in gets the same entries, and each image is stored, unchanged
// (bitmap or PNG stream), as an RT_ICON resource under the same id in each of those
// languages. The ids are the lowest ones that, once the old images are gone, neither an
// RT_ICON resource (of any language, a named one aside) nor an entry of another group uses.
// The RT_ICON resources the group referenced in any of its languages are removed in every
// language, except those another group references; every other resource stays as it is.
// Other groups are read leniently: each complete entry their header counts is a reference.
//
// When group is not in the tree and the tree has no icon group at all, the group is created
// under that name in newGroupLanguage, its images in the same language. On any status but
// kOk the tree is left unchanged: a malformed group is refused rather than guessed at, as
// its images could not be told apart from other resources.
IconGroupStatus RebuildIconGroup(ResourceTree& tree, const ResourceName& group,
                                 const std::vector<IconImage>& images,
                                 const ResourceName& newGroupLanguage);

}  // namespace rebrand
