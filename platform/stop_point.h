// Named points where a test stops the process as a kill would: when the environment
// variable VEDAROD_STOP_AT names the point, the process ends there at once (exit code 99),
// without running destructors or closing anything itself. Without the variable a point
// costs one lookup of the environment.
#pragma once

namespace platform {

void StopPoint(const char* name);

}  // namespace platform
