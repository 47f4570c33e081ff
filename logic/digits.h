// Digits, as the field's text rule, the sample names' grammar and the text form read them.
#pragma once

namespace sondrel {

inline bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}

// The value of a digit of `base` (up to 16, letters in either case), or -1 for none.
inline int DigitValue(int c, int base) {
    int value = -1;
    if (IsDigit(c)) {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value < base ? value : -1;
}

} // namespace sondrel
