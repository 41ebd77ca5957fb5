#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "rebrand/le_bytes.h"
#include "rebrand/version_resource.h"

namespace {

using rebrand::VersionResource;
using Version = std::array<uint16_t, 4>;
using Strings = std::vector<std::pair<std::u16string, std::u16string>>;

// windres 2.40 output for: FILEVERSION 1,2,3,4, PRODUCTVERSION 5,6,7,8, FILEFLAGSMASK 0x3f,
// FILEOS 0x40004, FILETYPE 1; table "080404b0" with CompanyName "Zav", ProductName "Abc" and
// Comments ""; Translation 0x804, 1200.
const char kWindresHex[] =
    "480134000000560053005f00560045005200530049004f004e005f0049004e0046004f0000000000bd04effe000001"
    "00"
    "020001000400030006000500080007003f000000000000000400040001000000000000000000000000000000a60000"
    "00"
    "010053007400720069006e006700460069006c00650049006e0066006f000000820000000100300038003000340030"
    "00"
    "340062003000000028000400010043006f006d00700061006e0079004e0061006d006500000000005a006100760000"
    "00"
    "280004000100500072006f0064007500630074004e0061006d0065000000000041006200630000001a000100010043"
    "00"
    "6f006d006d0065006e0074007300000000000000440000000100560061007200460069006c00650049006e0066006f"
    "00"
    "000000002400040000005400720061006e0073006c006100740069006f006e00000000000408b004";

std::string FromHex(const char* hex) {
    std::string out;
    for (const char* p = hex; p[0] && p[1]; p += 2) {
        out.push_back(static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16)));
    }
    return out;
}

std::string Utf16(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        rebrand::AppendLe16(out, c);
    }
    return out;
}

void Pad(std::string& out) {
    out.resize((out.size() + 3) / 4 * 4, '\0');
}

// A node laid out by hand, the way one compiler or another writes it.
struct Node {
    std::u16string key;
    uint16_t type = 1;
    std::string value;
    int valueLength = -1;  // -1: characters for text, bytes for binary
    std::vector<Node> children;
    bool padLast = false;  // wLength covers the padding after the last child
};

std::string Layout(const Node& n) {
    std::string out(6, '\0');
    out += Utf16(n.key) + std::string(2, '\0');
    Pad(out);
    out += n.value;
    for (const Node& child : n.children) {
        Pad(out);
        out += Layout(child);
    }
    if (n.padLast) {
        Pad(out);
    }
    const size_t valueLength = n.valueLength >= 0 ? static_cast<size_t>(n.valueLength)
                               : n.type == 1      ? n.value.size() / 2
                                                  : n.value.size();
    rebrand::PutLe16(out, 0, static_cast<uint16_t>(out.size()));
    rebrand::PutLe16(out, 2, static_cast<uint16_t>(valueLength));
    rebrand::PutLe16(out, 4, n.type);
    return out;
}

Node Str(std::u16string key, std::u16string_view value, int valueLength = -1) {
    return Node{std::move(key), 1, Utf16(value), valueLength, {}, false};
}

Node Parent(std::u16string key, std::vector<Node> children, int valueLength = 0,
            bool padLast = false) {
    return Node{std::move(key), 1, "", valueLength, std::move(children), padLast};
}

std::string Root(std::vector<Node> children, std::string fixedInfo = "", int valueLength = -1) {
    return Layout(
        Node{u"VS_VERSION_INFO", 0, std::move(fixedInfo), valueLength, std::move(children), false});
}

// Two tables, no fixed info; values with and without NUL, wValueLength in characters, in
// bytes and 0; tables covering the padding after their last string; two translations.
std::string TwoTables() {
    const Node zh = Parent(u"080404b0",
                           {Str(u"CompanyName", std::u16string(u"某公司\0", 4)),
                            Str(u"ProductName", u"Zov"), Str(u"Comments", u"", 0)},
                           0, true);
    const Node en = Parent(u"040904b0",
                           {Str(u"CompanyName", std::u16string(u"Zav Ltd\0", 8), 16),
                            Str(u"ProductName", std::u16string(u"Zov\0", 4))},
                           0, true);
    const Node translation{
        u"Translation", 0, std::string("\x04\x08\xb0\x04\x09\x04\xb0\x04", 8), -1, {}, false};
    return Root({Parent(u"StringFileInfo", {zh, en}), Parent(u"VarFileInfo", {translation})});
}

