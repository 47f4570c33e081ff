// The units a designer edits in, and the way back to the stored bits.
//
// Shown: range = Radius & 0x1F; volume and chance = (byte & 0xFE) / 2.5; pitch =
// (Pitch & 0x7F) * 256 / 322.56; each rounded down. So the fields show range 0 to 31, volume
// and chance 0 to 101, pitch 0 to 100.
//
// Stored: a field's text must hold a number within what the field shows; anything else is
// refused and nothing is stored. A whole number is stored as the byte that shows as that same
// number (where several do, the one nearest to the number times the field's scale), so what
// is typed reads back as typed. A number with a fraction is scaled by 256 (range), 2.5
// (volume, chance) or 322.56 (pitch), rounded to the nearest whole number with ties to even,
// and masked to the field's bits. The bits a field does not show (bit 0 of volume and chance,
// 5 to 7 of the range, 7 of the pitch) are kept as read, as the flags' are.
#pragma once

#include "formats/sound_table.h"
#include "logic/flags.h"
#include "logic/text_rule.h"

#include <optional>
#include <string>
#include <vector>

namespace sondrel {

inline constexpr double kRangeScale = 256;
inline constexpr double kVolumeScale = 2.5;
inline constexpr double kChanceScale = 2.5;
inline constexpr double kPitchScale = 322.56; // 256 * 1.26

struct ShownValues {
    int Range = 0;
    int Volume = 0;
    int Pitch = 0;
    int Chance = 0;
};

ShownValues ShowDetail(const SoundDetail& detail);

enum class EditField { Range, Volume, Pitch, Chance };

// A field as a designer reads it in a message, and the largest number it shows.
struct FieldLimits {
    const char* name; // "range", "volume", "pitch", "chance"
    int max;
};
FieldLimits LimitsOf(EditField field);

struct EditTexts {
    std::string Range;
    std::string Volume;
    std::string Pitch;
    std::string Chance;

    friend bool operator==(const EditTexts&, const EditTexts&) = default;
};

// What the four fields and the five flag labels hold.
struct EditView {
    EditTexts Texts;
    FlagColours Colours;

    friend bool operator==(const EditView&, const EditView&) = default;
};

struct EditResult {
    bool stored = false;
    SoundDetail detail{};                // the new detail, when stored
    EditField failed = EditField::Range; // the first field refused, when not
    bool decimalComma = false;           // it was refused for a comma after a number: "2,5"
};

// The flag bits the window does not show (7 to 11 and 15); they always keep their value.
inline constexpr std::uint16_t kUnshownFlags = 0x8F80;

// Update's store: what the designer changed since the window showed `shown` (the sound's
// display, what several sounds share, or the last Update), and nothing else. A field whose
// text is as shown keeps its stored byte, and is not checked; one whose text is not a number
// from 0 to the field's largest, with nothing after it but blanks, is refused: then nothing is
// stored, and `failed` names the first such field. Sample and the sample count never change. A
// flag label stores its bits only where it differs from the sound's own flags, and a label
// left mixed counts as the sound's own: so the loop mode stays exactly (1 or 3) unless L or R
// differ. The sample count and the unshown flag bits always stay. So storing an unchanged view
// changes no byte, however often it is done, and storing into several sounds changes in each
// only what was changed.
EditResult StoreChanges(const SoundDetail& detail, const EditView& shown, const EditView& now);

// One sound an Update changed: its detail's index, and its bytes before and after.
struct DetailChange {
    std::size_t detail = 0;
    SoundDetail before{};
    SoundDetail after{};
};
// Update into several sounds, the details `chosen` of `details`: StoreChanges into each. The
// fields are the same for all, so a field refused is refused for all and nothing is stored:
// `failed` then names it. Otherwise `changes` holds the sounds whose bytes changed.
struct BatchResult {
    std::optional<EditField> failed;
    bool decimalComma = false; // as EditResult's
    std::vector<DetailChange> changes;
};
BatchResult StoreIntoAll(const std::vector<SoundDetail>& details,
                         const std::vector<std::size_t>& chosen, const EditView& shown,
                         const EditView& now);

// How Sondrel lets a designer hear a sound: its shown volume as a linear gain (100 and 101
// full, 50 half, 0 silent; the table does not say how the game maps it), looping where its
// loop mode is set (any mode but 0). Pitch and chance are not applied.
struct Playback {
    double Gain = 0;
    bool Loop = false;
};
Playback PlaybackOf(const SoundDetail& detail);

// What the fields and the labels show of one sound.
EditView ViewOfDetail(const SoundDetail& detail);

// What the fields and labels show for several sounds at once: each text and colour they all
// share; where they differ, an empty field and a mixed label.
EditView SharedView(const std::vector<EditView>& views);

} // namespace sondrel
