// Writes resources into an executable as one all-or-nothing change.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace rebrand {

struct ResourceUpdate {
    uint16_t type;      // RT_ICON, RT_STRING, ...
    uint16_t id;        // integer resource name
    uint16_t language;  // e.g. 2052
    std::string data;
};

struct UpdateResult {
    // What the executable holds afterwards (platform/files.h): kWritten only when every
    // update was made.
    platform::WriteResult write;
    // Refused because the update would have moved this section (the executable is
    // unchanged); empty otherwise.
    std::string movedSection;
    bool Updated() const { return write.Written(); }
};

// Adds or replaces the resources in the executable at exePath; every other resource stays
// as it was. The platform's resource-update functions work on a copy beside the
// executable, which replaces it (keeping its attributes and security, platform's safe
// replace) only when the whole update succeeded and every section that code or data refer
// to by address kept its address in the copy. An executable that does not resolve inside
// root (when given) is refused before it is read.
UpdateResult UpdateExecutableResources(const std::u16string& exePath,
                                       const std::vector<ResourceUpdate>& updates,
                                       const std::u16string& root = {});

}  // namespace rebrand
