#include "formats/sample_names.h"

#include "formats/safe_save.h"

#include <algorithm>
#include <array>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::span<const std::uint8_t> Bytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// The names a reader has read, and what the text holds besides them.
std::vector<std::string> Finish(SampleListReader& reader, SampleListForm* form) {
    std::vector<std::string> names = reader.finish();
    if (form != nullptr) {
        *form = reader.takeForm();
    }
    return names;
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

SampleListReader::SampleListReader(std::int32_t count, const fs::path& file) : file_(file) {
    if (count <= 0) {
        throw Failure(FailureCode::NoSamples, "the table has a sample count of " +
                                                  std::to_string(count) + ", so its sample list " +
                                                  DisplayPath(file) + " cannot be read");
    }
    wanted_ = static_cast<std::size_t>(count);
    names_.reserve(std::min<std::size_t>(wanted_, 1 << 16));
}

void SampleListReader::feed(std::string_view piece) {
    // A UTF-8 byte-order mark at the very start is not part of the first name.
    while (!markDecided_ && !piece.empty()) {
        if (piece.front() == kByteOrderMark[markMatched_]) {
            piece.remove_prefix(1);
            byteOrderMark_ = ++markMatched_ == kByteOrderMark.size();
            markDecided_ = byteOrderMark_;
        } else {
            markDecided_ = true;
            consume(kByteOrderMark.substr(0, markMatched_)); // the start of a name after all
        }
    }
    if (!markDecided_) {
        return;
    }
    if (restBegun()) {
        keepRest(piece);
    } else {
        consume(piece);
    }
}

void SampleListReader::keepRest(std::string_view bytes) {
    if (afterCr_ && !bytes.empty()) {
        afterCr_ = false;
        if (bytes.front() == '\n') {
            bytes.remove_prefix(1); // the LF of the last name's CR LF
        }
    }
    totalBytes_ += bytes.size();
    if (totalBytes_ > kMaxSampleListNameBytes) {
        throw Failure(FailureCode::SampleListTooLarge,
                      "the sample list " + DisplayPath(file_) + " is larger than " +
                          std::to_string(kMaxSampleListNameBytes >> 20) +
                          " MiB, more than any table's samples can have");
    }
    rest_.append(bytes);
}

void SampleListReader::consume(std::string_view piece) {
    std::size_t pos = 0;
    while (pos < piece.size() && !restBegun()) {
        const char c = piece[pos];
        if (afterCr_) {
            afterCr_ = false;
            if (c == '\n') {
                ++pos; // the LF of a CR LF
                continue;
            }
        }
        if (c == '\r' || c == '\n') {
            endLine();
            afterCr_ = c == '\r';
            ++pos;
            continue;
        }
        lineOpen_ = true;
        if (state_ == State::Bare || state_ == State::Quoted) {
            // The bytes of a name up to whatever may end it, taken at once.
            const std::string_view enders = state_ == State::Bare ? ",\r\n" : "\"\r\n";
            const std::size_t end = std::min(piece.find_first_of(enders, pos), piece.size());
            countLineBytes(end - pos);
            field_.append(piece.substr(pos, std::min(end - pos, kMaxSampleNameBytes + 1)));
            checkNameLength();
            pos = end;
            if (pos < piece.size() && piece[pos] != '\r' && piece[pos] != '\n') {
                countLineBytes(1);
                addName();
                state_ = state_ == State::Bare ? State::BeforeField : State::AfterQuote;
                ++pos;
            }
            continue;
        }
        countLineBytes(1);
        if (state_ == State::AfterQuote) {
            if (c == ',') {
                state_ = State::BeforeField;
            }
        } else if (c == ',') {
            addName(); // an empty field
        } else if (c == '"') {
            state_ = State::Quoted;
        } else if (c != ' ') {
            state_ = State::Bare;
            field_ += c;
            checkNameLength();
        }
        ++pos;
    }
    if (restBegun()) {
        keepRest(piece.substr(pos));
    }
}

std::vector<std::string> SampleListReader::finish() {
    if (!markDecided_) {
        markDecided_ = true;
        consume(kByteOrderMark.substr(0, markMatched_));
    }
    if (!done() && lineOpen_) {
        endLine(); // the last line, without a line end
    }
    if (!done()) {
        throw Failure(FailureCode::SampleListShort, "the sample list " + DisplayPath(file_) +
                                                        " has " + std::to_string(names_.size()) +
                                                        " names, the table needs " +
                                                        std::to_string(wanted_));
    }
    return std::move(names_);
}

void SampleListReader::endLine() {
    // Every line has a field: an empty line, or one ending in a comma, ends with an empty
    // name; a field after a closing quote has been taken already.
    if (state_ != State::AfterQuote) {
        addName();
    }
    state_ = State::BeforeField;
    lineBytes_ = 0;
    lineOpen_ = false;
    ++line_;
}

void SampleListReader::addName() {
    totalBytes_ += field_.size();
    if (totalBytes_ > kMaxSampleListNameBytes) {
        throw Failure(FailureCode::SampleListTooLarge,
                      "the names of the sample list " + DisplayPath(file_) +
                          " add up to more than " + std::to_string(kMaxSampleListNameBytes >> 20) +
                          " MiB, more than any table's samples can have");
    }
    names_.push_back(std::move(field_));
    field_.clear();
}

void SampleListReader::checkNameLength() const {
    if (field_.size() > kMaxSampleNameBytes) {
        throw Failure(FailureCode::SampleNameTooLong,
                      "line " + std::to_string(line_) + " of the sample list " +
                          DisplayPath(file_) + " holds a name longer than " +
                          std::to_string(kMaxSampleNameBytes) +
                          " bytes, which no sample file name can be");
    }
}

void SampleListReader::countLineBytes(std::size_t bytes) {
    lineBytes_ += bytes;
    if (lineBytes_ > kMaxSampleLineBytes) {
        throw Failure(FailureCode::SampleListLineTooLong,
                      "the sample list " + DisplayPath(file_) + " has a line longer than " +
                          std::to_string(kMaxSampleLineBytes) +
                          " bytes, which no sample name can be");
    }
}

std::vector<std::string> ParseSampleNames(std::string_view text, std::int32_t count,
                                          const fs::path& file, SampleListForm* form) {
    SampleListReader reader(count, file);
    reader.feed(text);
    return Finish(reader, form);
}

std::vector<std::string> ReadSampleNames(const fs::path& path, std::int32_t count,
                                         SampleListForm* form) {
    SampleListReader reader(count, path);
    std::optional<InputFile> in;
    try {
        in.emplace(path);
    } catch (const FileError&) {
        throw Failure(FailureCode::SampleListOpen,
                      "the sample list " + DisplayPath(path) + " is missing or cannot be opened");
    }
    // Pieces of the file to its end, the rest after the names included.
    std::string piece(kSampleListPieceBytes, '\0');
    for (;;) {
        std::size_t got = 0;
        try {
            got = in->read(piece.data(), piece.size());
        } catch (const FileError&) {
            throw Failure(FailureCode::SampleListOpen,
                          "the sample list " + DisplayPath(path) + " cannot be read");
        }
        if (got == 0) {
            break;
        }
        reader.feed(std::string_view(piece.data(), got));
    }
    return Finish(reader, form);
}

ByteSource SampleNamesText(const std::vector<std::string>& names, std::int32_t count,
                           const SampleListForm& form) {
    return [&names, count, &form](const ByteSink& sink) {
        const std::size_t written =
            std::min(names.size(), static_cast<std::size_t>(std::max(count, 0)));
        std::string piece(form.byteOrderMark ? kByteOrderMark : std::string_view());
        piece.reserve(kSampleListPieceBytes + kMaxSampleNameBytes + 4);
        for (std::size_t k = 0; k < written; ++k) {
            const std::string& name = names[k];
            if (NeedsQuotes(name)) {
                piece += '"';
                piece += name;
                piece += '"';
            } else {
                piece += name;
            }
            piece += "\r\n";
            if (piece.size() >= kSampleListPieceBytes) {
                sink(Bytes(piece));
                piece.clear();
            }
        }
        sink(Bytes(piece));
        sink(Bytes(form.rest));
    };
}

std::string SerializeSampleNames(const std::vector<std::string>& names, std::int32_t count,
                                 const SampleListForm& form) {
    std::string text;
    SampleNamesText(names, count, form)([&text](std::span<const std::uint8_t> piece) {
        text.append(reinterpret_cast<const char*>(piece.data()), piece.size());
    });
    return text;
}

void WriteSampleNames(const fs::path& path, const std::vector<std::string>& names,
                      std::int32_t count, const SampleListForm& form) {
    try {
        StagedFile(path, SampleNamesText(names, count, form)).replaceTarget();
    } catch (const FileError& error) {
        throw Failure(FailureCode::SampleListWrite, error.what());
    }
}

} // namespace sondrel
