#include "formats/sample_list.h"

#include "formats/safe_save.h"

#include <algorithm>
#include <array>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::span<const std::uint8_t> Bytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

bool NeedsQuotes(std::string_view name) {
    return name.find(',') != std::string_view::npos ||
           (!name.empty() && (name.front() == ' ' || name.front() == '"'));
}

// The position in a path where its last three characters begin: UTF-8 code points where the
// platform's paths are bytes, UTF-16 code points where they are wide. Nothing when the path has
// fewer.
template <class Char>
std::optional<std::size_t> LastThreeCharacters(const std::basic_string<Char>& text) {
    auto isContinuation = [](Char c) {
        const auto unit = static_cast<std::make_unsigned_t<Char>>(c);
        if constexpr (sizeof(Char) == 1) {
            return (unit & 0xC0) == 0x80;
        } else {
            return unit >= 0xDC00 && unit <= 0xDFFF;
        }
    };
    std::size_t end = text.size();
    for (int character = 0; character < 3; ++character) {
        while (end > 1 && isContinuation(text[end - 1])) {
            --end;
        }
        if (end == 0) {
            return std::nullopt;
        }
        --end;
    }
    return end;
}

// The bytes that end a run of a name's bytes: its own ender and the line ends.
constexpr std::array<bool, 256> EndsOf(char ender) {
    std::array<bool, 256> ends{};
    ends[static_cast<unsigned char>(ender)] = ends['\r'] = ends['\n'] = true;
    return ends;
}
constexpr std::array<bool, 256> kBareEnds = EndsOf(',');
constexpr std::array<bool, 256> kQuotedEnds = EndsOf('"');

} // namespace

fs::path SampleListPath(const fs::path& table) {
    auto text = table.native();
    const auto extension = LastThreeCharacters(text);
    const std::size_t nameStart = text.size() - table.filename().native().size();
    if (extension && *extension > nameStart && text[*extension - 1] == '.') {
        text.resize(*extension); // "level.sfx" gives "level.sam"
    } else {
        text.push_back('.'); // "sounds" gives "sounds.sam", beside it
    }
    for (const char c : std::string_view("sam")) {
        text.push_back(static_cast<fs::path::value_type>(c));
    }
    return fs::path(std::move(text));
}

SampleNames::SampleNames(std::initializer_list<std::string_view> names) {
    for (const std::string_view name : names) {
        add(name);
    }
}

SampleNames::SampleNames(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        add(name);
    }
}

void SampleNames::add(std::string_view name) {
    spans_.push_back(
        {static_cast<std::uint32_t>(owned_.size()), static_cast<std::uint32_t>(name.size())});
    owned_ += name;
    text_ = owned_;
    restAt_ = owned_.size();
}

// A copy or a move takes the owned bytes along, and the view with them.
SampleNames::SampleNames(const SampleNames& other)
    : owned_(other.owned_), text_(other.text_.data() == other.owned_.data() ? owned_ : other.text_),
      spans_(other.spans_), restAt_(other.restAt_), byteOrderMark_(other.byteOrderMark_) {}

SampleNames::SampleNames(SampleNames&& other) noexcept
    : spans_(std::move(other.spans_)), restAt_(other.restAt_),
      byteOrderMark_(other.byteOrderMark_) {
    const bool owned = other.text_.data() == other.owned_.data();
    owned_ = std::move(other.owned_);
    text_ = owned ? std::string_view(owned_) : other.text_;
    other.text_ = {};
}

SampleNames& SampleNames::operator=(SampleNames other) noexcept {
    const bool owned = other.text_.data() == other.owned_.data();
    owned_ = std::move(other.owned_);
    text_ = owned ? std::string_view(owned_) : other.text_;
    spans_ = std::move(other.spans_);
    restAt_ = other.restAt_;
    byteOrderMark_ = other.byteOrderMark_;
    return *this;
}

bool operator==(const SampleNames& a, const SampleNames& b) {
    if (a.size() != b.size() || a.byteOrderMark() != b.byteOrderMark() || a.rest() != b.rest()) {
        return false;
    }
    for (std::size_t k = 0; k < a.size(); ++k) {
        if (a[k] != b[k]) {
            return false;
        }
    }
    return true;
}

// One pass over a sample list's text, noting where each of `count` names lies.
class SampleListParser {
public:
    SampleListParser(std::int32_t count, const fs::path& file) : file_(file) {
        if (count <= 0) {
            throw Failure(FailureCode::NoSamples,
                          "the table has a sample count of " + std::to_string(count) +
                              ", so its sample list " + DisplayPath(file) + " cannot be read");
        }
        wanted_ = static_cast<std::size_t>(count);
    }

