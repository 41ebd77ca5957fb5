#include "platform/stop_point.h"

#include <cstdlib>
#include <cstring>

namespace platform {

void StopPoint(const char* name) {
    const char* wanted = std::getenv("VEDAROD_STOP_AT");
    if (wanted != nullptr && std::strcmp(wanted, name) == 0) {
        std::_Exit(99);
    }
}

}  // namespace platform
