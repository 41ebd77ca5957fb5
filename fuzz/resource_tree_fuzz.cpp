// The resource engine on arbitrary bytes: the tree read, one resource set and one deleted
// (both chosen by the input), the image written again. What it writes must read back as
// the changed tree, keep a valid checksum, and be written again unchanged.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <tuple>

#include "fuzz/fuzz_check.h"
#include "rebrand/pe_image.h"
#include "rebrand/resource_tree.h"
#include "rebrand/resource_writer.h"

namespace {

using rebrand::ResourceName;

using Flat = std::map<std::tuple<ResourceName, ResourceName, ResourceName>,
                      std::pair<std::string, uint32_t>>;

Flat Flatten(const rebrand::ResourceTree& tree) {
    Flat flat;
    for (const auto& [type, typeNode] : tree.types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            for (const auto& [language, data] : nameNode.languages) {
                flat[{type, name, language}] = {std::string(data.bytes), data.codePage};
            }
        }
    }
    return flat;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view image(reinterpret_cast<const char*>(data), size);
    rebrand::ResourceTree tree;
    const rebrand::PeStatus read = rebrand::ReadResourceTree(image, tree);
    if (read != rebrand::PeStatus::kOk) {
        fuzz::Require(tree.Count() == 0, "a refused tree leaves the result alone");
        return 0;
    }
    const uint8_t pick = size > 0 ? data[size - 1] : 0;
    tree.Set(ResourceName::Id(pick % 3 == 0 ? 6 : 3), ResourceName::Id(pick),
             ResourceName::Id(2052), std::string(pick * 37u, 'x'));
    // A type read from an image may hold no names at all.
    if (!tree.types.empty() && !tree.types.begin()->second.names.empty() && (pick & 1) != 0) {
        const auto& type = tree.types.begin()->first;
        const auto& name = tree.types.begin()->second.names.begin()->first;
        tree.Remove(ResourceName(type), ResourceName(name));
    }
    rebrand::ImagePlan plan;
    if (rebrand::PlanResourceWrite(image, tree, plan) != rebrand::ResourceWriteStatus::kOk) {
        return 0;
    }
    const std::string written = rebrand::BuildImage(image, plan);
    fuzz::Require(written.size() == plan.Size(), "the plan's size is the image's");
    rebrand::ResourceTree back;
    fuzz::Require(rebrand::ReadResourceTree(written, back) == rebrand::PeStatus::kOk,
                  "the written tree reads back");
    fuzz::Require(rebrand::CheckResourceDirectory(written) == rebrand::PeStatus::kOk,
                  "the written tree passes the check");
    fuzz::Require(Flatten(back) == Flatten(tree), "the written tree is the changed tree");
    rebrand::PeHeaders h;
    fuzz::Require(rebrand::ParsePeHeaders(written, h) == rebrand::PeStatus::kOk,
                  "the image parses");
    fuzz::Require(
        h.checksum == 0 || h.checksum == rebrand::ComputePeChecksum(written, h.checksumOffset),
        "a checksum is the file's");
    rebrand::ImagePlan again;
    fuzz::Require(
        rebrand::PlanResourceWrite(written, back, again) == rebrand::ResourceWriteStatus::kOk,
        "what was written can be written again");
    fuzz::Require(rebrand::BuildImage(written, again) == written,
                  "writing it again changes nothing");
    return 0;
}
