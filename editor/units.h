// The units a designer edits in, and the way back to the stored bits.
//
// Shown: range = Radius & 0x1F; volume and chance = (byte & 0xFE) / 2.5; pitch =
// (Pitch & 0x7F) * 256 / 322.56; each rounded down.
// Stored: each typed number times 256 (range), 2.5 (volume, chance) or 322.56 (pitch),
// rounded to the nearest whole number with ties to even, then masked, so out-of-range input
// wraps rather than being refused.
#pragma once

#include "editor/flags.h"
#include "formats/sound_table.h"

#include <string>
#include <string_view>

namespace sondrel {

inline constexpr double kRangeScale = 256;
inline constexpr double kVolumeScale = 2.5;
inline constexpr double kChanceScale = 2.5;
inline constexpr double kPitchScale = 322.56; // 256 * 1.26

// The number at the start of a field's text. Blanks, tabs and line feeds are skipped wherever
// they stand ("1 2" is 12); then an optional sign, digits with an optional "." and fraction,
// and an optional exponent (E, optional sign, digits). "&H" and "&O" introduce a hexadecimal
// or octal whole number. "." is the decimal point whatever the user's regional settings; the
// first character that does not fit (a comma, a letter) ends the number. No number gives 0.
double NumberFromText(std::string_view text);

struct ShownValues {
    int Range = 0;
    int Volume = 0;
    int Pitch = 0;
    int Chance = 0;
};

ShownValues ShowDetail(const SoundDetail& detail);

enum class EditField { Range, Volume, Pitch, Chance };

struct EditTexts {
    std::string Range;
    std::string Volume;
    std::string Pitch;
    std::string Chance;
};

struct EditResult {
    bool stored = false;
    SoundDetail detail{};                // the new detail, when stored
    EditField failed = EditField::Range; // the field that cannot be converted, when not
};

// The detail with the edited values and flags stored into it. Sample and the sample count
// never change. A field whose scaled value is not finite or lies outside the signed 32-bit
// range cannot be stored: then nothing is, and `failed` names the first such field.
EditResult StoreEdits(const SoundDetail& detail, const EditTexts& texts,
                      const FlagColours& colours);

} // namespace sondrel
