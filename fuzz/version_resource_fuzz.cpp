// The version resource: the input is the resource data. What parses is written back byte for
// byte; after strings and versions are set, the written resource parses into what was set
// and is written back by itself unchanged.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "rebrand/version_resource.h"
#include "text/ascii_case.h"

namespace {

using rebrand::VersionResource;

// The key the test sets: the first string's key in upper case, so that it matches it only
// when keys are compared without case, or a key no table has.
std::u16string KeyToSet(const VersionResource& r) {
    for (const rebrand::VersionTable& table : r.tables) {
        for (const rebrand::VersionString& s : table.strings) {
            std::u16string key = s.key;
            for (char16_t& c : key) {
                if (c >= u'a' && c <= u'z') {
                    c = static_cast<char16_t>(c - u'a' + u'A');
                }
            }
            return key;
        }
    }
    return u"FileDescription";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::optional<VersionResource> parsed = rebrand::ParseVersionResource(bytes);
    if (!parsed) {
        return 0;
    }
    fuzz::Require(rebrand::WriteVersionResource(*parsed) == bytes,
                  "an unchanged resource is written back byte for byte");

    VersionResource r = *parsed;
    const std::u16string key = KeyToSet(r);
    const std::u16string value = u"新值 " + std::u16string(size % 7, u'v');
    rebrand::SetVersionString(r, key, value);
    if (!r.tables.empty() && !r.tables[0].strings.empty()) {
        r.tables[0].strings[0].value += u"!";
    }
    const std::array<uint16_t, 4> version = {1, static_cast<uint16_t>(size), 3, 65535};
    rebrand::SetFixedFileVersion(r, version);

    const std::string written = rebrand::WriteVersionResource(r);
    if (written.empty()) {
        return 0;  // a node grew past 65535 bytes
    }
    const std::optional<VersionResource> again = rebrand::ParseVersionResource(written);
    fuzz::Require(again.has_value(), "a written resource parses");
    fuzz::Require(again->tables.size() == r.tables.size(), "every table is written");
    for (size_t t = 0; t < r.tables.size(); ++t) {
        const auto& set = r.tables[t].strings;
        const auto& got = again->tables[t].strings;
        fuzz::Require(got.size() == set.size() && again->tables[t].key == r.tables[t].key,
                      "every string is written");
        for (size_t i = 0; i < set.size(); ++i) {
            fuzz::Require(got[i].key == set[i].key && got[i].value == set[i].value,
                          "strings read back as they were set");
            fuzz::Require(!text::EqualFoldingAscii(got[i].key, key) || got[i].value == value ||
                              (t == 0 && i == 0),
                          "the key is set in every table");
        }
    }
    fuzz::Require(rebrand::FixedFileVersion(*again) == version, "the file version is set");
    fuzz::Require(rebrand::WriteVersionResource(*again) == written,
                  "a written resource is written back unchanged");
    return 0;
}
