#include "platform/codepage.h"

#include <windows.h>

#include <climits>

namespace platform {

namespace {

// What kSystemCodePage stands for (SetAnsiCodePage); CP_ACP unless set.
unsigned g_ansiCodePage = CP_ACP;

UINT WinCodePage(unsigned codePage) {
    return codePage == kSystemCodePage ? g_ansiCodePage : codePage;
}

}  // namespace

std::u16string DecodeCodePage(const std::string& bytes, unsigned codePage) {
    if (bytes.empty()) {
        return {};
    }
    const UINT cp = WinCodePage(codePage);
    const int inLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(cp, 0, bytes.data(), inLen, nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::u16string out(static_cast<size_t>(n), u'\0');
    MultiByteToWideChar(cp, 0, bytes.data(), inLen, reinterpret_cast<wchar_t*>(&out[0]), n);
    return out;
}

std::string EncodeCodePage(const std::u16string& text, unsigned codePage) {
    if (text.empty()) {
        return {};
    }
    const UINT cp = WinCodePage(codePage);
    const auto* src = reinterpret_cast<const wchar_t*>(text.data());
    const int inLen = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(cp, 0, src, inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(cp, 0, src, inLen, &out[0], n, nullptr, nullptr);
    return out;
}

bool DecodeCodePageStrict(const char* bytes, size_t size, unsigned codePage, std::u16string& text) {
    text.clear();
    if (size == 0) {
        return true;
    }
    if (size > static_cast<size_t>(INT_MAX)) {
        return false;
    }
    const UINT cp = WinCodePage(codePage);
    const int inLen = static_cast<int>(size);
    const int n = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes, inLen, nullptr, 0);
    if (n <= 0) {
        return false;
    }
    text.resize(static_cast<size_t>(n));
    return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes, inLen,
                               reinterpret_cast<wchar_t*>(&text[0]), n) == n;
}

bool EncodeCodePageExact(const std::u16string& text, unsigned codePage, std::string& bytes) {
    bytes.clear();
    if (text.empty()) {
        return true;
    }
    const UINT cp = WinCodePage(codePage);
    // UTF-8 takes neither the best-fit flag nor a default character; it fails on an
    // unpaired surrogate instead.
    const bool utf8 = cp == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const auto* src = reinterpret_cast<const wchar_t*>(text.data());
    const int inLen = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(cp, flags, src, inLen, nullptr, 0, nullptr, usedDefaultOut);
    if (n <= 0 || usedDefault) {
        return false;
    }
    bytes.resize(static_cast<size_t>(n));
    return WideCharToMultiByte(cp, flags, src, inLen, &bytes[0], n, nullptr, usedDefaultOut) == n &&
           !usedDefault;
}

void SetAnsiCodePage(unsigned codePage) {
    g_ansiCodePage = codePage;
}

}  // namespace platform
