#include "cmd/console_out.h"

#include <windows.h>

#include "platform/unicode.h"
#include "platform/win32/wide.h"

namespace brand {

void WriteLine(Stream stream, const std::u16string& text) {
    const HANDLE handle =
        GetStdHandle(stream == Stream::kOut ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return;
    }
    const std::u16string line = text + u"\r\n";
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        WriteConsoleW(handle, platform::W(line), static_cast<DWORD>(line.size()), &written,
                      nullptr);
        return;
    }
    const std::string bytes = platform::Utf16ToUtf8(line);
    WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

}  // namespace brand
