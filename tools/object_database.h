// A writer for the object name database, which the program only reads: the example generator
// makes the example database with it, and the tests make theirs.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sondrel {

using Bytes = std::vector<std::uint8_t>;

// Appends a little-endian 32-bit number.
void AppendI32(Bytes& out, std::int32_t value);

// The seven sections of an object name database. Sections 3 to 6 carry 4 more bytes per
// entry, written as `tag`.
struct ObjectDatabase {
    std::array<std::vector<std::string>, 6> skipped;
    std::vector<std::string> names;
    std::int32_t tag = 0x11223344;

    Bytes bytes() const;
};

} // namespace sondrel
