#include "formats/sample_names.h"
#include "logic/digits.h"
#include "logic/table_text.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace sondrel {
namespace {

// One line of the text being read, taken apart from its start.
class LineReader {
public:
    LineReader(std::string_view line, std::size_t number) : rest_(line), number_(number) {}

    [[noreturn]] void fail(const std::string& what) const { throw TextError(number_, what); }

    void spaces() {
        while (!rest_.empty() && (rest_.front() == ' ' || rest_.front() == '\t')) {
            rest_.remove_prefix(1);
        }
    }
    bool take(std::string_view word) {
        spaces();
        if (!rest_.starts_with(word)) {
            return false;
        }
        rest_.remove_prefix(word.size());
        return true;
    }
    void expect(std::string_view word) {
        if (!take(word)) {
            fail("\"" + std::string(word) + "\" expected");
        }
    }
    bool atEnd() {
        spaces();
        return rest_.empty();
    }
    void end() {
        if (!atEnd()) {
            fail("unexpected \"" + std::string(rest_) + "\"");
        }
    }
    // The letters of the flags, or "-".
    std::string_view letters() {
        spaces();
        std::size_t length = 0;
        while (length < rest_.size() &&
               std::string_view("PVRLN-").find(rest_[length]) != std::string_view::npos) {
            ++length;
        }
        if (length == 0) {
            fail("the flags' letters (of P V R L N), or \"-\", expected");
        }
        const std::string_view letters = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return letters;
    }
    bool startsQuote() {
        spaces();
        return rest_.starts_with('"');
    }

    // A whole number from `low` to `high`.
    long long number(long long low, long long high, const char* what) {
        spaces();
        long long value = 0;
        const auto [end, error] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), value);
        if (error != std::errc() || value < low || value > high) {
            fail(std::string(what) + " must be a whole number from " + std::to_string(low) +
                 " to " + std::to_string(high));
        }
        rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
        return value;
    }
    std::uint8_t hexByte() {
        spaces();
        const auto digit = [](char c) { return DigitValue(c, 16); };
        if (rest_.size() < 2 || digit(rest_[0]) < 0 || digit(rest_[1]) < 0 ||
            (rest_.size() > 2 && rest_[2] != ' ' && rest_[2] != '\t')) {
            fail("a byte of two hexadecimal digits expected");
        }
        const auto byte = static_cast<std::uint8_t>(digit(rest_[0]) * 16 + digit(rest_[1]));
        rest_.remove_prefix(2);
        return byte;
    }
    // Quoted 8-bit text, as Quoted writes it.
    std::string quoted() {
        spaces();
        if (!rest_.starts_with('"')) {
            fail("text in double quotes expected");
        }
        std::string bytes;
        std::size_t at = 1;
        for (;;) {
            if (at >= rest_.size()) {
                fail("the closing double quote is missing");
            }
            const auto c = static_cast<unsigned char>(rest_[at]);
            if (c == '"') {
                break;
            }
            if (c == '\\') {
                bytes += escaped(at);
                continue;
            }
            if (c < 0x20 || c == 0x7F) {
                fail("a control character in quoted text must be written \\xHH");
            }
            if (c < 0x80) {
                bytes += static_cast<char>(c);
                ++at;
                continue;
            }
            // Two bytes of UTF-8, for U+0080 to U+00FF: the characters of the 8-bit codes.
            const auto next = at + 1 < rest_.size() ? static_cast<unsigned char>(rest_[at + 1]) : 0;
            if ((c != 0xC2 && c != 0xC3) || (next & 0xC0) != 0x80) {
                fail("only the characters of the names' 8-bit code (up to U+00FF) can stand in "
                     "quoted text; write any other byte as \\xHH");
            }
            bytes += static_cast<char>(((c & 0x03) << 6) | (next & 0x3F));
            at += 2;
        }
        rest_.remove_prefix(at + 1);
        return bytes;
    }

