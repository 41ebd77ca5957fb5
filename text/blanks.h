// White space as the C library's iswspace sees it in the "C" locale, and trimming by it.
// Every part of the tool that trims (profiles, language files, the dialog's fields) uses
// this one definition.
#pragma once

#include <string>

namespace text {

inline bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// text without leading and trailing white space.
std::u16string TrimBlanks(const std::u16string& text);

}  // namespace text
