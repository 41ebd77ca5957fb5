// Literal text replacement with a list of (old, new) pairs, as a brand's [replace] section
// gives them: case-sensitive; at each position of the text the longest old text that starts
// there wins (of equal ones, the first given); replaced text is not searched again, and the
// search goes on right after the old text it replaced. An empty old text never matches.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace text {

class Replacements {
public:
    Replacements() = default;
    explicit Replacements(std::vector<std::pair<std::u16string, std::u16string>> pairs);

    bool Empty() const { return pairs_.empty(); }
    const std::vector<std::pair<std::u16string, std::u16string>>& Pairs() const { return pairs_; }

    // text with every match replaced; count (if given) receives the number of matches.
    std::u16string Apply(std::u16string_view text, size_t* count = nullptr) const;

    // Whether any old text occurs in text.
    bool AnyIn(std::u16string_view text) const;

private:
    // The index of the longest pair whose old text starts at pos, or npos.
    size_t MatchAt(std::u16string_view text, size_t pos) const;

    std::vector<std::pair<std::u16string, std::u16string>> pairs_;
    // Whether a code unit starts some old text (a quick test before the pairs are tried).
    std::vector<bool> starts_ = std::vector<bool>(0x10000, false);
};

// The places where needle occurs in text (case-sensitive, literal; overlapping ones too):
// the offsets, ascending. An empty needle occurs nowhere.
std::vector<size_t> Occurrences(std::u16string_view text, std::u16string_view needle);

}  // namespace text
