// The system error codes the core reports for refusals of its own, as the platform's own
// values, so that a message shows the code the system would have given.
#pragma once

#if !defined(_WIN32)
#include <cerrno>
#endif

namespace platform {

#if defined(_WIN32)
constexpr int kErrorAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr int kErrorInvalidData = 13;  // ERROR_INVALID_DATA
#else
constexpr int kErrorAccessDenied = EACCES;
constexpr int kErrorInvalidData = EINVAL;
#endif

}  // namespace platform
