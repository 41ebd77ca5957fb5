#include "app/console_host.h"

#include "win/console.h"

namespace app {

bool ConsoleHost::ConfirmOverwrite(const std::u16string&) {
    return false;  // the command's message names the file
}

void ConsoleHost::Show(const std::u16string& text) {
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(u"\r\n", pos);
        end = end == std::u16string::npos ? text.size() : end;
        win::WriteLine(win::Stream::kOut, u"[" + command_ + u"] " + text.substr(pos, end - pos));
        pos = end + 2;
    }
}

}  // namespace app
