#include "platform/stop_point.h"

#include <chrono>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

namespace platform {

void StopPoint(const char* name) {
    const char* stop = std::getenv("VEDAROD_STOP_AT");
    if (stop != nullptr) {
        const std::string wanted = stop;
        const size_t hash = wanted.find('#');
        if (wanted.compare(0, hash, name) == 0 && (hash != std::string::npos || wanted == name)) {
            static std::mutex m;
            static std::map<std::string, long> reached;
            std::lock_guard<std::mutex> guard(m);
            const long n = hash == std::string::npos ? 1 : std::atol(wanted.c_str() + hash + 1);
            if (++reached[name] == n) {
                std::_Exit(99);
            }
        }
    }
    const char* pause = std::getenv("VEDAROD_PAUSE_AT");
    if (pause != nullptr && std::string(pause) == name) {
        const char* ms = std::getenv("VEDAROD_PAUSE_MS");
        std::this_thread::sleep_for(
            std::chrono::milliseconds(ms != nullptr ? std::atol(ms) : 1000));
    }
}

}  // namespace platform
