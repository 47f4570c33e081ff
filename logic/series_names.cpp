#include "logic/series_names.h"

#include "logic/decimal.h"
#include "logic/digits.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace sondrel {
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
