#include "ini/ini_text.h"

bool IsIniSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::u16string TrimIniSpace(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsIniSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && IsIniSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::u16string FoldCase(const std::u16string& text) {
    std::u16string folded(text);
    for (char16_t& c : folded) {
        if (c >= u'A' && c <= u'Z') {
            c = static_cast<char16_t>(c - u'A' + u'a');
        }
    }
    return folded;
}

void SplitString(const std::u16string& source, const std::u16string& separator,
                 std::vector<std::u16string>& list) {
    list.clear();
    std::u16string text = TrimIniSpace(source);
    if (text.empty()) {
        return;
    }
    if (separator.empty() || text.find(separator) == std::u16string::npos) {
        list.push_back(text);
        return;
    }
    // The separators at the front are dropped; one more at the end closes the last piece.
    // Then each piece in front of a separator is trimmed and kept unless nothing remains.
    size_t start = 0;
    while (text.compare(start, separator.size(), separator) == 0) {
        start += separator.size();
    }
    text += separator;
    for (size_t next = text.find(separator, start); next != std::u16string::npos;
         next = text.find(separator, start)) {
        std::u16string piece = TrimIniSpace(text.substr(start, next - start));
        if (!piece.empty()) {
            list.push_back(std::move(piece));
        }
        start = next + separator.size();
    }
}
