// The units a designer edits in, and the way back to the stored bits.
//
// Shown: range = Radius & 0x1F; volume and chance = (byte & 0xFE) / 2.5; pitch =
// (Pitch & 0x7F) * 256 / 322.56; each rounded down. So the fields show range 0 to 31, volume
// and chance 0 to 101, pitch 0 to 100.
//
// Stored: a field's text must hold a number within what the field shows, or a change of each
// sound's own value: "80%" (80% of it, rounded to the nearest, halves up), "10+" or "10-" (10
// more or less), the result held within what the field shows; anything else is refused and
// nothing is stored. A whole number is stored as the byte that shows as that same number
// (where several do, the one nearest to the number times the field's scale), so what is typed
// reads back as typed; a sound that shows that number already keeps its byte. A number with a
// fraction is scaled by 256 (range), 2.5 (volume, chance) or 322.56 (pitch), rounded to the nearest
// whole number with ties to even, and masked to the field's bits. The bits a field does not show
// (bit 0 of volume and chance, 5 to 7 of the range, 7 of the pitch) are kept as read, as the flags'
// are.
#pragma once

#include "formats/sound_table.h"
#include "logic/flags.h"
#include "logic/text_rule.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>
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

struct EditTexts {
    std::string Range;
    std::string Volume;
    std::string Pitch;
    std::string Chance;

    friend bool operator==(const EditTexts&, const EditTexts&) = default;
};

// Each field: its name as a designer reads it in a message, the largest number it shows, its
// scale, its text, the detail's byte it stands for, that byte's place among the detail's eight
// and the bits of it the field shows (the others are kept as read), and its value as shown.
struct FieldInfo {
    EditField field;
    const char* name; // "range", "volume", "pitch", "chance"
    int max;
    double scale;
    std::string EditTexts::*text;
    std::uint8_t SoundDetail::*byte;
    std::size_t offset;
    std::uint8_t shownBits;
    int ShownValues::*value;
};
inline constexpr std::array<FieldInfo, 4> kEditFields{{
    {EditField::Range, "range", 31, kRangeScale, &EditTexts::Range, &SoundDetail::Radius, 3, 0x1F,
     &ShownValues::Range},
    {EditField::Volume, "volume", 101, kVolumeScale, &EditTexts::Volume, &SoundDetail::Volume, 2,
     0xFE, &ShownValues::Volume},
    {EditField::Pitch, "pitch", 100, kPitchScale, &EditTexts::Pitch, &SoundDetail::Pitch, 5, 0x7F,
     &ShownValues::Pitch},
    {EditField::Chance, "chance", 101, kChanceScale, &EditTexts::Chance, &SoundDetail::Chance, 4,
     0xFE, &ShownValues::Chance},
}};
constexpr const FieldInfo& InfoOf(EditField field) {
    return kEditFields[static_cast<std::size_t>(field)];
}

// What a field's text asks of each sound: a number to store, or a change of the value the
// field shows of it.
struct FieldChange {
    enum class Kind { Set, Percent, Plus, Minus };
    Kind kind = Kind::Set;
    double number = 0; // whole, and at most kMaxChange, for a change
};
inline constexpr double kMaxChange = 1e6; // a larger one changes nothing more
// The text read: a number from 0 to the field's largest ("+5" is 5), or a whole number
// followed by "%", "+" or "-", blanks allowed around either; nothing where it is neither.
// `decimalComma`, where given, is set when a comma after a number is what refused it: "2,5".
std::optional<FieldChange> ReadFieldChange(EditField field, std::string_view text,
                                           bool* decimalComma = nullptr);

// What a field takes, in words: "a number from 0 to 31, or a change of each sound's own range:
// 80% for 80% of it, 10+ for 10 more, 10- for 10 less, held within 0 to 31".
std::string WhatFieldTakes(const FieldInfo& field);

// Whether a change came out beyond what the field shows, and so was held at an end.
enum class Held : std::uint8_t { No, AtLeast, AtMost };
// A change applied to the value a field shows of one sound.
struct ChangedValue {
    int value = 0;
    Held held = Held::No;
};
ChangedValue ApplyChange(const FieldChange& change, int own, int max);

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
    std::array<Held, 4> held{};          // each field's change, held at an end, when stored
};

// The flag bits the window does not show (7 to 11 and 15); they always keep their value.
inline constexpr std::uint16_t kUnshownFlags = 0x8F80;

// Update's store: what the designer changed since the window showed `shown` (the sound's
// display, what several sounds share, or the last Update), and nothing else. A field whose
// text is as shown keeps its stored byte, and is not checked; one whose text is not a number
// from 0 to the field's largest, with nothing after it but blanks, is refused: then nothing is
// stored, and `failed` names the first such field. A change of the sound's own value ("80%")
// is applied to what the field shows of it. Sample and the sample count never change. A
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
    struct HeldCount {
        int atLeast = 0; // held at 0
        int atMost = 0;  // held at the field's largest
    };
    std::optional<EditField> failed;
    bool decimalComma = false; // as EditResult's
    std::vector<DetailChange> changes;
    std::array<HeldCount, 4> held{}; // for each field, the sounds whose change was held
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