VersionResource ParsedOrFail(const std::string& bytes) {
    std::optional<VersionResource> parsed = rebrand::ParseVersionResource(bytes);
    EXPECT_TRUE(parsed.has_value());
    return parsed.value_or(VersionResource{});
}

std::vector<std::pair<std::u16string, Strings>> Tables(const VersionResource& r) {
    std::vector<std::pair<std::u16string, Strings>> out;
    for (const rebrand::VersionTable& table : r.tables) {
        out.emplace_back(table.key, Strings{});
        for (const rebrand::VersionString& s : table.strings) {
            out.back().second.emplace_back(s.key, s.value);
        }
    }
    return out;
}

TEST(VersionResource, ReadsLayoutsAndWritesThemBackUnchanged) {
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::pair<std::u16string, Strings>> tables;
        std::optional<Version> fileVersion;
        std::optional<Version> productVersion;
    };
    const Case cases[] = {
        {"windres",
         FromHex(kWindresHex),
         {{u"080404b0", {{u"CompanyName", u"Zav"}, {u"ProductName", u"Abc"}, {u"Comments", u""}}}},
         Version{1, 2, 3, 4},
         Version{5, 6, 7, 8}},
        {"two tables",
         TwoTables(),
         {{u"080404b0",
           {{u"CompanyName", u"某公司"}, {u"ProductName", u"Zov"}, {u"Comments", u""}}},
          {u"040904b0", {{u"CompanyName", u"Zav Ltd"}, {u"ProductName", u"Zov"}}}},
         std::nullopt,
         std::nullopt},
        {"padding after the root", TwoTables() + std::string("\0\0\x7f", 3), {}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const VersionResource r = ParsedOrFail(c.bytes);
        if (!c.tables.empty()) {
            EXPECT_EQ(c.tables, Tables(r));
            EXPECT_EQ(c.fileVersion, rebrand::FixedFileVersion(r));
            EXPECT_EQ(c.productVersion, rebrand::FixedProductVersion(r));
        }
        EXPECT_EQ(c.bytes, rebrand::WriteVersionResource(r));
    }
}

TEST(VersionResource, NewResourceWritesWhatWindresWrites) {
    VersionResource r = rebrand::NewVersionResource();
    EXPECT_EQ(Version({0, 0, 0, 0}), rebrand::FixedFileVersion(r));
    rebrand::SetFixedFileVersion(r, {1, 2, 3, 4});
    rebrand::SetFixedProductVersion(r, {5, 6, 7, 8});
    rebrand::SetVersionString(r, u"CompanyName", u"Zav");
    rebrand::SetVersionString(r, u"ProductName", u"Abc");
    rebrand::SetVersionString(r, u"Comments", u"");
    EXPECT_EQ(FromHex(kWindresHex), rebrand::WriteVersionResource(r));
}

