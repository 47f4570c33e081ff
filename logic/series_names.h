// The names of the samples as the sound list reads them: which belong to a sound taken over
// from the series' other games, and the sample number such a name carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace sondrel {

// True when the name's first 9 characters are "KV1 Sound", "KV2 Sound", "KV3 Sound" or
// "KV5 Sound": a sound taken over from one of the series' other games.
bool HasSeriesPrefix(std::string_view name);

// The sample number of a name such as "KV5 Sound 12.wav" (12) or "KV3 Sound 45-bell.wav"
// (45). Positions count from 1. With a "-" at position p, the number text is positions 11 to
// p - 1 (none when p < 11); without one, the name less its first 10 and last 4 characters
// (none when shorter than 14). The text must be a decimal number as a whole, spaces around it
// allowed, "." as the decimal point; it is rounded toward minus infinity. Returns nothing
// when any of this fails or the number lies outside the signed 32-bit range.
std::optional<std::int32_t> ExtractSampleNumber(std::string_view name);

} // namespace sondrel
