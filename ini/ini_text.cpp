#include "ini/ini_text.h"

#include "text/ascii_case.h"
#include "text/blanks.h"

std::u16string FoldCase(const std::u16string& text) {
    return ::text::FoldedAscii(text);
}

void SplitString(const std::u16string& source, const std::u16string& separator,
                 std::vector<std::u16string>& list) {
    list.clear();
    std::u16string text = ::text::TrimBlanks(source);
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
        std::u16string piece = ::text::TrimBlanks(text.substr(start, next - start));
        if (!piece.empty()) {
            list.push_back(std::move(piece));
        }
        start = next + separator.size();
    }
}
