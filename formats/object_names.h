// The object name database "KV4Objects.dat" beside the program, whose last section names
// the level editor's native sound slots.
//
// Seven sections back to back, each a signed 32-bit count C and C entries (little-endian):
//
//   section  entry                                   use
//   1, 2     32-bit length L, L bytes                skipped
//   3 to 6   32-bit length L, L bytes, 4 more bytes  skipped
//   7        32-bit length L, L bytes of the name    entry i names sound slot i
//
// Sections 1 to 6 are passed over by moving the position, never read as names. A count of 0 or less
// is an empty section, a length of 0 or less an empty name. A file that ends early reads as
// zeros past its end: the later counts are 0 and their sections empty; a name that runs past
// the end keeps the bytes the file holds. Nothing after section 7 is read.
#pragma once

#include "formats/failure.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

inline constexpr int kObjectNameCount = 541;
inline constexpr char kObjectDatabaseName[] = "KV4Objects.dat";

// No object's name comes near this; a longer one is a damaged database.
inline constexpr std::int32_t kMaxObjectNameBytes = 4096;

// Nor does a database come near this: a larger one is refused rather than read into memory.
inline constexpr std::size_t kMaxObjectDatabaseBytes = 64u << 20;

// Names 0..540, held as one block of bytes (the database as read, or the names given) and
// where each lies in it; the database does not have to supply them all, and the rest stay
// empty.
class ObjectNameTable {
public:
    std::string_view operator[](std::size_t slot) const {
        return {reinterpret_cast<const char*>(bytes_.data()) + spans_[slot].offset,
                spans_[slot].length};
    }
    static constexpr std::size_t size() { return kObjectNameCount; }
    // Gives `slot` its name (the examples, the tests), in place of any it had.
    void set(std::size_t slot, std::string_view name);

    friend bool operator==(const ObjectNameTable& a, const ObjectNameTable& b);

private:
    friend ObjectNameTable ParseObjectNames(std::vector<std::uint8_t> bytes,
                                            const std::filesystem::path& file);
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    std::vector<std::uint8_t> bytes_;
    std::array<Span, kObjectNameCount> spans_{};
};

// Reads the names from the bytes of a database. Throws Failure(ObjectDatabasePosition) when
// a skip would move before the start of the file or out of the signed 32-bit range,
// Failure(ObjectDatabaseTooManyNames) for a 542nd name, and Failure(ObjectNameTooLong) for a
// name above kMaxObjectNameBytes. `file` only names it in a failure.
ObjectNameTable ParseObjectNames(std::span<const std::uint8_t> bytes,
                                 const std::filesystem::path& file);
// The same over bytes it keeps: the names are read where they lie, not copied.
ObjectNameTable ParseObjectNames(std::vector<std::uint8_t> bytes,
                                 const std::filesystem::path& file);

// Reads the database at `path`. Where there is none, every name stays empty and nothing is
// created. Throws as ParseObjectNames does, Failure(ObjectDatabaseOpen) when an existing
// database cannot be opened, and Failure(ObjectDatabaseTooLarge) for one above
// kMaxObjectDatabaseBytes.
ObjectNameTable LoadObjectNames(const std::filesystem::path& path);

// The folders a database is looked for in, first found wins: the running program's folder,
// then, except on Windows, the user's data folder and the system's data folders, each's
// "sondrel" folder ($XDG_DATA_HOME or ~/.local/share, then $XDG_DATA_DIRS or
// /usr/local/share and /usr/share).
std::vector<std::filesystem::path> ObjectDatabaseFolders();

// The database in the first of `folders` that has one, or an empty path where none has.
std::filesystem::path FindObjectDatabase(const std::vector<std::filesystem::path>& folders);

// The names of that database; all empty where there is none.
ObjectNameTable LoadObjectNames();

// The folder that holds the running program's executable.
std::filesystem::path ProgramFolder();

} // namespace sondrel
