// Turning the digits of a decimal number into a double, without the C library's locale.
#pragma once

#include <string_view>

namespace sondrel {

// The value of the digits `integer` "." `fraction` times ten to `exponent`, correctly
// rounded; +infinity when too large for a double, 0 when too small. Exponents beyond a
// million may be passed clamped: they make the same result.
double DecimalValue(std::string_view integer, std::string_view fraction, long exponent);

// Adds one exponent digit, clamping at a million so that no text can overflow the count.
inline long AddExponentDigit(long exponent, char digit) {
    const long next = exponent * 10 + (digit - '0');
    return next > 1000000 ? 1000000 : next;
}

} // namespace sondrel
