// One entry of a language slot: an ID and its text.
#pragma once

#include <string_view>

struct LangEntry {
    std::u16string_view id;
    std::u16string_view text;
};
