#include "rebrand/version_resource.h"

#include <algorithm>
#include <utility>

#include "rebrand/le_bytes.h"
#include "text/ascii_case.h"

namespace rebrand {

namespace {

constexpr size_t kNodeFields = 6;  // wLength, wValueLength, wType
constexpr size_t kMaxNodeLength = 0xFFFF;
constexpr int kMaxDepth = 8;  // levels below the root
constexpr uint16_t kTextType = 1;
constexpr uint16_t kBinaryType = 0;
constexpr char16_t kRootKey[] = u"VS_VERSION_INFO";
constexpr char16_t kStringsKey[] = u"StringFileInfo";
constexpr char16_t kVarKey[] = u"VarFileInfo";
constexpr char16_t kTranslationKey[] = u"Translation";
constexpr char16_t kNewTableKey[] = u"080404b0";

// VS_FIXEDFILEINFO: the fields written here, as byte offsets.
constexpr size_t kStrucVersionAt = 4;
constexpr size_t kFileVersionAt = 8;  // dwFileVersionMS, then dwFileVersionLS
constexpr size_t kProductVersionAt = 16;
constexpr size_t kFlagsMaskAt = 24;
constexpr size_t kFileOsAt = 32;
constexpr size_t kFileTypeAt = 36;

size_t Align4(size_t n) {
    return (n + 3) & ~size_t{3};
}

// How far a node's value reaches.
enum class ValueRule {
    kBytes,       // wValueLength bytes, which must lie inside the node (the fixed info)
    kByType,      // wValueLength characters for text, bytes for binary, cut at the node's end
    kRestIsText,  // everything after the key (a string)
};

// Offsets from the start of the data, all within [start, end] of the node.
struct NodeLayout {
    std::u16string key;
    size_t valueStart = 0;
    size_t valueEnd = 0;
    size_t childrenStart = 0;  // the node's end when nothing fits after the value
    bool valueCut = false;     // wValueLength reaches past the node's end
};

// The node in data[start, end), where end is start + its wLength and start is 4-aligned.
std::optional<NodeLayout> ReadLayout(std::string_view data, size_t start, size_t end,
                                     ValueRule rule) {
    NodeLayout n;
    size_t pos = start + kNodeFields;
    for (;; pos += 2) {
        if (end - pos < 2) {
            return std::nullopt;
        }
        const char16_t unit = Le16(data, pos);
        if (unit == 0) {
            break;
        }
        n.key.push_back(unit);
    }
    n.valueStart = std::min(Align4(pos + 2), end);
    const size_t room = end - n.valueStart;
    const size_t valueLength = Le16(data, start + 2);
    switch (rule) {
        case ValueRule::kBytes:
            if (valueLength > room) {
                return std::nullopt;
            }
            n.valueEnd = n.valueStart + valueLength;
            break;
        case ValueRule::kByType: {
            const bool text = Le16(data, start + 4) == kTextType;
            const size_t valueBytes = text ? 2 * valueLength : valueLength;
            n.valueCut = valueBytes > room;
            n.valueEnd = n.valueStart + std::min(room, valueBytes);
            break;
        }
        case ValueRule::kRestIsText:
            n.valueEnd = end;
            break;
    }
    n.childrenStart = std::min(Align4(n.valueEnd), end);
    return n;
}

std::optional<NodeLayout> ReadLayout(std::string_view node, ValueRule rule) {
    return ReadLayout(node, 0, node.size(), rule);
}

std::u16string TextUpToNul(std::string_view data, size_t start, size_t end) {
    std::u16string text;
    for (size_t pos = start; end - pos >= 2; pos += 2) {
        const char16_t unit = Le16(data, pos);
        if (unit == 0) {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

// Calls visit(start, end, next) for each child in data[begin, end): the child is
// data[start, end) and the next one starts at next. False when a child does not fit or
// visit returns false.
template <typename Visit>
bool ForEachChild(std::string_view data, size_t begin, size_t end, Visit visit) {
    for (size_t pos = Align4(begin); pos < end;) {
        if (end - pos < kNodeFields) {
            return false;
        }
        const size_t length = Le16(data, pos);
        if (length < kNodeFields || length > end - pos) {
            return false;
        }
        const size_t next = std::min(Align4(pos + length), end);
        if (!visit(pos, pos + length, next)) {
            return false;
        }
        pos = next;
    }
    return true;
}

VersionNodeBytes Kept(std::string_view data, size_t start, size_t end, size_t next,
                      size_t childrenStart) {
    VersionNodeBytes kept;
    kept.node = std::string(data.substr(start, end - start));
    kept.padding = std::string(data.substr(end, next - end));
    kept.headerSize = childrenStart - start;
    return kept;
}

// A node nothing is read from: it has to be well formed down to its last descendant.
bool CheckNode(std::string_view data, size_t start, size_t end, int depth) {
    if (depth > kMaxDepth) {
        return false;
    }
    const std::optional<NodeLayout> n = ReadLayout(data, start, end, ValueRule::kByType);
    return n && ForEachChild(data, n->childrenStart, end, [&](size_t s, size_t e, size_t) {
               return CheckNode(data, s, e, depth + 1);
           });
}

bool ReadTable(std::string_view data, size_t start, size_t end, size_t next,
               std::vector<VersionTable>& tables) {
    const std::optional<NodeLayout> n = ReadLayout(data, start, end, ValueRule::kByType);
    if (!n) {
        return false;
    }
    VersionTable table;
    table.key = n->key;
    table.read = Kept(data, start, end, next, n->childrenStart);
    const bool ok = ForEachChild(data, n->childrenStart, end, [&](size_t s, size_t e, size_t x) {
        const std::optional<NodeLayout> str = ReadLayout(data, s, e, ValueRule::kRestIsText);
        if (!str) {
            return false;
        }
        table.strings.push_back(
            {str->key, TextUpToNul(data, str->valueStart, e), Kept(data, s, e, x, e)});
        return true;
    });
    tables.push_back(std::move(table));
    return ok;
}

// Writes nodes to one buffer, so that alignment counts from the start of the resource.
class Writer {
public:
    std::string out;
    bool tooLong = false;

    void Align() { out.resize(Align4(out.size()), '\0'); }

    // A node's fields, key and value; its wLength is set by End.
    size_t BeginNew(std::u16string_view key, uint16_t type, size_t valueLength,
                    std::string_view value) {
        Align();
        const size_t start = out.size();
        tooLong = tooLong || valueLength > kMaxNodeLength;
        AppendLe16(out, 0);
        AppendLe16(out, static_cast<uint16_t>(valueLength));
        AppendLe16(out, type);
        for (char16_t c : key.substr(0, key.find(u'\0'))) {
            AppendLe16(out, c);
        }
        AppendLe16(out, 0);
        Align();
        out += value;
        return start;
    }

    // A node's bytes before its first child, as read.
    size_t BeginKept(const VersionNodeBytes& read) {
        Align();
        const size_t start = out.size();
        out.append(read.node, 0, read.headerSize);
        return start;
    }

    // A node kept whole, with the padding that followed it.
    void Kept(const VersionNodeBytes& read) {
        Align();
        out += read.node;
        out += read.padding;
    }

    // Ends the node begun at start: a node that came out as it was read keeps its wLength
    // and gets its padding back; any other gets its actual length.
    void End(size_t start, const VersionNodeBytes& read) {
        if (std::string_view(out).substr(start) == read.node) {
            out += read.padding;
            return;
        }
        const size_t length = out.size() - start;
        tooLong = tooLong || length > kMaxNodeLength;
        PutLe16(out, start, static_cast<uint16_t>(length));
    }
};

std::string TextValue(std::u16string_view text) {
    std::string value;
    for (char16_t c : text) {
        AppendLe16(value, c);
    }
    AppendLe16(value, 0);
    return value;
}

void WriteString(Writer& w, const VersionString& s) {
    if (!s.read.node.empty()) {
        const std::optional<NodeLayout> n = ReadLayout(s.read.node, ValueRule::kRestIsText);
        if (n && n->key == s.key &&
            TextUpToNul(s.read.node, n->valueStart, n->valueEnd) == s.value) {
            w.Kept(s.read);
            return;
        }
    }
    // Keys and values are written up to their first NUL, so that they read back as they were set.
    const std::u16string_view value = std::u16string_view(s.value).substr(0, s.value.find(u'\0'));
    const size_t start = w.BeginNew(s.key, kTextType, value.size() + 1, TextValue(value));
    w.End(start, s.read);
}

// Begins a table or "StringFileInfo": with its bytes as read when it was read with this key
// and its value leaves room for the children to come, else anew.
size_t BeginParent(Writer& w, const VersionNodeBytes& read, std::u16string_view key,
                   bool withChildren) {
    if (!read.node.empty()) {
        const std::optional<NodeLayout> n = ReadLayout(read.node, ValueRule::kByType);
        if (n && n->key == key && !(n->valueCut && withChildren)) {
            return w.BeginKept(read);
        }
    }
    return w.BeginNew(key, kTextType, 0, "");
}

void WriteTable(Writer& w, const VersionTable& table) {
    const size_t start = BeginParent(w, table.read, table.key, !table.strings.empty());
    for (const VersionString& s : table.strings) {
        WriteString(w, s);
    }
    w.End(start, table.read);
}

void WriteStrings(Writer& w, const VersionResource& r) {
    const size_t start = BeginParent(w, r.stringsRead, kStringsKey, !r.tables.empty());
    for (const VersionTable& table : r.tables) {
        WriteTable(w, table);
    }
    w.End(start, r.stringsRead);
}

std::string NewFixedInfo() {
    std::string fixed(kFixedFileInfoSize, '\0');
    PutLe32(fixed, 0, kFixedFileInfoSignature);
    PutLe32(fixed, kStrucVersionAt, 0x00010000);
    PutLe32(fixed, kFlagsMaskAt, 0x3F);
    PutLe32(fixed, kFileOsAt, 0x00040004);  // VOS_NT_WINDOWS32
    PutLe32(fixed, kFileTypeAt, 1);         // VFT_APP
    return fixed;
}

bool IsFixedInfo(std::string_view fixed) {
    return fixed.size() >= kFixedFileInfoSize && Le32(fixed, 0) == kFixedFileInfoSignature;
}

std::optional<std::array<uint16_t, 4>> VersionAt(const VersionResource& r, size_t at) {
    if (!IsFixedInfo(r.fixedInfo)) {
        return std::nullopt;
    }
    const uint32_t ms = Le32(r.fixedInfo, at);
    const uint32_t ls = Le32(r.fixedInfo, at + 4);
    return std::array<uint16_t, 4>{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms),
                                   static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls)};
}

void SetVersionAt(VersionResource& r, size_t at, const std::array<uint16_t, 4>& v) {
    if (!IsFixedInfo(r.fixedInfo)) {
        r.fixedInfo = NewFixedInfo();
    }
    PutLe32(r.fixedInfo, at, (static_cast<uint32_t>(v[0]) << 16) | v[1]);
    PutLe32(r.fixedInfo, at + 4, (static_cast<uint32_t>(v[2]) << 16) | v[3]);
}

}  // namespace

std::optional<VersionResource> ParseVersionResource(std::string_view bytes) {
    if (bytes.size() < kNodeFields) {
        return std::nullopt;
    }
    const size_t end = Le16(bytes, 0);
    if (end < kNodeFields || end > bytes.size()) {
        return std::nullopt;
    }
    const std::optional<NodeLayout> root = ReadLayout(bytes, 0, end, ValueRule::kBytes);
    if (!root || root->key != kRootKey) {
        return std::nullopt;
    }
    VersionResource r;
    r.fixedInfo = std::string(bytes.substr(root->valueStart, root->valueEnd - root->valueStart));
    r.read = Kept(bytes, 0, end, bytes.size(), root->childrenStart);
    const bool ok =
        ForEachChild(bytes, root->childrenStart, end, [&](size_t s, size_t e, size_t x) {
            const std::optional<NodeLayout> n = ReadLayout(bytes, s, e, ValueRule::kByType);
            if (n && n->key == kStringsKey && r.stringsRead.node.empty()) {
                r.stringsAt = r.otherChildren.size();
                r.stringsRead = Kept(bytes, s, e, x, n->childrenStart);
                return ForEachChild(bytes, n->childrenStart, e,
                                    [&](size_t ts, size_t te, size_t tx) {
                                        return ReadTable(bytes, ts, te, tx, r.tables);
                                    });
            }
            if (!n || !CheckNode(bytes, s, e, 1)) {
                return false;
            }
            r.otherChildren.push_back(Kept(bytes, s, e, x, n->childrenStart));
            return true;
        });
    if (!ok) {
        return std::nullopt;
    }
    if (r.stringsRead.node.empty()) {
        r.stringsAt = 0;
    }
    return r;
}

std::string WriteVersionResource(const VersionResource& r) {
    Writer w;
    const std::optional<NodeLayout> root =
        r.read.node.empty() ? std::nullopt : ReadLayout(r.read.node, ValueRule::kBytes);
    const bool sameFixedInfo =
        root &&
        std::string_view(r.read.node).substr(root->valueStart, root->valueEnd - root->valueStart) ==
            r.fixedInfo;
    const size_t start = sameFixedInfo
                             ? w.BeginKept(r.read)
                             : w.BeginNew(kRootKey, kBinaryType, r.fixedInfo.size(), r.fixedInfo);
    const bool withStrings = !r.stringsRead.node.empty() || !r.tables.empty();
    for (size_t i = 0; i <= r.otherChildren.size(); ++i) {
        if (withStrings && i == std::min(r.stringsAt, r.otherChildren.size())) {
            WriteStrings(w, r);
        }
        if (i < r.otherChildren.size()) {
            w.Kept(r.otherChildren[i]);
        }
    }
    w.End(start, r.read);
    return w.tooLong ? std::string() : std::move(w.out);
}

VersionResource NewVersionResource() {
    VersionResource r;
    r.fixedInfo = NewFixedInfo();
    r.tables.push_back(VersionTable{kNewTableKey, {}, {}});

    Writer w;
    const VersionNodeBytes none;
    const size_t var = w.BeginNew(kVarKey, kTextType, 0, "");
    const std::string translation("\x04\x08\xB0\x04", 4);  // 0x0804, 1200
    const size_t pair = w.BeginNew(kTranslationKey, kBinaryType, translation.size(), translation);
    w.End(pair, none);
    w.End(var, none);
    VersionNodeBytes varNode;
    varNode.node = std::move(w.out);
    r.otherChildren.push_back(std::move(varNode));
    return r;
}

void SetVersionString(VersionResource& r, std::u16string_view key, std::u16string_view value) {
    if (r.tables.empty()) {
        r.tables.push_back(VersionTable{kNewTableKey, {}, {}});
    }
    for (VersionTable& table : r.tables) {
        bool found = false;
        for (VersionString& s : table.strings) {
            if (text::EqualFoldingAscii(s.key, key)) {
                s.value = std::u16string(value);
                found = true;
            }
        }
        if (!found) {
            table.strings.push_back({std::u16string(key), std::u16string(value), {}});
        }
    }
}

std::optional<std::array<uint16_t, 4>> FixedFileVersion(const VersionResource& r) {
    return VersionAt(r, kFileVersionAt);
}

std::optional<std::array<uint16_t, 4>> FixedProductVersion(const VersionResource& r) {
    return VersionAt(r, kProductVersionAt);
}

void SetFixedFileVersion(VersionResource& r, const std::array<uint16_t, 4>& version) {
    SetVersionAt(r, kFileVersionAt, version);
}

void SetFixedProductVersion(VersionResource& r, const std::array<uint16_t, 4>& version) {
    SetVersionAt(r, kProductVersionAt, version);
}

}  // namespace rebrand
