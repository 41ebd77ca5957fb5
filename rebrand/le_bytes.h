// Little-endian fields in byte strings (the layout of every PE and resource structure).
// Callers check the bounds; these only read and write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rebrand {

inline uint16_t Le16(std::string_view data, size_t pos) {
    return static_cast<uint16_t>(static_cast<uint8_t>(data[pos]) |
                                 (static_cast<uint8_t>(data[pos + 1]) << 8));
}

inline uint32_t Le32(std::string_view data, size_t pos) {
    return static_cast<uint32_t>(Le16(data, pos)) |
           (static_cast<uint32_t>(Le16(data, pos + 2)) << 16);
}

inline void PutLe16(std::string& data, size_t pos, uint16_t value) {
    data[pos] = static_cast<char>(value & 0xFF);
    data[pos + 1] = static_cast<char>(value >> 8);
}

inline void PutLe32(std::string& data, size_t pos, uint32_t value) {
    PutLe16(data, pos, static_cast<uint16_t>(value & 0xFFFF));
    PutLe16(data, pos + 2, static_cast<uint16_t>(value >> 16));
}

inline void AppendLe16(std::string& data, uint16_t value) {
    data.push_back(static_cast<char>(value & 0xFF));
    data.push_back(static_cast<char>(value >> 8));
}

inline void AppendLe32(std::string& data, uint32_t value) {
    AppendLe16(data, static_cast<uint16_t>(value & 0xFFFF));
    AppendLe16(data, static_cast<uint16_t>(value >> 16));
}

}  // namespace rebrand
