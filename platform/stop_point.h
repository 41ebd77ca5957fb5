// Named points where a test stops or holds up the process. When the environment variable
// VEDAROD_STOP_AT names the point ("name", or "name#n" for the n-th time it is reached), the
// process ends there at once with exit code 99, without running destructors or closing
// anything itself, as a kill would leave it. When VEDAROD_PAUSE_AT names it, the process
// waits there VEDAROD_PAUSE_MS milliseconds (default 1000) each time, so that another
// process can be started against it. Without the variables a point costs two lookups of the
// environment.
#pragma once

namespace platform {

void StopPoint(const char* name);

}  // namespace platform
