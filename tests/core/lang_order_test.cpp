#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "lang/id_order.h"
#include "lang/lang_slot.h"

namespace {

using Pairs = std::vector<std::pair<std::u16string, std::u16string>>;

// A small deterministic generator, so that failures repeat.
class Random {
public:
    explicit Random(uint32_t start) : state_(start * 2654435761u + 1) {}
    uint32_t Below(uint32_t n) {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ % n;
    }

private:
    uint32_t state_;
};

std::vector<uint32_t> ReferenceOrder(const std::vector<LangEntry>& entries) {
    std::vector<uint32_t> order(entries.size());
    std::iota(order.begin(), order.end(), 0u);
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return entries[a].id < entries[b].id; });
    return order;
}

std::vector<LangEntry> Entries(const std::vector<std::u16string>& ids) {
    std::vector<LangEntry> entries;
    for (const std::u16string& id : ids) {
        entries.push_back(LangEntry{id, u""});
    }
    return entries;
}

// IDs drawn from a few units that stress the ordering: 0, letters, units above 0x7F and
// 0xFF, both halves of a surrogate pair and U+FFFF; of every length from 0 to maxLength,
// sharing prefixes of many lengths.
std::vector<std::u16string> MakeIds(uint32_t start, size_t count, size_t maxLength,
                                    const std::u16string& prefix) {
    const std::u16string units = std::u16string(u"\0AB_z\u00E9\u0100\u3001", 8) +
                                 std::u16string{char16_t(0xD83D), char16_t(0xDE00), 0xFFFF};
    Random random(start);
    std::vector<std::u16string> ids;
    for (size_t i = 0; i < count; ++i) {
        std::u16string id = prefix;
        const size_t length = random.Below(static_cast<uint32_t>(maxLength + 1));
        for (size_t k = 0; k < length; ++k) {
            id.push_back(units[random.Below(static_cast<uint32_t>(units.size()))]);
        }
        ids.push_back(id);
    }
    return ids;
}

TEST(LangOrder, MatchesAStableSortByCodeUnits) {
    struct Case {
        const char* name;
        std::vector<std::u16string> ids;
    };
    std::vector<Case> cases = {
        {"empty", {}},
        {"small, mixed", MakeIds(1, 20, 6, u"")},
        {"large, short IDs (many equal)", MakeIds(2, 5000, 3, u"")},
        {"large, long IDs", MakeIds(3, 5000, 24, u"")},
        {"large, shared prefix", MakeIds(4, 5000, 9, u"IDS_MENU_FILE_")},
        {"mid-size group", MakeIds(5, 200, 12, u"X")},
    };
    std::vector<std::u16string> sorted = MakeIds(6, 3000, 10, u"P");
    std::sort(sorted.begin(), sorted.end());
    cases.push_back({"already sorted", sorted});
    std::reverse(sorted.begin(), sorted.end());
    cases.push_back({"reversed", sorted});
    cases.push_back({"one ID repeated", std::vector<std::u16string>(1000, u"SAME_ID_0123456789")});
    cases.push_back({"long equal prefixes",
                     {std::u16string(5000, u'a') + u"b", std::u16string(5000, u'a'),
                      std::u16string(5000, u'a') + u"a"}});

    // Many IDs that share a long prefix, in order but for the first and the last.
    std::vector<std::u16string> longPrefix = MakeIds(8, 400, 3, std::u16string(2000, u'q'));
    std::sort(longPrefix.begin(), longPrefix.end());
    std::swap(longPrefix.front(), longPrefix.back());
    cases.push_back({"long shared prefix", longPrefix});

    lang::IdSorter sorter;  // one sorter for all cases: its buffers are reused
    for (const Case& c : cases) {
        const std::vector<LangEntry> entries = Entries(c.ids);
        EXPECT_EQ(ReferenceOrder(entries), sorter.Order(entries)) << c.name;
    }
}

TEST(LangOrder, LoadKeepsTheLastOfEqualIdsInLargeFiles) {
    std::vector<std::u16string> ids = MakeIds(7, 4000, 4, u"K");
    std::map<std::u16string, std::u16string> expected;
    std::u16string text;
    for (size_t line = 0; line < ids.size(); ++line) {
        std::u16string& id = ids[line];
        std::replace(id.begin(), id.end(), u'z', u'Z');  // the reader upper-cases a-z
        std::u16string number;
        for (const char c : std::to_string(line)) {
            number.push_back(static_cast<char16_t>(c));
        }
        text += id + u"=" + number + u"\r\n";
        expected[id] = number;
    }
    CLangSlot slot;
    slot.Load(text);
    Pairs got;
    for (const LangEntry& e : slot) {
        got.emplace_back(std::u16string(e.id), std::u16string(e.text));
    }
    EXPECT_EQ(Pairs(expected.begin(), expected.end()), got);
}

}  // namespace
