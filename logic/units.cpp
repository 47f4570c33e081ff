#include "logic/units.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sondrel {
namespace {

double ScaleOf(EditField field) {
    switch (field) {
    case EditField::Range:
        return kRangeScale;
    case EditField::Volume:
        return kVolumeScale;
    case EditField::Pitch:
        return kPitchScale;
    case EditField::Chance:
        return kChanceScale;
    }
    return 1;
}

// The whole number a field shows for its stored byte.
int ShownValue(EditField field, std::uint8_t byte) {
    switch (field) {
    case EditField::Range:
        return byte & 0x1F;
    case EditField::Volume:
    case EditField::Chance:
        return static_cast<int>(std::floor((byte & 0xFE) / ScaleOf(field)));
    case EditField::Pitch:
        return static_cast<int>(std::floor(((byte & 0x7F) * 256) / kPitchScale));
    }
    return 0;
}

// The byte a scaled and rounded value leaves through the field's mask: bits 8 to 12 of the
// range, 1 to 7 of the volume and chance, 8 to 14 of the pitch.
std::uint8_t MaskedByte(EditField field, std::int32_t scaled) {
    const auto bits = static_cast<std::uint32_t>(scaled);
    switch (field) {
    case EditField::Range:
        return static_cast<std::uint8_t>((bits & 0x1F00) >> 8);
    case EditField::Volume:
    case EditField::Chance:
        return static_cast<std::uint8_t>(bits & 0xFE);
    case EditField::Pitch:
        return static_cast<std::uint8_t>((bits & 0x7F00) >> 8);
    }
    return 0;
}

// Where a stored byte stands on the scaled value's scale.
std::int32_t ScaledOfByte(EditField field, std::uint8_t byte) {
    return field == EditField::Range || field == EditField::Pitch ? byte * 256 : byte;
}

// The byte stored for a number from 0 to the field's largest. A whole number gets the byte
// that shows as itself, nearest to its scaled value; the others are scaled, rounded and masked.
std::uint8_t StoredByte(EditField field, double number) {
    const auto scaled = static_cast<std::int32_t>(std::nearbyint(number * ScaleOf(field)));
    if (number != std::floor(number)) {
        return MaskedByte(field, scaled);
    }
    int best = -1;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const auto candidate = static_cast<std::uint8_t>(byte);
        const bool storable = MaskedByte(field, ScaledOfByte(field, candidate)) == candidate;
        if (storable && ShownValue(field, candidate) == number &&
            (best < 0 ||
             std::abs(ScaledOfByte(field, candidate) - scaled) <
                 std::abs(ScaledOfByte(field, static_cast<std::uint8_t>(best)) - scaled))) {
            best = byte;
        }
    }
    // Every whole number a field shows has a byte that shows it.
    return best >= 0 ? static_cast<std::uint8_t>(best) : MaskedByte(field, scaled);
}

struct FieldOfTexts {
    EditField field;
    std::string EditTexts::*text;
    std::uint8_t SoundDetail::*byte;
    std::uint8_t shown; // the bits of the byte the field shows; the others are kept as read
};
constexpr FieldOfTexts kFields[] = {
    {EditField::Range, &EditTexts::Range, &SoundDetail::Radius, 0x1F},
    {EditField::Volume, &EditTexts::Volume, &SoundDetail::Volume, 0xFE},
    {EditField::Pitch, &EditTexts::Pitch, &SoundDetail::Pitch, 0x7F},
    {EditField::Chance, &EditTexts::Chance, &SoundDetail::Chance, 0xFE},
};

// Stores each field whose text differs from `shown`; the others keep their bytes.
EditResult StoreFields(const SoundDetail& detail, const EditTexts& texts, const EditTexts& shown) {
    EditResult result;
    SoundDetail stored = detail;
    for (const FieldOfTexts& field : kFields) {
        if (texts.*field.text == shown.*field.text) {
            continue;
        }
        const std::string& text = texts.*field.text;
        std::size_t end = 0;
        const std::optional<double> number = NumberFromText(text, &end);
        // Anything after the number ("12abc", "0x5A") is refused rather than passed over.
        if (!number || end != text.size() ||
            !(*number >= 0 && *number <= LimitsOf(field.field).max)) {
            result.failed = field.field;
            result.decimalComma = number && end < text.size() && text[end] == ',';
            return result; // nothing stored, not even the fields before
        }
        stored.*field.byte = static_cast<std::uint8_t>(
            (StoredByte(field.field, *number) & field.shown) | (detail.*field.byte & ~field.shown));
    }
    result.stored = true;
    result.detail = stored;
    return result;
}

} // namespace

