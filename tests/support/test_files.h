// Helpers shared by the tests and the example generator: temporary folders, whole-file
// reads and writes, and a writer for the object name database (the program only reads it).
#pragma once

#include "formats/sound_table.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::testing {

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // The names of the entries in the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

Bytes ReadAll(const std::filesystem::path& path);
void WriteAll(const std::filesystem::path& path, const Bytes& bytes);
void WriteText(const std::filesystem::path& path, const std::string& text);
std::string ReadText(const std::filesystem::path& path);

void AppendI32(Bytes& out, std::int32_t value);

// A table whose slots use the given details, every other slot silent, with `samples` samples
// whose indices count up from 0.
SoundTable TableOf(const std::vector<std::pair<int, std::int16_t>>& slots,
                   std::vector<SoundDetail> details, std::int32_t samples);

// The seven sections of an object name database. Sections 3 to 6 carry 4 more bytes per
// entry, written as `tag`.
struct ObjectDatabase {
    std::array<std::vector<std::string>, 6> skipped;
    std::vector<std::string> names;
    std::int32_t tag = 0x11223344;

    Bytes bytes() const;
};

} // namespace sondrel::testing
