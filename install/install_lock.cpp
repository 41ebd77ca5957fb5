#include "install/install_lock.h"

#include <cstdlib>
#include <map>
#include <mutex>

#include "platform/file_ops.h"
#include "platform/named_lock.h"
#include "platform/sha256.h"
#include "platform/unicode.h"

namespace install {

namespace {

struct Hold {
    int count = 0;
    std::unique_ptr<platform::NamedLock> lock;
};

std::mutex& HoldsMutex() {
    static std::mutex m;
    return m;
}

std::map<std::string, Hold>& Holds() {
    static std::map<std::string, Hold> holds;
    return holds;
}

}  // namespace

unsigned InstallLock::DefaultWaitMs() {
    const char* text = std::getenv("VEDAROD_LOCK_WAIT_MS");
    if (text != nullptr && *text != '\0') {
        char* end = nullptr;
        const unsigned long ms = std::strtoul(text, &end, 10);
        if (*end == '\0' && ms <= 600000) {
            return static_cast<unsigned>(ms);
        }
    }
    return 5000;
}

std::string InstallLockName(const std::u16string& installFolder) {
    std::u16string path = platform::ResolvedPath(installFolder);
    if (path.empty()) {
        path = installFolder;
    }
    while (path.size() > 1 && (path.back() == u'\\' || path.back() == u'/')) {
        path.pop_back();
    }
    for (char16_t& c : path) {
        c = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c == u'/' ? u'\\' : c;
    }
    const std::string digest = platform::Sha256Hex(platform::Utf16ToUtf8(path));
    return "install-" + digest.substr(0, 40);
}

std::unique_ptr<InstallLock> InstallLock::Acquire(const std::u16string& installFolder,
                                                  unsigned waitMs) {
    const std::string key = InstallLockName(installFolder);
    std::lock_guard<std::mutex> guard(HoldsMutex());
    Hold& hold = Holds()[key];
    if (hold.count == 0) {
        hold.lock = platform::NamedLock::Acquire(key, waitMs);
        if (!hold.lock) {
            Holds().erase(key);
            return nullptr;
        }
    }
    ++hold.count;
    return std::unique_ptr<InstallLock>(new InstallLock(key, hold.count == 1));
}

InstallLock::~InstallLock() {
    std::lock_guard<std::mutex> guard(HoldsMutex());
    const auto it = Holds().find(key_);
    if (it != Holds().end() && --it->second.count == 0) {
        Holds().erase(it);
    }
}

}  // namespace install