FieldLimits LimitsOf(EditField field) {
    switch (field) {
    case EditField::Range:
        return {"range", 31};
    case EditField::Volume:
        return {"volume", 101};
    case EditField::Pitch:
        return {"pitch", 100};
    case EditField::Chance:
        return {"chance", 101};
    }
    return {"", 0};
}

ShownValues ShowDetail(const SoundDetail& detail) {
    return {
        ShownValue(EditField::Range, detail.Radius), ShownValue(EditField::Volume, detail.Volume),
        ShownValue(EditField::Pitch, detail.Pitch), ShownValue(EditField::Chance, detail.Chance)};
}

Playback PlaybackOf(const SoundDetail& detail) {
    return {std::min(ShowDetail(detail).Volume, 100) / 100.0, (detail.Flags & kLoopModeMask) != 0};
}

EditResult StoreChanges(const SoundDetail& detail, const EditView& shown, const EditView& now) {
    EditResult result = StoreFields(detail, now.Texts, shown.Texts);
    if (!result.stored) {
        return result;
    }
    // A label left mixed stands for each sound's own bit; a label as the sound's own keeps
    // its bits exactly (the loop mode 1 and 3 both light L).
    const FlagColours own = ColoursForFlags(detail.Flags);
    FlagColours colours = now.Colours;
    for (auto label :
         {&FlagColours::V, &FlagColours::P, &FlagColours::N, &FlagColours::L, &FlagColours::R}) {
        if (colours.*label == kMixed) {
            colours.*label = own.*label;
        }
    }
    std::uint16_t kept = kUnshownFlags;
    for (const auto& [label, bits] : {std::pair{&FlagColours::V, kFlagV},
                                      {&FlagColours::P, kFlagP},
                                      {&FlagColours::N, kFlagN}}) {
        if (colours.*label == own.*label) {
            kept |= bits;
        }
    }
    if (colours.L == own.L && colours.R == own.R) {
        kept |= kLoopModeMask;
    }
    const std::uint16_t rebuilt = FlagsFromColours(detail.Flags, colours);
    result.detail.Flags = static_cast<std::uint16_t>((rebuilt & ~kept) | (detail.Flags & kept));
    return result;
}

BatchResult StoreIntoAll(const std::vector<SoundDetail>& details,
                         const std::vector<std::size_t>& chosen, const EditView& shown,
                         const EditView& now) {
    BatchResult batch;
    for (const std::size_t d : chosen) {
        const EditResult result = StoreChanges(details[d], shown, now);
        if (!result.stored) {
            return {result.failed, result.decimalComma, {}};
        }
        if (result.detail != details[d]) {
            batch.changes.push_back({d, details[d], result.detail});
        }
    }
    return batch;
}

EditView ViewOfDetail(const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    return {{std::to_string(shown.Range), std::to_string(shown.Volume), std::to_string(shown.Pitch),
             std::to_string(shown.Chance)},
            ColoursForFlags(detail.Flags)};
}

EditView SharedView(const std::vector<EditView>& views) {
    if (views.empty()) {
        return {};
    }
    EditView shared = views.front();
    for (const EditView& view : views) {
        for (auto field :
             {&EditTexts::Range, &EditTexts::Volume, &EditTexts::Pitch, &EditTexts::Chance}) {
            if (view.Texts.*field != shared.Texts.*field) {
                shared.Texts.*field = {};
            }
        }
        for (auto label : {&FlagColours::V, &FlagColours::P, &FlagColours::N, &FlagColours::L,
                           &FlagColours::R}) {
            if (view.Colours.*label != shared.Colours.*label) {
                shared.Colours.*label = kMixed;
            }
        }
    }
    return shared;
}

} // namespace sondrel
