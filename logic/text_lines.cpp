#include "logic/text_lines.h"

#include "logic/digits.h"

#include <charconv>

namespace sondrel {

bool LineReader::next() {
    if (in_.peek() < 0) {
        return false;
    }
    ++number_;
    if (in_.read() > kMaxTableTextBytes) {
        fail("the text is larger than any table's");
    }
    return true;
}
void LineReader::skipLine() {
    for (int c = in_.peek(); c >= 0 && c != '\n'; c = in_.peek()) {
        in_.skip();
    }
    in_.skip();
}

void LineReader::spaces() {
    while (in_.peek() == ' ' || in_.peek() == '\t') {
        in_.skip();
    }
}
bool LineReader::take(std::string_view word) {
    spaces();
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (in_.peek(i) != static_cast<unsigned char>(word[i])) {
            return false;
        }
    }
    in_.skip(word.size());
    return true;
}
void LineReader::expect(std::string_view word) {
    if (!take(word)) {
        fail("\"" + std::string(word) + "\" expected");
    }
}
bool LineReader::atEnd() {
    spaces();
    const int c = in_.peek();
    return c < 0 || c == '\n' || (c == '\r' && (in_.peek(1) == '\n' || in_.peek(1) < 0));
}
void LineReader::end() {
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
std::string LineReader::letters() {
    spaces();
    std::string letters;
    while (in_.peek() >= 0 && std::strchr("PVRLN-", in_.peek()) != nullptr && letters.size() < 8) {
        letters += static_cast<char>(in_.peek());
        in_.skip();
    }
    if (letters.empty()) {
        fail("the flags' letters (of P V R L N), or \"-\", expected");
    }
    return letters;
}
bool LineReader::startsQuote() {
    spaces();
    return in_.peek() == '"';
}

long long LineReader::number(long long low, long long high, const char* what) {
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
        fail(std::string(what) + " must be a whole number from " + std::to_string(low) + " to " +
             std::to_string(high));
    }
    in_.skip(length);
    return value;
}
std::uint8_t LineReader::hexByte() {
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

char LineReader::escaped() {
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

} // namespace sondrel
