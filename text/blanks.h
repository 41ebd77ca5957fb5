// White space and trimming by it. White space is what the Windows C runtime's iswspace
// accepts (the same in every locale there): TAB, LF, VT, FF, CR, the blank, U+00A0, U+1680,
// U+2000..U+200A, U+2028, U+2029, U+202F, U+205F and U+3000 (the ideographic space that
// Chinese input methods type). On other systems iswspace depends on the locale, so the set is
// written out here. Every part of the tool that trims (profiles, language files, the
// dialog's fields and search text) uses this one definition.
#pragma once

#include <string>

namespace text {

inline bool IsBlank(char16_t c) {
    if (c < 0x00A0) {
        return c == u' ' || (c >= u'\t' && c <= u'\r');
    }
    return c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 ||
           c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

// text without leading and trailing white space.
std::u16string TrimBlanks(const std::u16string& text);

}  // namespace text
