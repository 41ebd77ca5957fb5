// Writes resources into an executable as one all-or-nothing change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace rebrand {

struct ResourceUpdate {
    uint16_t type;      // RT_ICON, RT_STRING, ...
    uint16_t id;        // integer resource name
    uint16_t language;  // e.g. 2052
    std::string data;
};

// Adds or replaces the resources in the executable at exePath; every other resource stays
// as it was. The platform's resource-update functions work on a copy beside the
// executable, which replaces it (keeping its attributes and security) only when the whole
// update succeeded. On false the executable is unchanged.
bool UpdateExecutableResources(const std::u16string& exePath,
                               const std::vector<ResourceUpdate>& updates);

}  // namespace rebrand
