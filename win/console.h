// Lines of text to the standard output or error of a console program: through WriteConsoleW
// when the handle is a console (every character shows, whatever the console's code page),
// as UTF-8 bytes when it is redirected to a file or a pipe.
#pragma once

#include <string>

namespace win {

enum class Stream { kOut, kError };

// Writes text and CR LF.
void WriteLine(Stream stream, const std::u16string& text);

}  // namespace win
