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
#include <optional>
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

// What a sample list holds besides the names the table uses, kept so that a save writes it
// back: a byte-order mark at its start, and the bytes after the last name.
struct SampleListForm {
    bool byteOrderMark = false;
    std::string rest;

    friend bool operator==(const SampleListForm&, const SampleListForm&) = default;
};

// How much of a sample list the file reader takes at a time.
inline constexpr std::size_t kSampleListPieceBytes = 1u << 16;

// Reads names from the text of a sample list handed over in pieces of any size, split
// anywhere, even inside a CR LF: the file reader hands over what it reads, ParseSampleNames
// the whole text at once, and both get the same names from the same text. A byte-order mark
// at the very start is not part of the first name. `file` only names the list in a failure.
// Throws NoSamples when `count` is 0 or less, SampleListLineTooLong for a line above
// kMaxSampleLineBytes, SampleNameTooLong for a name above kMaxSampleNameBytes, and
// SampleListTooLarge when the names and the rest add up to more than kMaxSampleListNameBytes.
class SampleListReader {
public:
    SampleListReader(std::int32_t count, const std::filesystem::path& file);

    // Takes the next piece; what follows the `count` names is the rest.
    void feed(std::string_view piece);
    bool done() const { return names_.size() == wanted_; }
    // The names, once the text has ended. Throws SampleListShort when it ended too early.
    std::vector<std::string> finish();
    // Whether the text began with a byte-order mark, and what followed the names: once, after
    // finish().
    SampleListForm takeForm() { return {byteOrderMark_, std::move(rest_)}; }

private:
    enum class State {
        BeforeField, // spaces are skipped
        Bare,        // up to a comma or the line end
        Quoted,      // up to the closing quote or the line end
        AfterQuote,  // passed over up to a comma or the line end
    };
    void consume(std::string_view piece);
    // The names are read, and so is the last one's end: after a closing quote, what is passed
    // over up to the comma or line end belongs to the name, not to the rest.
    bool restBegun() const { return done() && state_ != State::AfterQuote; }
    void keepRest(std::string_view bytes);
    void endLine();
    void addName();
    void checkNameLength() const;
    void countLineBytes(std::size_t bytes);

    std::filesystem::path file_;
    std::size_t wanted_ = 0;
    std::vector<std::string> names_;
    std::string rest_;
    std::string field_;
    State state_ = State::BeforeField;
    std::size_t lineBytes_ = 0;
    bool lineOpen_ = false; // the current line has bytes
    bool afterCr_ = false;  // a LF next belongs to the CR before it
    std::size_t line_ = 1;
    std::size_t totalBytes_ = 0;
    std::size_t markMatched_ = 0; // bytes of a byte-order mark seen at the start
    bool markDecided_ = false;
    bool byteOrderMark_ = false;
};

// Reads `count` names from the whole text of a sample list, as SampleListReader does, and
// gives in `form` (where given) what it holds besides them.
std::vector<std::string> ParseSampleNames(std::string_view text, std::int32_t count,
                                          const std::filesystem::path& file,
                                          SampleListForm* form = nullptr);

// Reads `count` names, and in `form` what follows them, from the sample list at `path`.
// Throws as SampleListReader does, and SampleListOpen when the file cannot be opened or read,
// or is not a regular file.
std::vector<std::string> ReadSampleNames(const std::filesystem::path& path, std::int32_t count,
                                         SampleListForm* form = nullptr);

// The text of a sample list holding names 0 to count - 1, in the form given: after a
// byte-order mark where it had one, and before its rest. SampleNamesText hands it over in
// pieces of about kSampleListPieceBytes, for a file written without holding it whole.
std::string SerializeSampleNames(const std::vector<std::string>& names, std::int32_t count,
                                 const SampleListForm& form = {});
ByteSource SampleNamesText(const std::vector<std::string>& names, std::int32_t count,
                           const SampleListForm& form);

// Writes names 0 to count - 1 to `path` through a new file moved into place when complete.
// Throws Failure(SampleListWrite), leaving any old file as it was.
void WriteSampleNames(const std::filesystem::path& path, const std::vector<std::string>& names,
                      std::int32_t count, const SampleListForm& form = {});

} // namespace sondrel
