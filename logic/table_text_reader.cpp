#include "formats/sample_names.h"
#include "logic/digits.h"
#include "logic/table_text.h"
#include "logic/units.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <istream>
#include <limits>

namespace sondrel {
namespace {

// The bytes of a text, from memory or read from a stream in pieces, looked at a few at a time:
// what has been read is let go, so a text of any size takes the memory of a piece.
class TextSource {
public:
    explicit TextSource(std::string_view text) : text_(text) {}
    explicit TextSource(std::istream& in) : in_(&in), buffer_(kPiece) {}

    // The byte `ahead` bytes on (fewer than kPiece), or -1 past the end of the text.
    int peek(std::size_t ahead = 0) {
        if (at_ + ahead >= text_.size() && !fill(ahead)) {
            return -1;
        }
        return static_cast<unsigned char>(text_[at_ + ahead]);
    }
    void skip(std::size_t bytes = 1) {
        at_ += bytes;
        read_ += bytes;
    }
    std::uint64_t read() const { return read_; }

private:
    static constexpr std::size_t kPiece = std::size_t{1} << 16;

    // Keeps what is not read yet and reads on; false at the end of the text.
    bool fill(std::size_t ahead) {
        if (in_ == nullptr) {
            return false;
        }
        const std::size_t kept = text_.size() - std::min(at_, text_.size());
        std::memmove(buffer_.data(), text_.data() + (text_.size() - kept), kept);
        in_->read(buffer_.data() + kept, static_cast<std::streamsize>(kPiece - kept));
        text_ = std::string_view(buffer_.data(), kept + static_cast<std::size_t>(in_->gcount()));
        at_ = 0;
        return ahead < text_.size(); // a stream that cannot be read ends here: its caller asks
    }

    std::istream* in_ = nullptr;
    std::vector<char> buffer_;
    std::string_view text_;
    std::size_t at_ = 0;
    std::uint64_t read_ = 0;
};

// The lines of a text, taken apart from their starts.
class LineReader {
public:
    explicit LineReader(TextSource& in) : in_(in) {}

    std::size_t number() const { return number_; }
    [[noreturn]] void fail(const std::string& what) const { throw TextError(number_, what); }

    // Begins the next line; false at the end of the text.
    bool next() {
        if (in_.peek() < 0) {
            return false;
        }
        ++number_;
        if (in_.read() > kMaxTableTextBytes) {
            fail("the text is larger than any table's");
        }
        return true;
    }
    // Passes over the rest of the line and its end, whatever it holds.
    void skipLine() {
        for (int c = in_.peek(); c >= 0 && c != '\n'; c = in_.peek()) {
            in_.skip();
        }
        in_.skip();
    }

    void spaces() {
        while (in_.peek() == ' ' || in_.peek() == '\t') {
            in_.skip();
        }
    }
    bool take(std::string_view word) {
        spaces();
        for (std::size_t i = 0; i < word.size(); ++i) {
            if (in_.peek(i) != static_cast<unsigned char>(word[i])) {
                return false;
            }
        }
        in_.skip(word.size());
        return true;
    }
    void expect(std::string_view word) {
        if (!take(word)) {
            fail("\"" + std::string(word) + "\" expected");
        }
    }
    // The line ends here: a LF, a CR LF (a text saved with CR LF line ends reads the same) or
    // the end of the text.
    bool atEnd() {
        spaces();
        const int c = in_.peek();
        return c < 0 || c == '\n' || (c == '\r' && (in_.peek(1) == '\n' || in_.peek(1) < 0));
    }
    void end() {
        if (!atEnd()) {
            std::string rest;
            for (int c = in_.peek(); c >= 0 && c != '\n' && rest.size() < 40; c = in_.peek()) {
                rest += static_cast<char>(c);
                in_.skip();
            }
            fail("unexpected \"" + rest + "\"");
        }
        skipLine();
    }
    // The letters of the flags, or "-".
    std::string letters() {
        spaces();
        std::string letters;
        while (in_.peek() >= 0 && std::strchr("PVRLN-", in_.peek()) != nullptr &&
               letters.size() < 8) {
            letters += static_cast<char>(in_.peek());
            in_.skip();
        }
        if (letters.empty()) {
            fail("the flags' letters (of P V R L N), or \"-\", expected");
        }
        return letters;
    }
    bool startsQuote() {
        spaces();
        return in_.peek() == '"';
    }

