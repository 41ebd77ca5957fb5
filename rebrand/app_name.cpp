#include "rebrand/app_name.h"

namespace rebrand {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

char16_t AsciiUpper(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

std::u16string AsciiUpper(std::u16string s) {
    for (char16_t& c : s) {
        c = AsciiUpper(c);
    }
    return s;
}

bool IsReservedDeviceName(const std::u16string& name) {
    // The device names are reserved whatever extension follows them.
    std::u16string stem = AsciiUpper(name.substr(0, name.find(u'.')));
    while (!stem.empty() && stem.back() == u' ') {
        stem.pop_back();
    }
    if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL") {
        return true;
    }
    return stem.size() == 4 &&
           (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0) &&
           stem[3] >= u'1' && stem[3] <= u'9';
}

}  // namespace

bool IsPlainFileName(const std::u16string& name) {
    if (name.empty() || name == u"." || name == u"..") {
        return false;
    }
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F) {
            return false;
        }
        if (std::u16string(u"<>:\"/\\|?*").find(c) != std::u16string::npos) {
            return false;
        }
    }
    const char16_t last = name.back();
    if (last == u'.' || IsBlank(last)) {
        return false;
    }
    return !IsReservedDeviceName(name);
}

std::u16string WithExeExtension(const std::u16string& name) {
    if (name.size() >= 4 && AsciiUpper(name.substr(name.size() - 4)) == u".EXE") {
        return name;
    }
    return name + u".exe";
}

std::u16string TrimBlanks(const std::u16string& text) {
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && IsBlank(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

}  // namespace rebrand
