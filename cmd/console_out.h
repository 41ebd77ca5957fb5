// Lines of text to the standard output or error of the console program. On Windows through
// WriteConsoleW when the handle is a console (every character shows, whatever the console's
// code page), as UTF-8 bytes and CR LF when it is redirected to a file or a pipe; elsewhere as
// UTF-8 bytes and LF.
#pragma once

#include <string>

namespace brand {

enum class Stream { kOut, kError };

// Writes text and the line end.
void WriteLine(Stream stream, const std::u16string& text);

}  // namespace brand
