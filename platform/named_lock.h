// A lock that every process of the machine sees under one name, held by one process at a
// time and given up by the system when its holder ends, killed or not.
#pragma once

#include <memory>
#include <string>

namespace platform {

class NamedLock {
public:
    // Waits up to waitMs for the lock called name (letters, digits, '-' and '.'). Null when
    // another process held it all that time, or when the system has no such lock to give.
    // Whether a second Acquire of a held name in the same process waits differs per system:
    // callers count their own holds.
    static std::unique_ptr<NamedLock> Acquire(const std::string& name, unsigned waitMs);
    ~NamedLock();
    NamedLock(const NamedLock&) = delete;
    NamedLock& operator=(const NamedLock&) = delete;

private:
    NamedLock() = default;
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
