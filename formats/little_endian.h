// Little-endian two's complement integers in byte buffers, and a cursor that reads them.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

// The files' numbers are little-endian, as the machines the level editor runs on; the readers
// copy whole records into memory, so a big-endian machine is refused here rather than served
// by code that never runs.
static_assert(std::endian::native == std::endian::little, "Sondrel needs a little-endian machine");

namespace sondrel {

inline std::uint16_t Le16(const std::uint8_t* at) {
    return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

inline std::uint32_t Le32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// Reads a file's bytes held in memory in order, from a position that may be moved anywhere
// at or after the start. What lies past the end reads as missing: numbers there are 0, and a
// copy leaves the destination's bytes there as they were.
class LittleEndianCursor {
public:
    explicit LittleEndianCursor(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::int64_t size() const { return static_cast<std::int64_t>(bytes_.size()); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::int64_t pos() const { return pos_; }
    void moveTo(std::int64_t pos) { pos_ = pos; } // callers keep it at 0 or after
    // How many of the next `count` bytes the file holds.
    std::size_t held(std::size_t count) const {
        return pos_ >= size() ? 0 : std::min(count, bytes_.size() - static_cast<std::size_t>(pos_));
    }
    // Copies the next `count` bytes, as far as the file holds them, and moves past all of them.
    void read(void* out, std::size_t count) {
        const std::size_t taken = held(count);
        if (taken > 0) { // an empty array or file may have no address at all
            std::memcpy(out, bytes_.data() + pos_, taken);
        }
        pos_ += static_cast<std::int64_t>(count);
    }
    std::int32_t i32() {
        std::uint8_t at[4] = {};
        if (held(4) == 4) { // read in place: a copy to the stack would stall the load after it
            pos_ += 4;
            return static_cast<std::int32_t>(Le32(bytes_.data() + pos_ - 4));
        }
        read(at, 4);
        return static_cast<std::int32_t>(Le32(at));
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::int64_t pos_ = 0;
};

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