    // Bytes to read names from: held, or a text the caller keeps.
    static SampleNames Holding(std::string text) {
        SampleNames names;
        names.owned_ = std::move(text);
        names.text_ = names.owned_;
        return names;
    }
    static SampleNames Viewing(std::string_view text) {
        SampleNames names;
        names.text_ = text;
        return names;
    }

    // Reads the names of `names`' text into it.
    SampleNames parse(SampleNames names) {
        names_ = std::move(names);
        const std::string_view all = names_.text_;
        if (all.size() > kMaxSampleListFileBytes) {
            throw Failure(FailureCode::SampleListTooLarge,
                          "the sample list " + DisplayPath(file_) + " is larger than " +
                              std::to_string(kMaxSampleListFileBytes >> 20) +
                              " MiB, more than any table's samples can have");
        }
        names_.spans_.reserve(std::min(wanted_, all.size() + 1));
        std::size_t at = 0;
        if (all.starts_with(kByteOrderMark)) {
            names_.byteOrderMark_ = true;
            at = kByteOrderMark.size();
        }
        // The names are read, and so is the last one's end: after a closing quote, what is
        // passed over up to the comma or line end belongs to the name, not to the rest.
        while (at < all.size() && !(done() && state_ != State::AfterQuote)) {
            at = step(all, at);
        }
        if (!done() && lineOpen_) {
            endLine(at); // the last line, without a line end
        }
        if (!done()) {
            throw Failure(FailureCode::SampleListShort,
                          "the sample list " + DisplayPath(file_) + " has " +
                              std::to_string(names_.size()) + " names, the table needs " +
                              std::to_string(wanted_));
        }
        if (afterCr_ && at < all.size() && all[at] == '\n') {
            ++at; // the LF of the last name's CR LF
        }
        names_.restAt_ = std::min(at, all.size());
        addToTotal(all.size() - names_.restAt_, names_.restAt_);
        return std::move(names_);
    }

private:
    enum class State {
        BeforeField, // spaces are skipped
        Bare,        // up to a comma or the line end
        Quoted,      // up to the closing quote or the line end
        AfterQuote,  // passed over up to a comma or the line end
    };

    bool done() const { return names_.size() == wanted_; }

    // Reads from `at` as far as one state goes; where it stopped.
    std::size_t step(std::string_view all, std::size_t at) {
        const char c = all[at];
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') {
                return at + 1; // the LF of a CR LF
            }
        }
        if (c == '\r' || c == '\n') {
            endLine(at);
            afterCr_ = c == '\r';
            return at + 1;
        }
        lineOpen_ = true;
        if (state_ == State::Bare || state_ == State::Quoted) {
            // The bytes of a name up to whatever may end it, taken at once.
            const std::array<bool, 256>& ends = state_ == State::Bare ? kBareEnds : kQuotedEnds;
            std::size_t end = at;
            while (end < all.size() && !ends[static_cast<unsigned char>(all[end])]) {
                ++end;
            }
            countLineBytes(end - at, at);
            if (end - fieldStart_ > kMaxSampleNameBytes) {
                throw Failure(FailureCode::SampleNameTooLong,
                              "line " + std::to_string(line_) + " of the sample list " +
                                  DisplayPath(file_) + " holds a name longer than " +
                                  std::to_string(kMaxSampleNameBytes) +
                                  " bytes, which no sample file name can be",
                              fieldStart_);
            }
            if (end < all.size() && all[end] != '\r' && all[end] != '\n') {
                countLineBytes(1, end);
                addName(end);
                state_ = state_ == State::Bare ? State::BeforeField : State::AfterQuote;
                return end + 1;
            }
            return end;
        }
        if (state_ == State::BeforeField && c != ',' && c != '"' && c != ' ') {
            state_ = State::Bare;
            fieldStart_ = at;
            return at; // the name's bytes are taken as a run
        }
        countLineBytes(1, at);
        if (state_ == State::AfterQuote) {
            if (c == ',') {
                state_ = State::BeforeField;
            }
        } else if (c == ',') {
            fieldStart_ = at;
            addName(at); // an empty field
        } else if (c == '"') {
            state_ = State::Quoted;
            fieldStart_ = at + 1;
        }
        return at + 1;
    }

    // Every line has a field: an empty line, or one ending in a comma, ends with an empty
    // name; a field after a closing quote has been taken already.
    void endLine(std::size_t at) {
        if (state_ == State::BeforeField) {
            fieldStart_ = at;
        }
        if (state_ != State::AfterQuote) {
            addName(at);
        }
        state_ = State::BeforeField;
        lineBytes_ = 0;
        lineOpen_ = false;
        ++line_;
    }

    // Counts what the names and the rest add up to, `at` where the bytes begin.
    void addToTotal(std::size_t bytes, std::size_t at) {
        total_ += bytes;
        if (total_ > kMaxSampleListNameBytes) {
            throw Failure(FailureCode::SampleListTooLarge,
                          "the names of the sample list " + DisplayPath(file_) +
                              ", with what follows them, add up to more than " +
                              std::to_string(kMaxSampleListNameBytes >> 20) +
                              " MiB, more than any table's samples can have",
                          at);
        }
    }

    void addName(std::size_t end) {
        addToTotal(end - fieldStart_, fieldStart_);
        names_.spans_.push_back({static_cast<std::uint32_t>(fieldStart_),
                                 static_cast<std::uint32_t>(end - fieldStart_)});
    }

    void countLineBytes(std::size_t bytes, std::size_t at) {
        lineBytes_ += bytes;
        if (lineBytes_ > kMaxSampleLineBytes) {
            throw Failure(FailureCode::SampleListLineTooLong,
                          "the sample list " + DisplayPath(file_) + " has a line longer than " +
                              std::to_string(kMaxSampleLineBytes) +
                              " bytes, which no sample name can be",
                          at);
        }
    }

    const fs::path& file_;
    std::size_t wanted_ = 0;
    SampleNames names_;
    State state_ = State::BeforeField;
    std::size_t fieldStart_ = 0;
    std::size_t lineBytes_ = 0;
    bool lineOpen_ = false; // the current line has bytes
    bool afterCr_ = false;  // a LF next belongs to the CR before it
    std::size_t line_ = 1;
    std::size_t total_ = 0;
};

