// The one program that may change an install at a time. Every command that writes into an
// install folder or its backup (the dialog's buttons, the console's brand and restore, the
// write-back of profiles at close) holds the install's lock for its whole duration; reading
// needs no lock. The lock is named after the install folder as the file system resolves it
// (links followed, letters A-Z folded), so two spellings of one folder share it; the system
// gives it up when its holder ends, also when it is killed.
//
// Within one process the lock is counted: a command run inside another one (the console's
// brand runs the rebrand, the profile save and the language save) holds it already, and its
// inner Acquire succeeds at once.
#pragma once

#include <memory>
#include <string>
#include <utility>

namespace install {

class InstallLock {
public:
    // How long Acquire waits for another program by default: VEDAROD_LOCK_WAIT_MS from the
    // environment when set (tests shorten it), else 5000.
    static unsigned DefaultWaitMs();

    // Holds the install folder, waiting up to waitMs while another program holds it. Null
    // when it stayed held (the caller writes nothing and tells the user so).
    static std::unique_ptr<InstallLock> Acquire(const std::u16string& installFolder,
                                                unsigned waitMs = DefaultWaitMs());
    // True for the outermost hold of the install in this process: the command that is not
    // run inside another one (it tidies what killed runs left).
    bool First() const { return first_; }

    ~InstallLock();
    InstallLock(const InstallLock&) = delete;
    InstallLock& operator=(const InstallLock&) = delete;

private:
    explicit InstallLock(std::string key, bool first) : key_(std::move(key)), first_(first) {}
    std::string key_;
    bool first_;
};

// The name of the install's lock: a digest of its resolved, folded path.
std::string InstallLockName(const std::u16string& installFolder);

}  // namespace install
