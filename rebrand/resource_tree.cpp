#include "rebrand/resource_tree.h"

#include <set>
#include <utility>

#include "rebrand/le_bytes.h"
#include "rebrand/pe_layout.h"

namespace rebrand {

void ResourceTree::Set(const ResourceName& type, const ResourceName& name,
                       const ResourceName& language, std::string bytes) {
    const ResourceData* old = Find(type, name, language);
    Set(type, name, language, std::move(bytes), old != nullptr ? old->codePage : 0);
}

void ResourceTree::Set(const ResourceName& type, const ResourceName& name,
                       const ResourceName& language, std::string bytes, uint32_t codePage) {
    auto owned = std::make_shared<const std::string>(std::move(bytes));
    ResourceData& data = types[type].names[name].languages[language];
    data.bytes = *owned;
    data.codePage = codePage;
    data.fileOffset = ResourceData::kNotInImage;
    data.owned = std::move(owned);
}

bool ResourceTree::Remove(const ResourceName& type, const ResourceName& name,
                          const ResourceName& language) {
    const auto t = types.find(type);
    if (t == types.end()) {
        return false;
    }
    const auto n = t->second.names.find(name);
    if (n == t->second.names.end() || n->second.languages.erase(language) == 0) {
        return false;
    }
    if (n->second.languages.empty()) {
        t->second.names.erase(n);
    }
    if (t->second.names.empty()) {
        types.erase(t);
    }
    return true;
}

bool ResourceTree::Remove(const ResourceName& type, const ResourceName& name) {
    const auto t = types.find(type);
    if (t == types.end() || t->second.names.erase(name) == 0) {
        return false;
    }
    if (t->second.names.empty()) {
        types.erase(t);
    }
    return true;
}

bool ResourceTree::Remove(const ResourceName& type) {
    return types.erase(type) != 0;
}

const ResourceData* ResourceTree::Find(const ResourceName& type, const ResourceName& name,
                                       const ResourceName& language) const {
    const auto t = types.find(type);
    if (t == types.end()) {
        return nullptr;
    }
    const auto n = t->second.names.find(name);
    if (n == t->second.names.end()) {
        return nullptr;
    }
    const auto l = n->second.languages.find(language);
    return l == n->second.languages.end() ? nullptr : &l->second;
}

size_t ResourceTree::Count() const {
    size_t count = 0;
    for (const auto& [type, typeNode] : types) {
        for (const auto& [name, nameNode] : typeNode.names) {
            count += nameNode.languages.size();
        }
    }
    return count;
}

namespace {

using namespace resource_format;
constexpr uint32_t kMaxEntries = 1000000;

class TreeReader {
public:
    TreeReader(std::string_view image, const PeLayout& layout, uint64_t root, uint64_t end)
        : image_(image), layout_(layout), root_(root), end_(end) {}

    bool Read(ResourceTree& tree) {
        std::vector<Entry> types;
        if (!Directory(0, tree.header, types)) {
            return false;
        }
        for (const Entry& t : types) {
            TypeNode& typeNode = tree.types[t.name];
            std::vector<Entry> names;
            if (!t.isDirectory || !Directory(t.target, typeNode.header, names)) {
                return false;
            }
            for (const Entry& n : names) {
                NameNode& nameNode = typeNode.names[n.name];
                std::vector<Entry> languages;
                if (!n.isDirectory || !Directory(n.target, nameNode.header, languages)) {
                    return false;
                }
                for (const Entry& l : languages) {
                    if (l.isDirectory || !Data(l.target, nameNode.languages[l.name])) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

private:
    struct Entry {
        ResourceName name;
        bool isDirectory = false;
        uint32_t target = 0;
    };

    bool Inside(uint64_t offset, uint64_t size) const { return root_ + offset + size <= end_; }

    bool Directory(uint64_t offset, DirectoryHeader& header, std::vector<Entry>& entries) {
        if (!Inside(offset, kDirectorySize)) {
            return false;
        }
        const uint64_t at = root_ + offset;
        header.characteristics = Le32(image_, at);
        header.timeDateStamp = Le32(image_, at + 4);
        header.majorVersion = Le16(image_, at + 8);
        header.minorVersion = Le16(image_, at + 10);
        const uint32_t count = uint32_t{Le16(image_, at + 12)} + Le16(image_, at + 14);
        if (!Inside(offset + kDirectorySize, uint64_t{count} * kEntrySize)) {
            return false;
        }
        visited_ += count;
        if (visited_ > kMaxEntries) {
            return false;
        }
        std::set<ResourceName> seen;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t entry = at + kDirectorySize + uint64_t{i} * kEntrySize;
            const uint32_t name = Le32(image_, entry);
            const uint32_t target = Le32(image_, entry + 4);
            Entry e;
            if ((name & kHighBit) != 0) {
                if (!NameString(name & ~kHighBit, e.name)) {
                    return false;
                }
            } else {
                e.name = ResourceName::Id(static_cast<uint16_t>(name & 0xFFFF));
            }
            if (!seen.insert(e.name).second) {
                return false;
            }
            e.isDirectory = (target & kHighBit) != 0;
            e.target = target & ~kHighBit;
            entries.push_back(std::move(e));
        }
        return true;
    }

    bool NameString(uint64_t offset, ResourceName& name) const {
        if (!Inside(offset, 2)) {
            return false;
        }
        const uint16_t length = Le16(image_, root_ + offset);
        if (!Inside(offset + 2, 2 * uint64_t{length})) {
            return false;
        }
        std::u16string text(length, u'\0');
        for (uint16_t i = 0; i < length; ++i) {
            text[i] = static_cast<char16_t>(Le16(image_, root_ + offset + 2 + 2 * uint64_t{i}));
        }
        name = ResourceName::Text(std::move(text));
        return true;
    }

    bool Data(uint64_t offset, ResourceData& data) const {
        if (!Inside(offset, kDataEntrySize)) {
            return false;
        }
        const uint32_t rva = Le32(image_, root_ + offset);
        const uint32_t size = Le32(image_, root_ + offset + 4);
        data.codePage = Le32(image_, root_ + offset + 8);
        if (size == 0) {
            data.bytes = {};
            data.fileOffset = ResourceData::kNotInImage;
            return true;
        }
        uint64_t at = 0;
        uint64_t end = 0;
        if (!layout_.MapRva(rva, at, end) || at + size > end || end > image_.size()) {
            return false;
        }
        data.bytes = image_.substr(at, size);
        data.fileOffset = at;
        return true;
    }

    std::string_view image_;
    const PeLayout& layout_;
    uint64_t root_;
    uint64_t end_;
    uint32_t visited_ = 0;
};

}  // namespace

PeStatus ReadResourceTree(std::string_view image, ResourceTree& tree) {
    PeLayout layout;
    const PeStatus status = ReadPeLayout(image, layout);
    if (status != PeStatus::kOk) {
        return status;
    }
    const DataDirectory resources = layout.Directory(kResourceDirectory);
    if (resources.rva == 0) {
        tree = ResourceTree{};
        return PeStatus::kOk;
    }
    uint64_t root = 0;
    uint64_t end = 0;
    if (!layout.MapRva(resources.rva, root, end)) {
        return PeStatus::kBadResources;
    }
    ResourceTree read;
    TreeReader reader(image, layout, root, end);
    if (!reader.Read(read)) {
        return PeStatus::kBadResources;
    }
    tree = std::move(read);
    return PeStatus::kOk;
}

}  // namespace rebrand
