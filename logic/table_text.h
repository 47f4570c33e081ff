// The text form of a table and its sample list: one UTF-8 text that holds every byte of both,
// for review, diffs and merges (sondrel-text; the merge is table_merge.h's).
//
//   sondrel-text 1
//   # comments, and blank lines, are passed over
//   details 5                      the table's NumDetails, as stored
//   samples 8                      its NumSamples
//   slot 45: detail 0              one line per slot that holds anything but -1
//   detail 0: "KV5 Sound 12 - 45", range 5, volume 100, pitch 100, chance 4, flags VR; bytes 00 00
//   FA E5 0A 7E 06 40 index 0: 17                    one line per sample index the table carries
//   after the table: 0D 0A         bytes after the table's end, or
//   the file ends at byte 900      a file shorter than its counts say
//   sample list                    the sample list beside the table, when there is one,
//   line "KV5 Sound 12.wav"        byte for byte: a line of it and its CR LF,
//   lf line "Door.wav"             a line that ends in a LF alone,
//   last line "notes"              and what follows its last LF, where anything does
//
// A detail's bytes are what the table stores; its name and its values (in the fields' units,
// its flags as the labels' letters, "-" for none) only show them. A hand edit changes the
// bytes; values that no longer say what the bytes do are refused, naming the line, and may be
// left out. The name is never read. Quoted text is the 8-bit names as the window shows them
// (each byte the character of its code): \" \\ \r \n \t, and \xHH for any byte.
#pragma once

#include "formats/sound_table.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

inline constexpr std::string_view kTextFormHeader = "sondrel-text 1";
// The largest text read: far beyond the text of the largest table and sample list (1.3 GB at
// most, every byte of the list written as \xHH), so that no text is read without end.
inline constexpr std::uint64_t kMaxTableTextBytes = std::uint64_t{4} << 30;

// A table file and, where there is one, the bytes of the sample list beside it.
struct TableWithList {
    TableFile table;
    std::optional<std::string> sampleList;

    friend bool operator==(const TableWithList&, const TableWithList&) = default;
};

// The text of a pair. The names of the sounds come from its sample list as the window lists
// them, the native ones by their slot; with no sample list, or one the table does not fit,
// the details have no names. The same pair always gives the same text. WriteTableText writes
// it out line by line, holding no more than a line.
std::string TableText(const TableWithList& pair);
void WriteTableText(const TableWithList& pair, std::ostream& out);

// One detail's line, as TableText writes it; `name` empty for none.
std::string DetailLine(std::size_t index, const SoundDetail& detail, const std::string& name);
// What its line says of a detail's values: "range 5, volume 100, pitch 100, chance 4, flags VR".
std::string DetailValues(const SoundDetail& detail);
// A detail's eight bytes as the text writes them: "00 00 96 0C 00 7E 04 00".
std::string DetailBytes(const SoundDetail& detail);

// The names TableText gives the details, in their order ("" where none).
std::vector<std::string> DetailNames(const TableWithList& pair);

// A text that is not a table's: the line (from 1) and what is wrong there.
class TextError : public std::runtime_error {
public:
    TextError(std::size_t line, const std::string& what)
        : std::runtime_error("line " + std::to_string(line) + ": " + what), line_(line) {}
    std::size_t line() const { return line_; }

private:
    std::size_t line_;
};

// Where a text gave the parts of its pair, for a message that names the line.
struct TextPlaces {
    std::size_t samples = 0;            // the line of "samples N"
    std::vector<std::uint32_t> details; // the line of each detail
    // Each line of the sample list's section: where its bytes begin in the list, and its line.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> list;
    std::size_t ends = 0; // the line of "the file ends at byte N"; 0 where there is none

    // The line of the text that gives byte `byte` of the sample list.
    std::size_t lineOfListByte(std::size_t byte) const;
};

// The pair a text holds. Throws TextError for anything that is not as TableText writes it
// (other spacing aside, and a byte-order mark at its start): an unknown line, a number out of
// its range, a detail, slot or index given twice or missing, values that do not say what the
// bytes do, a character outside the names' 8-bit code, a text longer than kMaxTableTextBytes.
// Read from a stream, it is taken a piece at a time: the memory taken is the pair's, bounded
// by the counts' limits and the sample list's, and a piece. `places`, where given, receives
// where the text gave what.
TableWithList ReadTableText(std::string_view text, TextPlaces* places = nullptr);
TableWithList ReadTableText(std::istream& in, TextPlaces* places = nullptr);

} // namespace sondrel
