#include "platform/codepage.h"

#include <windows.h>

namespace platform {

namespace {

UINT WinCodePage(unsigned codePage) {
    return codePage == kSystemCodePage ? CP_ACP : codePage;
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

}  // namespace platform
