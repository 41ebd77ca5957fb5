#include <unistd.h>

#include <cerrno>

#include "cmd/console_out.h"
#include "platform/unicode.h"

namespace brand {

void WriteLine(Stream stream, const std::u16string& text) {
    const std::string bytes = platform::Utf16ToUtf8(text) + "\n";
    const int fd = stream == Stream::kOut ? STDOUT_FILENO : STDERR_FILENO;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace brand
