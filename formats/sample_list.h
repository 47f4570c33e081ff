// The sample list (.sam) beside a sound table: one sample file name per line, line k + 1
// naming sample k. The table's NumSamples alone says how many names belong to it.
//
// Reading takes the file as a sequence of fields, one name each:
//   - spaces (not tabs) before a field are skipped;
//   - a field beginning with a double quote runs to the next double quote on the same line;
//     the quotes are not part of the name. Anything between the closing quote and the next
//     comma or line end is passed over. A quote left open runs to the end of its line;
//   - any other field ends at the next comma or line end, its trailing spaces kept;
//   - a comma ends the field only: the next one begins right after it, so "a," is the names
//     "a" and "";
//   - CR LF, a lone LF and a lone CR each end a line; an empty line is an empty name;
//   - exactly `count` names are read; what follows them (spare names, notes) is kept as it is,
//     from the byte after the last name's comma or line end.
// A name is the bytes between its field's start and end (or its quotes): the names are held as
// the list's own bytes and where each lies in them.
// Names are byte strings in the system's 8-bit code page, kept and written back byte for byte.
//
// Writing puts each name on a line of its own ending in CR LF. A name that would read back
// as something else bare (one holding a comma, or beginning with a space or a double quote)
// is written between double quotes, so that every name the reader produces survives a save.
// What followed the names is written after them, byte for byte.
#pragma once

#include "formats/failure.h"
#include "formats/safe_save.h"
#include "formats/sound_table.h"

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// No file name comes near this; a longer line is a broken file, not a name.
inline constexpr std::size_t kMaxSampleLineBytes = 16u << 20;
// Nor a longer name.
inline constexpr std::size_t kMaxSampleNameBytes = 4096;
// All the names of a list together, with what follows them: far above any table's, and a
// bound on the memory taken.
inline constexpr std::size_t kMaxSampleListNameBytes = 256u << 20;
// A UTF-8 byte-order mark, which some editors put at the start of a text file.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// The sample list's path, always beside the table: where the table's file name ends in a dot
// and three characters, those three are replaced by "sam", whatever they are ("level.SFX"
// gives "level.sam"); any other name gets ".sam" added ("sounds" gives "sounds.sam").
std::filesystem::path SampleListPath(const std::filesystem::path& table);

// The names of a sample list: the list's own bytes, held as one block, and where each name
// lies in them; with what the list holds besides (a byte-order mark at its start, the bytes
// after the names the table uses) so that a save writes it back. Reading and listing take no
// memory a name.
class SampleNames {
public:
    SampleNames() = default;
    // Names given one by one (as the examples and the tests make them), held as one block too.
    SampleNames(std::initializer_list<std::string_view> names);
    explicit SampleNames(const std::vector<std::string>& names);
    SampleNames(const SampleNames& other);
    SampleNames(SampleNames&& other) noexcept;
    SampleNames& operator=(SampleNames other) noexcept;

    std::size_t size() const { return spans_.size(); }
    std::string_view operator[](std::size_t k) const {
        return text_.substr(spans_[k].offset, spans_[k].length);
    }
    bool byteOrderMark() const { return byteOrderMark_; }
    // What follows the names: spare names, notes.
    std::string_view rest() const { return text_.substr(restAt_); }
    // The whole text the names were read from.
    std::string_view text() const { return text_; }

    // The same names, mark and rest.
    friend bool operator==(const SampleNames& a, const SampleNames& b);

private:
    friend class SampleListParser;
    struct Span {
        std::uint32_t offset = 0;
        std::uint32_t length = 0;
    };
    void add(std::string_view name);

    std::string owned_;     // the list's bytes, where the names hold them
    std::string_view text_; // the list's bytes: owned_, or a text the caller keeps
    std::vector<Span> spans_;
    std::size_t restAt_ = 0;
    bool byteOrderMark_ = false;
};

// The largest sample list file read: the largest list of names Sondrel writes, each quoted on
// a line of its own, after a byte-order mark. A list of names that fits the limits above is
// never longer, unless its lines are padded; a longer file is refused rather than read.
inline constexpr std::size_t kMaxSampleListFileBytes =
    kMaxSampleListNameBytes + 4 * std::size_t{kMaxTableCount} + kByteOrderMark.size();

// Reads `count` names from the whole text of a sample list, which it keeps. A byte-order mark
// at the very start is not part of the first name. `file` only names the list in a failure.
// Throws NoSamples when `count` is 0 or less, SampleListShort when the text ends before
// `count` names, SampleListLineTooLong for a line above kMaxSampleLineBytes, SampleNameTooLong
// for a name above kMaxSampleNameBytes, and SampleListTooLarge when the names and the rest add
// up to more than kMaxSampleListNameBytes, or the text is longer than kMaxSampleListFileBytes.
SampleNames ParseSampleNames(std::string text, std::int32_t count,
                             const std::filesystem::path& file);
// The same over a text the caller keeps, and keeps alive as long as the names.
SampleNames ViewSampleNames(std::string_view text, std::int32_t count,
                            const std::filesystem::path& file);

// The bytes of the sample list at `path`, an existing regular file of at most
// kMaxSampleListFileBytes. Throws SampleListOpen when the file cannot be opened or read, or is
// not a regular file, and SampleListTooLarge when it is larger.
std::string ReadSampleListFile(const std::filesystem::path& path);

// Reads `count` names from the sample list at `path`: ReadSampleListFile, then
// ParseSampleNames.
SampleNames ReadSampleNames(const std::filesystem::path& path, std::int32_t count);

// How much of a sample list's text the writer hands over at a time.
inline constexpr std::size_t kSampleListPieceBytes = 1u << 16;

// The text of a sample list holding names 0 to count - 1, after a byte-order mark where the
// list had one, and before its rest. SampleNamesText hands it over in pieces of about
// kSampleListPieceBytes, for a file written without holding it whole; `names` must outlive it.
std::string SerializeSampleNames(const SampleNames& names, std::int32_t count);
ByteSource SampleNamesText(const SampleNames& names, std::int32_t count);

// Writes names 0 to count - 1 to `path` through a new file moved into place when complete.
// Throws Failure(SampleListWrite), leaving any old file as it was.
void WriteSampleNames(const std::filesystem::path& path, const SampleNames& names,
                      std::int32_t count);

} // namespace sondrel
