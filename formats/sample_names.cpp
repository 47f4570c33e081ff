#include "formats/sample_names.h"

#include "formats/decimal.h"
#include "formats/file_io.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// Splits text into lines at CR LF, LF or a lone CR. `feed` hands over the text in pieces;
// the last piece is followed by finish().
class LineSplitter {
public:
    explicit LineSplitter(const fs::path& file) : file_(file) {}

    // Takes the next line from `text` starting at `pos`, appending to the pending line.
    // Returns true with `line` complete when a line end was found; false when `text` ran out
    // first (the partial line is kept for the next piece).
    bool take(std::string_view text, std::size_t& pos, std::string& line) {
        if (pendingCr_) {
            pendingCr_ = false;
            if (pos < text.size() && text[pos] == '\n') {
                ++pos;
            }
        }
        const std::size_t start = pos;
        while (pos < text.size() && text[pos] != '\n' && text[pos] != '\r') {
            ++pos;
        }
        if (line.size() + (pos - start) > kMaxSampleLineBytes) {
            throw Failure(FailureCode::SampleListLineTooLong,
                          "the sample list " + DisplayPath(file_) + " has a line longer than " +
                              std::to_string(kMaxSampleLineBytes) +
                              " bytes, which no sample name can be");
        }
        line.append(text.substr(start, pos - start));
        if (pos == text.size()) {
            return false;
        }
        if (text[pos] == '\r') {
            ++pos;
            if (pos == text.size()) {
                pendingCr_ = true; // the LF of a CR LF may begin the next piece
            } else if (text[pos] == '\n') {
                ++pos;
            }
        } else {
            ++pos;
        }
        return true;
    }

private:
    const fs::path& file_;
    bool pendingCr_ = false;
};

// Turns lines into names, one field at a time.
class FieldReader {
public:
    FieldReader(std::int32_t count, const fs::path& file) : file_(file) {
        if (count <= 0) {
            throw Failure(FailureCode::NoSamples,
                          "the table has a sample count of " + std::to_string(count) +
                              ", so its sample list " + DisplayPath(file) + " cannot be read");
        }
        wanted_ = static_cast<std::size_t>(count);
        names_.reserve(std::min<std::size_t>(wanted_, 1 << 16));
    }

    bool done() const { return names_.size() == wanted_; }

    void addLine(std::string_view line) {
        std::size_t pos = 0;
        while (!done()) {
            while (pos < line.size() && line[pos] == ' ') {
                ++pos;
            }
            std::size_t end = 0;
            if (pos < line.size() && line[pos] == '"') {
                const std::size_t closing = line.find('"', pos + 1);
                end = closing == std::string_view::npos ? line.size() : closing;
                names_.emplace_back(line.substr(pos + 1, end - pos - 1));
            } else {
                end = std::min(line.find(',', pos), line.size());
                names_.emplace_back(line.substr(pos, end - pos));
            }
            const std::size_t comma = line.find(',', end);
            if (comma == std::string_view::npos) {
                return;
            }
            pos = comma + 1;
        }
    }

    std::vector<std::string> finish() {
        if (!done()) {
            throw Failure(FailureCode::SampleListShort,
                          "the sample list " + DisplayPath(file_) + " has " +
                              std::to_string(names_.size()) + " names, the table needs " +
                              std::to_string(wanted_));
        }
        return std::move(names_);
    }

private:
    const fs::path& file_;
    std::size_t wanted_ = 0;
    std::vector<std::string> names_;
};

bool NeedsQuotes(std::string_view name) {
    return name.find(',') != std::string_view::npos ||
           (!name.empty() && (name.front() == ' ' || name.front() == '"'));
}

// Drops the last three characters of a path: UTF-8 code points where the platform's paths
// are bytes, UTF-16 code points where they are wide.
template <class Char> std::basic_string<Char> DropThreeCharacters(std::basic_string<Char> text) {
    auto isContinuation = [](Char c) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(c);
        if constexpr (sizeof(Char) == 1) {
            return (unit & 0xC0) == 0x80;
        } else {
            return unit >= 0xDC00 && unit <= 0xDFFF;
        }
    };
    for (int dropped = 0; dropped < 3 && !text.empty(); ++dropped) {
        while (text.size() > 1 && isContinuation(text.back())) {
            text.pop_back();
        }
        text.pop_back();
    }
    return text;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

fs::path SampleListPath(const fs::path& table) {
    auto text = DropThreeCharacters(table.native());
    for (const char c : std::string_view("sam")) {
        text.push_back(static_cast<fs::path::value_type>(c));
    }
    return fs::path(std::move(text));
}

std::vector<std::string> ParseSampleNames(std::string_view text, std::int32_t count,
                                          const fs::path& file) {
    FieldReader fields(count, file);
    LineSplitter lines(file);
    std::size_t pos = 0;
    std::string line;
    while (!fields.done() && pos < text.size()) {
        const bool complete = lines.take(text, pos, line);
        if (complete || pos == text.size()) {
            fields.addLine(line);
            line.clear();
        }
    }
    return fields.finish();
}