TEST(VersionResource, EditsKeepTheBytesOfWhatDidNotChange) {
    const std::string before = TwoTables();
    const VersionResource original = ParsedOrFail(before);
    VersionResource r = original;
    rebrand::SetVersionString(r, u"COMPANYNAME", u"新公司");
    rebrand::SetVersionString(r, u"FileDescription", u"Zov 编辑器");
    r.tables[1].strings[1].value = u"Zov Pro";  // replaced in place, as text replacement does
    rebrand::SetFixedFileVersion(r, {7, 0, 65535, 1});
    rebrand::SetFixedProductVersion(r, {7, 1, 0, 0});

    const VersionResource after = ParsedOrFail(rebrand::WriteVersionResource(r));
    const std::vector<std::pair<std::u16string, Strings>> expected = {
        {u"080404b0",
         {{u"CompanyName", u"新公司"},
          {u"ProductName", u"Zov"},
          {u"Comments", u""},
          {u"FileDescription", u"Zov 编辑器"}}},
        {u"040904b0",
         {{u"CompanyName", u"新公司"},
          {u"ProductName", u"Zov Pro"},
          {u"FileDescription", u"Zov 编辑器"}}}};
    EXPECT_EQ(expected, Tables(after));
    EXPECT_EQ(Version({7, 0, 65535, 1}), rebrand::FixedFileVersion(after));
    EXPECT_EQ(Version({7, 1, 0, 0}), rebrand::FixedProductVersion(after));
    // The strings nobody touched and VarFileInfo are the bytes they were read from.
    EXPECT_EQ(original.tables[0].strings[1].read.node, after.tables[0].strings[1].read.node);
    EXPECT_EQ(original.tables[0].strings[2].read.node, after.tables[0].strings[2].read.node);
    EXPECT_EQ(original.otherChildren.at(0).node, after.otherChildren.at(0).node);
    // A written string counts its characters with the NUL.
    EXPECT_EQ(4, rebrand::Le16(after.tables[1].strings[0].read.node, 2));

    // Values set back to what was read are unchanged again, whatever happened in between.
    VersionResource back = r;
    back.fixedInfo = original.fixedInfo;
    back.tables[0].strings[0].value = u"某公司";
    back.tables[0].strings.pop_back();
    back.tables[1].strings[0].value = u"Zav Ltd";
    back.tables[1].strings[1].value = u"Zov";
    back.tables[1].strings.pop_back();
    EXPECT_EQ(before, rebrand::WriteVersionResource(back));
}

TEST(VersionResource, ParentWhoseValueFillsItStillTakesChildren) {
    // wValueLength of the table, or of "StringFileInfo", reaches past its end.
    for (int strings : {0, 0x100}) {
        const std::string bytes =
            Root({Parent(u"StringFileInfo", {Parent(u"080404b0", {}, 0x100 - strings)}, strings)});
        VersionResource r = ParsedOrFail(bytes);
        EXPECT_EQ(bytes, rebrand::WriteVersionResource(r));
        rebrand::SetVersionString(r, u"ProductName", u"Zov");
        const auto tables = Tables(ParsedOrFail(rebrand::WriteVersionResource(r)));
        ASSERT_EQ(1u, tables.size());
        EXPECT_EQ(Strings({{u"ProductName", u"Zov"}}), tables[0].second);
    }
}

TEST(VersionResource, RefusesMalformedData) {
    const std::string good = TwoTables();
    for (size_t size = 0; size < good.size(); ++size) {
        EXPECT_FALSE(rebrand::ParseVersionResource(good.substr(0, size))) << size;
    }
    // Offsets in TwoTables(): StringFileInfo at 40, its first table at 76.
    auto patched = [&](size_t pos, uint16_t value) {
        std::string bytes = good;
        rebrand::PutLe16(bytes, pos, value);
        return bytes;
    };
    Node deep = Parent(u"x", {});
    for (int i = 1; i < 8; ++i) {
        deep = Parent(u"x", {deep});
    }
    std::string keyWithoutNul = Root({}).substr(0, 36);
    rebrand::PutLe16(keyWithoutNul, 0, 36);
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"root longer than the data", patched(0, static_cast<uint16_t>(good.size() + 4))},
        {"child longer than its parent", patched(76, rebrand::Le16(good, 40))},
        {"child shorter than a header", patched(76, 4)},
        {"another root key", patched(6, u'v')},
        {"key without NUL", keyWithoutNul},
        {"fixed info past the root", Root({}, "abcd", 8)},
        {"nested too deep", Root({Parent(u"x", {deep})})},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(rebrand::ParseVersionResource(c.bytes)) << c.name;
    }
    // Eight levels below the root are read.
    EXPECT_TRUE(rebrand::ParseVersionResource(Root({deep})));
}

TEST(VersionResource, RefusesToWriteANodeLongerThanAWLength) {
    VersionResource r = rebrand::NewVersionResource();
    rebrand::SetVersionString(r, u"Comments", std::u16string(32600, u'x'));
    EXPECT_FALSE(rebrand::WriteVersionResource(r).empty());
    rebrand::SetVersionString(r, u"Comments", std::u16string(32800, u'x'));
    EXPECT_TRUE(rebrand::WriteVersionResource(r).empty());
}

}  // namespace
