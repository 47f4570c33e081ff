#include "logic/text_rule.h"

#include "logic/decimal.h"
#include "logic/digits.h"

#include <string>

namespace sondrel {
namespace {

// Reads a text character by character, passing over blanks, tabs and line feeds wherever
// they stand.
class TextCursor {
public:
    explicit TextCursor(std::string_view text) : text_(text) {}

    int peek() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
            ++pos_;
        }
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void next() { ++pos_; }
    bool take(char c) {
        if (peek() == static_cast<unsigned char>(c)) {
            next();
            return true;
        }
        return false;
    }
    std::string digits() {
        std::string out;
        while (IsDigit(peek())) {
            out += static_cast<char>(peek());
            next();
        }
        return out;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

std::optional<double> WholeNumber(TextCursor& in, int base) {
    std::optional<double> value;
    for (int digit = DigitValue(in.peek(), base); digit >= 0; digit = DigitValue(in.peek(), base)) {
        value = value.value_or(0) * base + digit;
        in.next();
    }
    return value;
}

} // namespace

std::optional<double> NumberFromText(std::string_view text, std::size_t* end) {
    TextCursor in(text);
    // Where the number ends, the blanks after it passed over.
    const auto ending = [&](std::optional<double> value) {
        if (end != nullptr) {
            in.peek();
            *end = in.position();
        }
        return value;
    };
    if (in.take('&')) {
        if (in.take('H') || in.take('h')) {
            return ending(WholeNumber(in, 16));
        }
        if (in.take('O') || in.take('o')) {
            return ending(WholeNumber(in, 8));
        }
        return std::nullopt;
    }
    const bool negative = in.take('-');
    if (!negative) {
        in.take('+');
    }
    const std::string integer = in.digits();
    std::string fraction;
    if (in.take('.')) {
        fraction = in.digits();
    }
    if (integer.empty() && fraction.empty()) {
        return std::nullopt;
    }
    long exponent = 0;
    const std::size_t beforeExponent = in.position();
    if (in.take('E') || in.take('e')) {
        const bool negativeExponent = in.take('-');
        if (!negativeExponent) {
            in.take('+');
        }
        const std::string digits = in.digits();
        if (digits.empty()) {
            in.rewind(beforeExponent); // "1E" is 1
        }
        for (const char digit : digits) {
            exponent = AddExponentDigit(exponent, digit);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    const double value = DecimalValue(integer, fraction, exponent);
    return ending(negative ? -value : value);
}

} // namespace sondrel