private:
    char escaped(std::size_t& at) {
        const char kind = at + 1 < rest_.size() ? rest_[at + 1] : '\0';
        at += 2;
        switch (kind) {
        case '"':
        case '\\':
            return kind;
        case 'r':
            return '\r';
        case 'n':
            return '\n';
        case 't':
            return '\t';
        case 'x': {
            LineReader digits(rest_.substr(std::min(at, rest_.size()), 2), number_);
            at += 2;
            return static_cast<char>(digits.hexByte());
        }
        default:
            fail("unknown escape in quoted text: write \\\" \\\\ \\r \\n \\t or \\xHH");
        }
    }

    std::string_view rest_;
    std::size_t number_;
};

// Elements of the table, each given on one line at most: where each was given.
class GivenOnce {
public:
    void resize(std::size_t count) { lines_.assign(count, 0); }
    std::size_t size() const { return lines_.size(); }
    void note(std::size_t index, LineReader& in, std::size_t line, const std::string& what) {
        if (lines_[index] != 0) {
            in.fail(what + " is given twice (also on line " + std::to_string(lines_[index]) + ")");
        }
        lines_[index] = static_cast<std::uint32_t>(std::min<std::size_t>(line, UINT32_MAX));
    }
    // The first element not given, if any.
    std::optional<std::size_t> missing() const {
        const auto gap = std::find(lines_.begin(), lines_.end(), 0u);
        return gap == lines_.end() ? std::nullopt
                                   : std::optional<std::size_t>(gap - lines_.begin());
    }

private:
    std::vector<std::uint32_t> lines_;
};

} // namespace

TablePair ReadTableText(std::string_view text) {
    if (text.size() > kMaxTableTextBytes) {
        throw TextError(1, "the text is larger than any table's");
    }
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

    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1); // a text saved with CR LF line ends reads the same
        }
        LineReader in(line, number);
        if (in.atEnd() || in.take("#")) {
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
            slots.note(slot, in, number, "slot " + std::to_string(slot));
        } else if (in.take("detail")) {
            counted(detailsLine, "details");
            const auto index = static_cast<std::size_t>(
                in.number(0, static_cast<long long>(details.size()) - 1, "a detail's number"));
            in.expect(":");
            if (in.startsQuote()) {
                in.quoted(); // the name only shows which sound it is
                in.expect(",");
            }
            std::optional<std::string> values;
            if (in.take("range")) {
                std::string said = "range " + std::to_string(in.number(0, 31, "the range"));
                for (const auto& [name, largest] :
                     {std::pair{"volume", 101}, {"pitch", 100}, {"chance", 101}}) {
                    in.expect(",");
                    in.expect(name);
                    said += std::string(", ") + name + " " +
                            std::to_string(in.number(0, largest, name));
                }
                in.expect(",");
                in.expect("flags");
                said += ", flags " + std::string(in.letters());
                values = said;
                in.expect(";");
            }
            in.expect("bytes");
            std::uint8_t b[8];
            for (std::uint8_t& byte : b) {
                byte = in.hexByte();
            }
            in.end();
            const SoundDetail detail{
                static_cast<std::int16_t>(b[0] | (b[1] << 8)), b[2], b[3], b[4], b[5],
                static_cast<std::uint16_t>(b[6] | (b[7] << 8))};
            if (values && *values != DetailValues(detail)) {
                in.fail("the values do not say what the bytes store (" + DetailValues(detail) +
                        "): change the bytes, and the values to match, or delete the values");
            }
            details.note(index, in, number, "detail " + std::to_string(index));
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
            indices.note(index, in, number, "sample index " + std::to_string(index));
        } else if (in.take("after the table:")) {
            while (!in.atEnd()) {
                if (pair.table.after.size() >= kMaxBytesAfterTable) {
                    in.fail("more bytes after the table than a table file may hold");
                }
                pair.table.after.push_back(in.hexByte());
            }
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
            const std::string bytes = in.quoted();
            in.end();
            if (pair.sampleList->size() + bytes.size() >= kMaxSampleListNameBytes) {
                in.fail("the sample list is larger than a sample list may be");
            }
            *pair.sampleList += bytes;
            *pair.sampleList += kind == 2 ? "\r\n" : kind == 1 ? "\n" : "";
            lastLine = kind == 0;
        } else {
            in.fail("not a line of a table's text");
        }
    }
    if (!header || detailsLine == 0 || samplesLine == 0) {
        throw TextError(
            number, !header ? "a table's text begins with \"" + std::string(kTextFormHeader) + "\""
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
    return pair;
}

} // namespace sondrel