std::vector<std::string> ReadSampleNames(const fs::path& path, std::int32_t count) {
    FieldReader fields(count, path);
    std::error_code ec;
    std::ifstream in;
    if (!fs::is_directory(path, ec)) {
        in.open(path, std::ios::binary);
    }
    if (!in.is_open()) {
        throw Failure(FailureCode::SampleListOpen,
                      "the sample list " + DisplayPath(path) + " is missing or cannot be opened");
    }
    LineSplitter lines(path);
    std::string chunk(1 << 16, '\0');
    std::string line;
    bool lineOpen = false;
    while (!fields.done()) {
        in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        const std::string_view piece(chunk.data(), static_cast<std::size_t>(in.gcount()));
        if (piece.empty()) {
            break;
        }
        std::size_t pos = 0;
        while (!fields.done() && pos < piece.size()) {
            lineOpen = !lines.take(piece, pos, line);
            if (!lineOpen) {
                fields.addLine(line);
                line.clear();
            }
        }
    }
    if (lineOpen && !fields.done()) {
        fields.addLine(line); // the last line, without a line end
    }
    return fields.finish();
}

std::string SerializeSampleNames(const std::vector<std::string>& names, std::int32_t count) {
    const std::size_t written =
        std::min(names.size(), static_cast<std::size_t>(std::max(count, 0)));
    std::string text;
    for (std::size_t k = 0; k < written; ++k) {
        const std::string& name = names[k];
        if (NeedsQuotes(name)) {
            text += '"';
            text += name;
            text += '"';
        } else {
            text += name;
        }
        text += "\r\n";
    }
    return text;
}

void WriteSampleNames(const fs::path& path, const std::vector<std::string>& names,
                      std::int32_t count) {
    const std::string text = SerializeSampleNames(names, count);
    try {
        SaveSafely(path,
                   std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } catch (const FileError& error) {
        throw Failure(FailureCode::SampleListWrite, error.what());
    }
}

bool HasSeriesPrefix(std::string_view name) {
    static constexpr std::array<std::string_view, 4> kPrefixes = {"KV1 Sound", "KV2 Sound",
                                                                  "KV3 Sound", "KV5 Sound"};
    const std::string_view first9 = name.substr(0, 9);
    return std::find(kPrefixes.begin(), kPrefixes.end(), first9) != kPrefixes.end();
}

std::optional<std::int32_t> ExtractSampleNumber(std::string_view name) {
    std::string_view text;
    const std::size_t dash = name.find('-');
    if (dash != std::string_view::npos) {
        // The "-" stands at position dash + 1; the number runs from position 11 up to it.
        if (dash < 10) {
            return std::nullopt;
        }
        text = name.substr(10, dash - 10);
    } else {
        if (name.size() < 14) {
            return std::nullopt;
        }
        text = name.substr(10, name.size() - 14);
    }

    // A decimal number as the whole text: spaces around it, an optional sign, digits with an
    // optional "." and fraction, an optional exponent.
    auto trimmed = text;
    while (!trimmed.empty() && trimmed.front() == ' ') {
        trimmed.remove_prefix(1);
    }
    while (!trimmed.empty() && trimmed.back() == ' ') {
        trimmed.remove_suffix(1);
    }
    bool negative = false;
    if (!trimmed.empty() && (trimmed.front() == '+' || trimmed.front() == '-')) {
        negative = trimmed.front() == '-';
        trimmed.remove_prefix(1);
    }
    // Split into integer digits, fraction digits and exponent, checking the grammar.
    std::size_t i = 0;
    while (i < trimmed.size() && IsDigit(trimmed[i])) {
        ++i;
    }
    const std::string_view integer = trimmed.substr(0, i);
    std::string_view fraction;
    if (i < trimmed.size() && trimmed[i] == '.') {
        const std::size_t start = ++i;
        while (i < trimmed.size() && IsDigit(trimmed[i])) {
            ++i;
        }
        fraction = trimmed.substr(start, i - start);
    }
    if (integer.empty() && fraction.empty()) {
        return std::nullopt;
    }
    long exponent = 0;
    if (i < trimmed.size() && (trimmed[i] == 'E' || trimmed[i] == 'e')) {
        bool negativeExponent = false;
        if (++i < trimmed.size() && (trimmed[i] == '+' || trimmed[i] == '-')) {
            negativeExponent = trimmed[i++] == '-';
        }
        const std::size_t start = i;
        for (; i < trimmed.size() && IsDigit(trimmed[i]); ++i) {
            exponent = AddExponentDigit(exponent, trimmed[i]);
        }
        if (i == start) {
            return std::nullopt;
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    if (i != trimmed.size()) {
        return std::nullopt;
    }
    const double value = DecimalValue(integer, fraction, exponent);
    const double floored = std::floor(negative ? -value : value);
    if (!(floored >= std::numeric_limits<std::int32_t>::min() &&
          floored <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(floored);
}

} // namespace sondrel
