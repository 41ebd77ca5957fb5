// Byte strings written as hexadecimal digits in tests.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace testbytes {

// Two digits a byte, no separators.
inline std::string FromHex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    }
    return bytes;
}

}  // namespace testbytes
