#include "cmd/console_host.h"

#include "cmd/console_out.h"

namespace app {

bool ConsoleHost::ConfirmOverwrite(const std::u16string&) {
    return false;  // the command's message names the file
}

void ConsoleHost::Show(const std::u16string& text) {
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find(u"\r\n", pos);
        end = end == std::u16string::npos ? text.size() : end;
        brand::WriteLine(brand::Stream::kOut,
                         u"[" + command_ + u"] " + text.substr(pos, end - pos));
        pos = end + 2;
    }
}

}  // namespace app
