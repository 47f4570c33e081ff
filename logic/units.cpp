#include "logic/units.h"

#include <cmath>
#include <limits>

namespace sondrel {
namespace {

// Rounds to the nearest whole number, ties to even; false when the result is not a finite
// signed 32-bit number.
bool ScaledInteger(const std::string& text, double scale, std::int32_t& out) {
    const double rounded = std::nearbyint(NumberFromText(text) * scale);
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return false;
    }
    out = static_cast<std::int32_t>(rounded);
    return true;
}

std::uint32_t Bits(std::int32_t value) {
    return static_cast<std::uint32_t>(value);
}

} // namespace

ShownValues ShowDetail(const SoundDetail& detail) {
    ShownValues shown;
    shown.Range = detail.Radius & 0x1F;
    shown.Volume = static_cast<int>(std::floor((detail.Volume & 0xFE) / kVolumeScale));
    shown.Pitch = static_cast<int>(std::floor(((detail.Pitch & 0x7F) * 256) / kPitchScale));
    shown.Chance = static_cast<int>(std::floor((detail.Chance & 0xFE) / kChanceScale));
    return shown;
}

EditResult StoreEdits(const SoundDetail& detail, const EditTexts& texts,
                      const FlagColours& colours) {
    EditResult result;
    std::int32_t range = 0;
    std::int32_t volume = 0;
    std::int32_t pitch = 0;
    std::int32_t chance = 0;
    const struct {
        const std::string& text;
        double scale;
        std::int32_t& out;
        EditField field;
    } fields[] = {
        {texts.Range, kRangeScale, range, EditField::Range},
        {texts.Volume, kVolumeScale, volume, EditField::Volume},
        {texts.Chance, kChanceScale, chance, EditField::Chance},
        {texts.Pitch, kPitchScale, pitch, EditField::Pitch},
    };
    for (const auto& field : fields) {
        if (!ScaledInteger(field.text, field.scale, field.out)) {
            result.failed = field.field;
            return result;
        }
    }
    result.stored = true;
    result.detail = detail;
    result.detail.setWord(
        1, static_cast<std::uint16_t>((Bits(range) & 0x1F00) + (Bits(volume) & 0xFE)));
    result.detail.setWord(
        2, static_cast<std::uint16_t>((Bits(chance) & 0xFE) + (Bits(pitch) & 0x7F00)));
    result.detail.Flags = FlagsFromColours(detail.Flags, colours);
    return result;
}

EditResult StoreChanges(const SoundDetail& detail, const EditView& shown, const EditView& now) {
    // An unchanged field is not converted at all; its byte is put back below.
    const auto changed = [&](std::string EditTexts::*field) {
        return now.Texts.*field != shown.Texts.*field;
    };
    EditTexts texts = now.Texts;
    for (std::string EditTexts::*field :
         {&EditTexts::Range, &EditTexts::Volume, &EditTexts::Pitch, &EditTexts::Chance}) {
        if (!changed(field)) {
            (texts.*field).clear(); // reads as 0
        }
    }
    EditResult result = StoreEdits(detail, texts, now.Colours);
    if (!result.stored) {
        return result;
    }
    SoundDetail& stored = result.detail;
    if (!changed(&EditTexts::Range)) {
        stored.Radius = detail.Radius;
    }
    if (!changed(&EditTexts::Volume)) {
        stored.Volume = detail.Volume;
    }
    if (!changed(&EditTexts::Pitch)) {
        stored.Pitch = detail.Pitch;
    }
    if (!changed(&EditTexts::Chance)) {
        stored.Chance = detail.Chance;
    }
    const bool loopChanged = now.Colours.L != shown.Colours.L || now.Colours.R != shown.Colours.R;
    const auto kept = static_cast<std::uint16_t>(kUnshownFlags | (loopChanged ? 0 : kLoopModeMask));
    stored.Flags = static_cast<std::uint16_t>((stored.Flags & ~kept) | (detail.Flags & kept));
    return result;
}

} // namespace sondrel