    // A whole number from `low` to `high`.
    long long number(long long low, long long high, const char* what) {
        spaces();
        char digits[64];
        std::size_t length = 0;
        while (length < sizeof digits &&
               (IsDigit(in_.peek(length)) || (length == 0 && in_.peek() == '-'))) {
            digits[length] = static_cast<char>(in_.peek(length));
            ++length;
        }
        long long value = 0;
        const auto [end, error] = std::from_chars(digits, digits + length, value);
        if (error != std::errc() || end != digits + length || value < low || value > high) {
            fail(std::string(what) + " must be a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
        }
        in_.skip(length);
        return value;
    }
    std::uint8_t hexByte() {
        spaces();
        const int high = DigitValue(in_.peek(0), 16);
        const int low = DigitValue(in_.peek(1), 16);
        const int after = in_.peek(2);
        if (high < 0 || low < 0 ||
            !(after < 0 || after == ' ' || after == '\t' || after == '\n' || after == '\r')) {
            fail("a byte of two hexadecimal digits expected");
        }
        in_.skip(2);
        return static_cast<std::uint8_t>(high * 16 + low);
    }
    // Quoted 8-bit text, as Quoted writes it, each byte handed to `keep`.
    template <class Keep> void quoted(Keep keep) {
        spaces();
        if (in_.peek() != '"') {
            fail("text in double quotes expected");
        }
        in_.skip();
        for (int c = in_.peek(); c != '"'; c = in_.peek()) {
            if (c < 0 || c == '\n' || (c == '\r' && (in_.peek(1) == '\n' || in_.peek(1) < 0))) {
                fail("the closing double quote is missing");
            }
            if (c == '\\') {
                keep(escaped());
            } else if (c < 0x20 || c == 0x7F) {
                fail("a control character in quoted text must be written \\xHH");
            } else if (c < 0x80) {
                keep(static_cast<char>(c));
                in_.skip();
            } else {
                // Two bytes of UTF-8, for U+0080 to U+00FF: the characters of the 8-bit codes.
                const int next = in_.peek(1);
                if ((c != 0xC2 && c != 0xC3) || next < 0 || (next & 0xC0) != 0x80) {
                    fail("only the characters of the names' 8-bit code (up to U+00FF) can stand "
                         "in quoted text; write any other byte as \\xHH");
                }
                keep(static_cast<char>(((c & 0x03) << 6) | (next & 0x3F)));
                in_.skip(2);
            }
        }
        in_.skip();
    }

private:
    char escaped() {
        const int kind = in_.peek(1);
        in_.skip(2);
        switch (kind) {
        case '"':
        case '\\':
            return static_cast<char>(kind);
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'x': {
            const int high = DigitValue(in_.peek(0), 16);
            const int low = DigitValue(in_.peek(1), 16);
            if (high < 0 || low < 0) {
                fail("a byte of two hexadecimal digits expected");
            }
            in_.skip(2);
            return static_cast<char>(high * 16 + low);
        }
        default:
            fail("unknown escape in quoted text: write \\\" \\\\ \\r \\n \\t or \\xHH");
        }
    }

    TextSource& in_;
    std::size_t number_ = 0;
};

// The bytes of a sample list as the text gives them, in one block that grows to the largest
// list at once when it outgrows a small one: a large list is never copied whole, as a block
// that doubled would be, so it is never twice in memory.
class ListBytes {
public:
    std::size_t size() const { return bytes_.size(); }
    void add(char byte) {
        if (bytes_.size() == bytes_.capacity()) {
            bytes_.reserve(bytes_.size() < kSmall ? 2 * bytes_.size() + 4096
                                                  : kMaxSampleListFileBytes);
        }
        bytes_ += byte;
    }
    std::string take() { return std::move(bytes_); }

private:
    static constexpr std::size_t kSmall = std::size_t{16} << 20;
    std::string bytes_;
};

// Elements of the table, each given on one line at most: where each was given.
class GivenOnce {
public:
    void resize(std::size_t count) { lines_.assign(count, 0); }
    std::size_t size() const { return lines_.size(); }
    void note(std::size_t index, LineReader& in, const std::string& what) {
        if (lines_[index] != 0) {
            in.fail(what + " is given twice (also on line " + std::to_string(lines_[index]) + ")");
        }
        lines_[index] = static_cast<std::uint32_t>(std::min<std::size_t>(in.number(), UINT32_MAX));
    }
    // The first element not given, if any.
    std::optional<std::size_t> missing() const {
        const auto gap = std::find(lines_.begin(), lines_.end(), 0u);
        return gap == lines_.end() ? std::nullopt
                                   : std::optional<std::size_t>(gap - lines_.begin());
    }
    std::vector<std::uint32_t> take() { return std::move(lines_); }

private:
    std::vector<std::uint32_t> lines_;
};

// Why values are refused that do not say what the bytes store, and which bytes would: "the
// values do not say what the bytes store (range 12, volume 100, ...): volume 60 is byte 96,
// so bytes 00 00 96 0C 00 7E 04 00 store the values written; ...".
std::string WrongValues(const SoundDetail& detail, const EditView& written) {
    const std::string why =
        "the values do not say what the bytes store (" + DetailValues(detail) + ")";
    const EditResult stored = StoreChanges(detail, ViewOfDetail(detail), written);
    if (!stored.stored) {
        return why + ": change the bytes, and the values to match, or delete the values";
    }
    const SoundDetail& as = stored.detail;
    const auto hex = [](int byte) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        return std::string{kDigits[(byte >> 4) & 0xF], kDigits[byte & 0xF]};
    };
    std::string parts;
    const std::tuple<const char*, std::string EditTexts::*, std::uint8_t SoundDetail::*> fields[] =
        {{"range", &EditTexts::Range, &SoundDetail::Radius},
         {"volume", &EditTexts::Volume, &SoundDetail::Volume},
         {"pitch", &EditTexts::Pitch, &SoundDetail::Pitch},
         {"chance", &EditTexts::Chance, &SoundDetail::Chance}};
    for (const auto& [name, text, byte] : fields) {
        if (as.*byte != detail.*byte) {
            parts += std::string(parts.empty() ? "" : ", ") + name + " " + written.Texts.*text +
                     " is byte " + hex(as.*byte);
        }
    }
    if (as.Flags != detail.Flags) {
        parts += std::string(parts.empty() ? "" : ", ") + "those flags are bytes " +
                 hex(as.Flags & 0xFF) + " " + hex(as.Flags >> 8);
    }
    std::string bytes;
    for (const int byte :
         {as.Sample & 0xFF, (as.Sample >> 8) & 0xFF, int{as.Volume}, int{as.Radius}, int{as.Chance},
          int{as.Pitch}, as.Flags & 0xFF, as.Flags >> 8}) {
        bytes += (bytes.empty() ? "" : " ") + hex(byte);
    }
    return why + ": " + parts + ", so bytes " + bytes +
           " store the values written; change the bytes to those, or delete the values";
}

TablePair Read(TextSource& source, TextPlaces* places) {
    LineReader in(source);
    TablePair pair;
    SoundTable& table = pair.table.table;
    table.SoundMap.fill(-1);
    GivenOnce slots;
    slots.resize(kSoundSlots);
    GivenOnce details;
    GivenOnce indices;
    std::size_t detailsLine = 0;
    std::size_t samplesLine = 0;
    std::size_t endsLine = 0;
    bool header = false;
    bool lastLine = false;
    ListBytes list;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> listLines; // byte, line

    // A byte-order mark, which some editors put at the start of a text file, is passed over.
    if (source.peek(0) == 0xEF && source.peek(1) == 0xBB && source.peek(2) == 0xBF) {
        source.skip(3);
    }
    while (in.next()) {
        const std::size_t number = in.number();
        if (in.atEnd()) {
            in.skipLine();
            continue;
        }
        if (in.take("#")) {
            in.skipLine();
            continue;
        }
        const auto count = [&](std::size_t& seen, const char* what) {
            if (seen != 0) {
                in.fail(std::string("the number of ") + what + " is given twice (also on line " +
                        std::to_string(seen) + ")");
            }
            seen = number;
            const auto value = static_cast<std::int32_t>(
                in.number(std::numeric_limits<std::int32_t>::min(), kMaxTableCount, "a count"));
            in.end();
            return value;
        };
        const auto counted = [&](std::size_t seen, const char* what) {
            if (seen == 0) {
                in.fail(std::string("the number of ") + what + " must come first");
            }
        };
        if (!header) {
            if (!in.take(kTextFormHeader) || !in.atEnd()) {
                in.fail("a table's text begins with \"" + std::string(kTextFormHeader) + "\"");
            }
            in.end();
            header = true;
        } else if (in.take("details")) {
            table.NumDetails = count(detailsLine, "details");
            table.Details.assign(EntriesFor(table.NumDetails), SoundDetail{});
            details.resize(table.Details.size());
        } else if (in.take("samples")) {
            table.NumSamples = count(samplesLine, "samples");
            table.SampleIndices.assign(EntriesFor(table.NumSamples), 0);
            indices.resize(table.SampleIndices.size());
        } else if (in.take("slot")) {
            const auto slot = static_cast<std::size_t>(in.number(0, kSoundSlots - 1, "a slot"));
            in.expect(":");
            in.expect("detail");
            table.SoundMap[slot] = static_cast<std::int16_t>(
                in.number(std::numeric_limits<std::int16_t>::min(),
                          std::numeric_limits<std::int16_t>::max(), "a slot's detail"));
            in.end();
            slots.note(slot, in, "slot " + std::to_string(slot));
        } else if (in.take("detail")) {
            counted(detailsLine, "details");
            const auto index = static_cast<std::size_t>(
                in.number(0, static_cast<long long>(details.size()) - 1, "a detail's number"));
            in.expect(":");
            if (in.startsQuote()) {
                in.quoted([](char) {}); // the name only shows which sound it is
                in.expect(",");
            }
            std::optional<EditView> values; // as the fields and the labels would show them
            std::string said;               // as the text says them
            if (in.take("range")) {
                values.emplace();
                values->Texts.Range = std::to_string(in.number(0, 31, "the range"));
                said = "range " + values->Texts.Range;
                for (const auto& [name, largest, text] :
                     {std::tuple{"volume", 101, &EditTexts::Volume},
                      {"pitch", 100, &EditTexts::Pitch},
                      {"chance", 101, &EditTexts::Chance}}) {
                    in.expect(",");
                    in.expect(name);
                    values->Texts.*text = std::to_string(in.number(0, largest, name));
                    said += std::string(", ") + name + " " + values->Texts.*text;
                }
                in.expect(",");
                in.expect("flags");
                const std::string letters = in.letters();
                said += ", flags " + letters;
                for (const auto& [letter, label] : {std::pair{'P', &FlagColours::P},
                                                    {'V', &FlagColours::V},
                                                    {'R', &FlagColours::R},
                                                    {'L', &FlagColours::L},
                                                    {'N', &FlagColours::N}}) {
                    values->Colours.*label =
                        letters.find(letter) != std::string::npos ? kRed : kBlack;
                }
                in.expect(";");
            }
            in.expect("bytes");
            std::uint8_t b[8];
            for (std::uint8_t& byte : b) {
                byte = in.hexByte();
            }
            const SoundDetail detail{
                static_cast<std::int16_t>(b[0] | (b[1] << 8)), b[2], b[3], b[4], b[5],
                static_cast<std::uint16_t>(b[6] | (b[7] << 8))};
            if (values && said != DetailValues(detail)) {
                in.fail(WrongValues(detail, *values));
            }
            in.end();
            details.note(index, in, "detail " + std::to_string(index));
            table.Details[index] = detail;
        } else if (in.take("index")) {
            counted(samplesLine, "samples");
            const auto index = static_cast<std::size_t>(in.number(
                0, static_cast<long long>(indices.size()) - 1, "a sample index's number"));
            in.expect(":");
            table.SampleIndices[index] = static_cast<std::int32_t>(
                in.number(std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::int32_t>::max(), "a sample index"));
            in.end();
            indices.note(index, in, "sample index " + std::to_string(index));
        } else if (in.take("after the table:")) {
            while (!in.atEnd()) {
                if (pair.table.after.size() >= kMaxBytesAfterTable) {
                    in.fail("more bytes after the table than a table file may hold");
                }
                pair.table.after.push_back(in.hexByte());
            }
            in.end();
        } else if (in.take("the file ends at byte")) {
            if (endsLine != 0) {
                in.fail("where the file ends is given twice (also on line " +
                        std::to_string(endsLine) + ")");
            }
            endsLine = number;
            pair.table.endsAt = static_cast<std::uintmax_t>(
                in.number(0, std::numeric_limits<std::int32_t>::max(), "the file's length"));
            in.end();
        } else if (in.take("sample list")) {
            in.end();
            if (pair.sampleList) {
                in.fail("the sample list is begun twice");
            }
            pair.sampleList.emplace();
        } else if (const int kind = in.take("last line") ? 0
                                    : in.take("lf line") ? 1
                                    : in.take("line")    ? 2
                                                         : -1;
                   kind >= 0) {
            if (!pair.sampleList) {
                in.fail("a line of the sample list before the line \"sample list\"");
            }
            if (lastLine) {
                in.fail("a line of the sample list after its last line");
            }
            listLines.emplace_back(
                static_cast<std::uint32_t>(list.size()),
                static_cast<std::uint32_t>(std::min<std::size_t>(number, UINT32_MAX)));
            const auto keep = [&](char byte) {
                if (list.size() >= kMaxSampleListFileBytes) {
                    in.fail("the sample list is larger than any sample list may be");
                }
                list.add(byte);
            };
            in.quoted(keep);
            in.end();
            for (const char c : std::string_view(kind == 2 ? "\r\n" : kind == 1 ? "\n" : "")) {
                keep(c);
            }
            lastLine = kind == 0;
        } else {
            in.fail("not a line of a table's text");
        }
    }
    if (!header || detailsLine == 0 || samplesLine == 0) {
        throw TextError(in.number(),
                        !header
                            ? "a table's text begins with \"" + std::string(kTextFormHeader) + "\""
                            : std::string("the number of ") +
                                  (detailsLine == 0 ? "details" : "samples") + " is missing");
    }
    if (const auto gap = details.missing()) {
        throw TextError(detailsLine, "detail " + std::to_string(*gap) + " is missing");
    }
    if (const auto gap = indices.missing()) {
        throw TextError(samplesLine, "sample index " + std::to_string(*gap) + " is missing");
    }
    if (pair.table.endsAt &&
        (*pair.table.endsAt >= TableBytes(table) || !pair.table.after.empty())) {
        throw TextError(endsLine, "the file can end early only before the table's " +
                                      std::to_string(TableBytes(table)) +
                                      " bytes, and then has none after them");
    }
    if (pair.sampleList) {
        *pair.sampleList = list.take();
    }
    if (places != nullptr) {
        *places = {samplesLine, details.take(), std::move(listLines)};
    }
    return pair;
}

} // namespace

std::size_t TextPlaces::lineOfListByte(std::size_t byte) const {
    const auto after =
        std::upper_bound(list.begin(), list.end(), byte,
                         [](std::size_t at, const std::pair<std::uint32_t, std::uint32_t>& line) {
                             return at < line.first;
                         });
    return after == list.begin() ? samples : std::prev(after)->second;
}

TablePair ReadTableText(std::string_view text, TextPlaces* places) {
    TextSource source(text);
    return Read(source, places);
}

TablePair ReadTableText(std::istream& in, TextPlaces* places) {
    TextSource source(in);
    return Read(source, places);
}

} // namespace sondrel
