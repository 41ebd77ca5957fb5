// Letter case as Windows' ordinal comparison without case sees it: each UTF-16 unit mapped
// to its upper case on its own, so a text keeps its length and every unit its position.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// text with every unit in upper case (Windows: the system's upper-case table, as
// CompareStringOrdinal with ignoreCase uses it; elsewhere: Unicode's simple upper-case
// mapping of the C library's UTF-8 locale). Surrogates stay as they are.
std::u16string UpperCaseUnits(std::u16string_view text);

}  // namespace platform
