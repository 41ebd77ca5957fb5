// Checks inside fuzz targets: a failed check prints what failed and aborts, which both
// libFuzzer and the replay runner report as a failure together with the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace fuzz {

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

}  // namespace fuzz
