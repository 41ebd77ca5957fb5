// Byte order of the host, for code that moves UTF-16LE bytes in and out of char16_t.
#pragma once

#include <cstdint>
#include <cstring>

namespace lang {

inline bool HostIsLittleEndian() {
    const uint16_t probe = 1;
    unsigned char first = 0;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

}  // namespace lang
