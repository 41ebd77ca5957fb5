// Find and replace over the texts of the language table's entries (not their IDs), as the
// dialog's "查找和替换" does it: every occurrence, left to right, none overlapping another and
// none searched again in what replaced it. Without matchCase, letters compare as Windows'
// ordinal comparison without case compares them (platform/upper_case.h).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "lang/lang_table.h"

namespace lang {

struct FindReplace {
    std::u16string find;  // not empty
    std::u16string replacement;
    bool matchCase = false;
};

// text with every occurrence of the find text replaced; count receives their number.
std::u16string ReplaceOccurrences(std::u16string_view text, const FindReplace& request,
                                  size_t& count);

struct FindReplaceResult {
    size_t occurrences = 0;
    size_t languages = 0;                                // slots in which some text changed
    std::vector<std::pair<int, std::u16string>> edited;  // slot and ID of each changed entry
};

// Replaces in the entries of each of slots, as the list's in-place editor edits them
// (SetText: nothing is written to a file).
FindReplaceResult ReplaceInLanguages(CLangTable& table, const std::vector<int>& slots,
                                     const FindReplace& request);

}  // namespace lang
