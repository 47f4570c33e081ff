// The sound table (.sfx): the level editor's 370 sound slots, the sound details they use
// and the indices of the samples in use.
//
// Layout (little-endian, two's complement, no header, no padding), with
// D = max(NumDetails, 0) and S = max(NumSamples, 0):
//
//   offset      size   content
//   0           740    SoundMap: 370 signed 16-bit detail indices, -1 for a silent slot
//   740         4      NumDetails, signed 32-bit, kept as read (may be 0 or negative)
//   744         8 * D  Details: D SoundDetail records
//   744 + 8D    4      NumSamples, signed 32-bit, kept as read (may be 0 or negative)
//   748 + 8D    4 * S  SampleIndices: S signed 32-bit values, carried unchanged
//
// A file that ends early reads as if the missing bytes were zero; bytes after the table are
// never read. A complete file read and written back unchanged is reproduced byte for byte.
// Counts above kMaxTableCount are refused: no real table comes near them, and they would
// only make the reader allocate memory for nothing.
#pragma once

#include "formats/failure.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace sondrel {

inline constexpr int kSoundSlots = 370;
inline constexpr std::int32_t kMaxTableCount = 1 << 20;
inline constexpr char kReadSFXFailed[] = "ReadSFX -> Can't read SFX";
inline constexpr char kWriteSFXFailed[] = "WriteSFX -> Can't write SFX";

// The failure of a table that could not be written: the fixed text, then `why` (a sentence
// naming the file) below it.
Failure TableWriteFailure(const std::string& why);

// Where detail `index` begins in a table file.
inline std::uint64_t DetailOffset(std::size_t index) {
    return 744 + 8 * std::uint64_t{index};
}

// One 8-byte sound detail.
//
//   offset  size  field    bits the editor uses
//   0       2     Sample   all: index of the sound's first sample (signed)
//   2       1     Volume   0xFE
//   3       1     Radius   0x1F: the range
//   4       1     Chance   0xFE
//   5       1     Pitch    0x7F
//   6       2     Flags    0x0003 loop mode, 0x007C sample count * 4,
//                          0x1000 N, 0x2000 P, 0x4000 V
//
// Bits the editor does not use are kept as read.
// A plain record, so that an array of them is cleared and filled as one block of memory:
// write SoundDetail{} for a cleared one.
struct SoundDetail {
    std::int16_t Sample;
    std::uint8_t Volume;
    std::uint8_t Radius;
    std::uint8_t Chance;
    std::uint8_t Pitch;
    std::uint16_t Flags;

    // The record as four 16-bit words: Sample; Volume | Radius << 8; Chance | Pitch << 8;
    // Flags.
    std::uint16_t word(int index) const;
    // The number of samples of the sound, 0..31.
    int sampleCount() const { return (Flags & 0x7C) / 4; }

    friend bool operator==(const SoundDetail&, const SoundDetail&) = default;
};

// The entries a count read from the file stands for: none for 0 or less.
inline std::size_t EntriesFor(std::int32_t count) {
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

struct SoundTable {
    std::array<std::int16_t, kSoundSlots> SoundMap{};
    std::int32_t NumDetails = 0;
    std::vector<SoundDetail> Details; // max(NumDetails, 0) entries
    std::int32_t NumSamples = 0;
    std::vector<std::int32_t> SampleIndices; // max(NumSamples, 0) entries

    friend bool operator==(const SoundTable&, const SoundTable&) = default;
};

// Parses a table from the bytes of a file. Throws Failure(TableRead) for a count above
// kMaxTableCount; anything else parses.
SoundTable ParseSFX(std::span<const std::uint8_t> bytes);

// The bytes of a complete file of `table`: 748 + 8 per detail + 4 per sample.
std::uintmax_t TableBytes(const SoundTable& table);

// The bytes of a table: 748 + 8D + 4S of them.
std::vector<std::uint8_t> SerializeSFX(const SoundTable& table);

// A table file exactly as it is on the disk: the table, and where the file ends other than
// where the table does. A file that ends early (its missing bytes read as zero) has `endsAt`,
// its length; a longer one keeps the bytes after the table in `after`. Never both.
struct TableFile {
    SoundTable table;
    std::optional<std::uintmax_t> endsAt;
    std::vector<std::uint8_t> after;

    friend bool operator==(const TableFile&, const TableFile&) = default;
};

// The most bytes kept after a table's end; a file with more is not a table.
inline constexpr std::size_t kMaxBytesAfterTable = 1u << 20;

// Parses a whole file. Throws Failure(TableRead) for a count above kMaxTableCount or more than
// kMaxBytesAfterTable bytes after the table.
TableFile ParseTableFile(std::span<const std::uint8_t> bytes);
// The bytes of the file: ParseTableFile's input, byte for byte.
std::vector<std::uint8_t> SerializeTableFile(const TableFile& file);
// Reads a whole table file (an existing regular file, never created). Throws
// Failure(TableRead) as ReadSFX does, and for a file of more than a table and
// kMaxBytesAfterTable.
TableFile ReadTableFile(const std::filesystem::path& path);

// A table the designer named (on a command line) stands for a choice in the open dialog, so
// it must be an existing regular file: throws Failure(TableNotFound) otherwise, saying which
// (none there, a folder, a named pipe), where ReadSFX would create it.
void RequireTable(const std::filesystem::path& path);

// Reads the table at `path`. A missing file is created empty and reads as an empty table; an
// existing one is only read. Throws Failure(TableRead) when the file can neither be read nor
// created, or a count is too large.
SoundTable ReadSFX(const std::filesystem::path& path);

// Writes `table` to `path` through a new file moved into place only when complete, so a
// failure leaves the old file as it was. Throws Failure(TableWrite).
void WriteSFX(const std::filesystem::path& path, const SoundTable& table);

} // namespace sondrel
