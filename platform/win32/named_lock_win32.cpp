#include "platform/named_lock.h"

#include <windows.h>

namespace platform {

// A named mutex of the global namespace, so that instances in other sessions see it too; a
// mutex whose holder ended without releasing it comes as WAIT_ABANDONED, which owns it.
struct NamedLock::State {
    HANDLE mutex = nullptr;
};

std::unique_ptr<NamedLock> NamedLock::Acquire(const std::string& name, unsigned waitMs) {
    HANDLE mutex = nullptr;
    for (const char* space : {"Global\\VedArod-", "Local\\VedArod-"}) {
        const std::string full = space + name;
        const std::wstring wide(full.begin(), full.end());
        mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
        if (mutex != nullptr) {
            break;
        }
    }
    if (mutex == nullptr) {
        return nullptr;
    }
    const DWORD waited = WaitForSingleObject(mutex, waitMs);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        return nullptr;
    }
    std::unique_ptr<NamedLock> lock(new NamedLock);
    lock->state_.reset(new State{mutex});
    return lock;
}

NamedLock::~NamedLock() {
    ReleaseMutex(state_->mutex);
    CloseHandle(state_->mutex);
}

}  // namespace platform
