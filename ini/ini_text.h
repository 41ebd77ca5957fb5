// Text helpers of the profile store: white space, trimming, case folding, splitting.
#pragma once

#include <string>
#include <vector>

// White space as the C runtime's iswspace sees it in the "C" locale: space, tab, line feed,
// vertical tab, form feed, carriage return. Fixed here so the process locale cannot change it.
bool IsIniSpace(char16_t c);

// text without leading and trailing white space.
std::u16string TrimIniSpace(const std::u16string& text);

// text with the letters A to Z turned into a to z; every other code unit unchanged.
std::u16string FoldCase(const std::u16string& text);

// Fills list with the trimmed, non-empty pieces of source between occurrences of separator,
// in their order. A source without the separator gives its trimmed self (if not empty).
void SplitString(const std::u16string& source, const std::u16string& separator,
                 std::vector<std::u16string>& list);
