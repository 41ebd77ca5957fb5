// Letter case as the tool compares names (section names and keys, file names, extensions):
// only A-Z and a-z are alike. Windows compares file names with a wider table; the names the
// tool compares are those it writes or lists, and only their ASCII letters differ in case.
#pragma once

#include <string>
#include <string_view>

namespace text {

constexpr char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr char FoldAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <typename Char>
std::basic_string<Char> FoldedAscii(std::basic_string_view<Char> s) {
    std::basic_string<Char> out(s);
    for (Char& c : out) {
        c = FoldAscii(c);
    }
    return out;
}

inline std::u16string FoldedAscii(const std::u16string& s) {
    return FoldedAscii(std::u16string_view(s));
}

// s with a-z in upper case, every other unit as it is.
inline std::u16string UpperAscii(std::u16string s) {
    for (char16_t& c : s) {
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
    }
    return s;
}

inline bool EqualFoldingAscii(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// Whether name ends with suffix, A-Z folded (".exe", ".EXE", ".Exe").
inline bool EndsWithFoldingAscii(std::u16string_view name, std::u16string_view suffix) {
    return name.size() >= suffix.size() &&
           EqualFoldingAscii(name.substr(name.size() - suffix.size()), suffix);
}

}  // namespace text
