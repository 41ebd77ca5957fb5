#include "text/file_names.h"

#include "text/ascii_case.h"

#include <string>

namespace text {

namespace {

std::u16string AsciiUpper(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return out;
}

bool IsReservedDeviceName(std::u16string_view name) {
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

bool IsPlainFileName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") {
        return false;
    }
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F ||
            std::u16string_view(u"<>:\"/\\|?*").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    const char16_t last = name.back();
    if (last == u'.' || last == u' ') {
        return false;
    }
    return !IsReservedDeviceName(name);
}

bool NamesDevice(std::u16string_view path) {
    if (path.size() >= 4 && (path[0] == u'\\' || path[0] == u'/') &&
        (path[1] == u'\\' || path[1] == u'/') && (path[2] == u'.' || path[2] == u'?') &&
        (path[3] == u'\\' || path[3] == u'/')) {
        // The device namespace; "\\?\" only when a device, not a drive, follows it.
        const std::u16string_view rest = path.substr(4);
        const bool drive = rest.size() >= 2 && rest[1] == u':';
        const bool unc = AsciiUpper(rest.substr(0, 4)) == u"UNC\\";
        return path[2] == u'.' || !(drive || unc);
    }
    const size_t slash = path.find_last_of(u"\\/:");
    std::u16string_view name = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
    const size_t end = name.find_last_not_of(u" .");
    if (end != std::u16string_view::npos) {
        name = name.substr(0, end + 1);
    }
    const std::u16string upper = AsciiUpper(name);
    return IsReservedDeviceName(name) || upper == u"CONIN$" || upper == u"CONOUT$";
}

std::u16string_view WindowsResolvedName(std::u16string_view name) {
    const size_t end = name.find_last_not_of(u" .");
    return end == std::u16string_view::npos ? std::u16string_view() : name.substr(0, end + 1);
}

bool SameFileName(std::u16string_view a, std::u16string_view b) {
    return EqualFoldingAscii(WindowsResolvedName(a), WindowsResolvedName(b));
}

}  // namespace text
