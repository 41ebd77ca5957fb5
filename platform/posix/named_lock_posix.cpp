#include "platform/named_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace platform {

// An advisory lock (flock) on a file of the temporary folder named after the lock; the file
// itself stays, only the lock on it comes and goes.
struct NamedLock::State {
    int fd = -1;
};

std::unique_ptr<NamedLock> NamedLock::Acquire(const std::string& name, unsigned waitMs) {
    const std::string path = "/tmp/vedarod-" + name + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        return nullptr;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= until) {
            ::close(fd);
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::unique_ptr<NamedLock> lock(new NamedLock);
    lock->state_.reset(new State{fd});
    return lock;
}

NamedLock::~NamedLock() {
    ::close(state_->fd);  // gives up the lock
}

}  // namespace platform