SampleNames ParseSampleNames(std::string text, std::int32_t count, const fs::path& file) {
    SampleListParser parser(count, file);
    return parser.parse(SampleListParser::Holding(std::move(text)));
}

SampleNames ViewSampleNames(std::string_view text, std::int32_t count, const fs::path& file) {
    SampleListParser parser(count, file);
    return parser.parse(SampleListParser::Viewing(text));
}

std::string ReadSampleListFile(const fs::path& path) {
    std::optional<InputFile> in;
    try {
        in.emplace(path);
    } catch (const FileError&) {
        throw Failure(FailureCode::SampleListOpen,
                      "the sample list " + DisplayPath(path) + " is missing or cannot be opened");
    }
    if (in->size() > kMaxSampleListFileBytes) {
        throw Failure(FailureCode::SampleListTooLarge,
                      "the sample list " + DisplayPath(path) + " is larger than " +
                          std::to_string(kMaxSampleListFileBytes >> 20) +
                          " MiB, more than any table's samples can have");
    }
    // One block of the file's size; should it shrink meanwhile, what is there.
    std::string text(static_cast<std::size_t>(in->size()), '\0');
    try {
        text.resize(in->read(text.data(), text.size()));
    } catch (const FileError&) {
        throw Failure(FailureCode::SampleListOpen,
                      "the sample list " + DisplayPath(path) + " cannot be read");
    }
    return text;
}

SampleNames ReadSampleNames(const fs::path& path, std::int32_t count) {
    SampleListParser parser(count, path); // a count of 0 or less reads nothing
    return parser.parse(SampleListParser::Holding(ReadSampleListFile(path)));
}

ByteSource SampleNamesText(const SampleNames& names, std::int32_t count) {
    return [&names, count](const ByteSink& sink) {
        const std::size_t written =
            std::min(names.size(), static_cast<std::size_t>(std::max(count, 0)));
        std::string piece(names.byteOrderMark() ? kByteOrderMark : std::string_view());
        piece.reserve(kSampleListPieceBytes + kMaxSampleNameBytes + 4);
        for (std::size_t k = 0; k < written; ++k) {
            const std::string_view name = names[k];
            if (k == 0 && piece.empty() && name.starts_with(kByteOrderMark)) {
                piece += ' '; // else its first bytes would read as a byte-order mark
            }
            const std::string_view quote = NeedsQuotes(name) ? "\"" : "";
            piece.append(quote).append(name).append(quote).append("\r\n");
            if (piece.size() >= kSampleListPieceBytes) {
                sink(Bytes(piece));
                piece.clear();
            }
        }
        sink(Bytes(piece));
        sink(Bytes(names.rest()));
    };
}

std::string SerializeSampleNames(const SampleNames& names, std::int32_t count) {
    std::string text;
    SampleNamesText(names, count)([&text](std::span<const std::uint8_t> piece) {
        text.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    });
    return text;
}

void WriteSampleNames(const fs::path& path, const SampleNames& names, std::int32_t count) {
    try {
        StagedFile(path, SampleNamesText(names, count)).replaceTarget();
    } catch (const FileError& error) {
        throw Failure(FailureCode::SampleListWrite, error.what());
    }
}

} // namespace sondrel
