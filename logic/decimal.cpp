#include "logic/decimal.h"

#include <charconv>
#include <limits>
#include <string>

namespace sondrel {

double DecimalValue(std::string_view integer, std::string_view fraction, long exponent) {
    const std::string digits = std::string(integer) + std::string(fraction);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    if (firstNonZero == std::string::npos) {
        return 0;
    }
    // The number lies in [10^(order - 1), 10^order).
    const long long order =
        static_cast<long long>(integer.size()) - static_cast<long long>(firstNonZero) + exponent;
    if (order > 400) {
        return std::numeric_limits<double>::infinity();
    }
    if (order < -400) {
        return 0;
    }
    const std::string_view significant = std::string_view(digits).substr(firstNonZero);
    const std::string number = std::string(significant) + "e" +
                               std::to_string(order - static_cast<long long>(significant.size()));
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        return order > 0 ? std::numeric_limits<double>::infinity() : 0;
    }
    return value;
}

} // namespace sondrel
