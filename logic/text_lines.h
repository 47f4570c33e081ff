// The text form's lines as its reader takes them apart: the bytes of a text, from memory or
// a stream, and the words, numbers, bytes and quoted names of its lines.
#pragma once

#include "logic/table_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

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
        if (kept > 0) { // an empty view may point nowhere
            std::memmove(buffer_.data(), text_.data() + (text_.size() - kept), kept);
        }
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
    bool next();
    // Passes over the rest of the line and its end, whatever it holds.
    void skipLine();

    void spaces();
    bool take(std::string_view word);
    void expect(std::string_view word);
    // The line ends here: a LF, a CR LF (a text saved with CR LF line ends reads the same) or
    // the end of the text.
    bool atEnd();
    void end();
    // The letters of the flags, or "-".
    std::string letters();
    bool startsQuote();

    // A whole number from `low` to `high`.
    long long number(long long low, long long high, const char* what);
    std::uint8_t hexByte();
    // Quoted 8-bit text, as Quoted writes it, each byte handed to `keep`.
    template <class Keep> void quoted(Keep keep);

private:
    char escaped();

    TextSource& in_;
    std::size_t number_ = 0;
};

template <class Keep> void LineReader::quoted(Keep keep) {
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

} // namespace sondrel
