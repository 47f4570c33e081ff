// Little-endian two's complement integers in byte buffers. The callers check the bounds.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// The files' numbers are little-endian, as the machines the level editor runs on; the readers
// copy whole records into memory, so a big-endian machine is refused here rather than served
// by code that never runs.
static_assert(std::endian::native == std::endian::little, "Sondrel needs a little-endian machine");

namespace sondrel {

inline std::uint32_t Le32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

inline void PutU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void PutI32(std::vector<std::uint8_t>& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>((bits >> shift) & 0xFF));
    }
}

} // namespace sondrel
