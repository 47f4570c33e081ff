// The text rule: how the text of a field becomes a number.
#pragma once

#include <optional>
#include <string_view>

namespace sondrel {

// The number at the start of a field's text. Blanks, tabs and line feeds are skipped wherever
// they stand ("1 2" is 12); then an optional sign, digits with an optional "." and fraction,
// and an optional exponent (E, optional sign, digits). "&H" and "&O" introduce a hexadecimal
// or octal whole number. "." is the decimal point whatever the user's regional settings; the
// first character that does not fit (a comma, a letter) ends the number. Nothing when the
// text does not start with a number: empty text, "abc", "-", "&H" without a digit. `end`,
// where given, receives where the number ends, the blanks after it passed over: the text's
// size when the number is all it holds.
std::optional<double> NumberFromText(std::string_view text, std::size_t* end = nullptr);

} // namespace sondrel
