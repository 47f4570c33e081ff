// Little-endian two's complement integers in byte buffers.
//
// `LeReader` reads fields in file order from a byte span. A read past the end of the span is
// not an error: every byte the span does not supply reads as zero, which is how the table and
// the object name database treat a file that ends early.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sondrel {

class LeReader {
public:
    explicit LeReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    // Copies `count` bytes to `out`, zero-filling what lies past the end.
    void read(std::uint8_t* out, std::size_t count) {
        if (count <= bytes_.size() - pos_) { // the usual case: all there
            std::copy_n(bytes_.data() + pos_, count, out);
            pos_ += count;
            return;
        }
        const std::size_t available = pos_ < bytes_.size() ? bytes_.size() - pos_ : 0;
        const std::size_t taken = std::min(count, available);
        std::copy_n(bytes_.data() + pos_, taken, out);
        std::fill_n(out + taken, count - taken, std::uint8_t{0});
        pos_ += taken;
        if (taken < count) {
            pos_ = bytes_.size();
        }
    }
    std::uint16_t u16() {
        std::uint8_t b[2];
        read(b, 2);
        return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32() {
        std::uint8_t b[4];
        read(b, 4);
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
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
