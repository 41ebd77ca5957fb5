// Text helpers of the profile store: case folding and splitting (white space and trimming
// are text/blanks.h).
#pragma once

#include <string>
#include <vector>

// text with the letters A to Z turned into a to z; every other code unit unchanged.
std::u16string FoldCase(const std::u16string& text);

// Fills list with the trimmed, non-empty pieces of source between occurrences of separator,
// in their order. A source without the separator gives its trimmed self (if not empty).
void SplitString(const std::u16string& source, const std::u16string& separator,
                 std::vector<std::u16string>& list);
