#include "logic/units.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sondrel {
namespace {

// The whole number a field shows for its stored byte.
int ShownValue(EditField field, std::uint8_t byte) {
    switch (field) {
    case EditField::Range:
        return byte & 0x1F;
    case EditField::Volume:
    case EditField::Chance:
        return static_cast<int>(std::floor((byte & 0xFE) / InfoOf(field).scale));
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
    const auto scaled = static_cast<std::int32_t>(std::nearbyint(number * InfoOf(field).scale));
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

// Stores each field whose text differs from `shown`; the others keep their bytes.
EditResult StoreFields(const SoundDetail& detail, const EditTexts& texts, const EditTexts& shown) {
    EditResult result;
    SoundDetail stored = detail;
    const ShownValues own = ShowDetail(detail);
    for (const FieldInfo& field : kEditFields) {
        if (texts.*field.text == shown.*field.text) {
            continue;
        }
        const std::optional<FieldChange> change =
            ReadFieldChange(field.field, texts.*field.text, &result.decimalComma);
        if (!change) {
            result.failed = field.field;
            return result; // nothing stored, not even the fields before
        }
        double number = change->number;
        if (change->kind != FieldChange::Kind::Set) {
            const ChangedValue changed = ApplyChange(*change, own.*field.value, field.max);
            result.held[static_cast<std::size_t>(field.field)] = changed.held;
            number = changed.value;
        }
        if (number == own.*field.value) {
            continue; // it shows that number already: its byte stays
        }
        std::uint8_t& byte = stored.*field.byte;
        byte = static_cast<std::uint8_t>((StoredByte(field.field, number) & field.shownBits) |
                                         (byte & ~field.shownBits));
    }
    result.stored = true;
    result.detail = stored;
    return result;
}

} // namespace

std::optional<FieldChange> ReadFieldChange(EditField field, std::string_view text,
                                           bool* decimalComma) {
    std::size_t end = 0;
    const std::optional<double> number = NumberFromText(text, &end);
    if (decimalComma != nullptr) {
        *decimalComma = number && end < text.size() && text[end] == ',';
    }
    if (!number || !(*number >= 0)) {
        return std::nullopt;
    }
    // Anything after the number ("12abc", "0x5A") is refused rather than passed over, but for
    // the sign of a change, which stands after it.
    if (end == text.size()) {
        if (*number > InfoOf(field).max) {
            return std::nullopt;
        }
        return FieldChange{FieldChange::Kind::Set, *number};
    }
    FieldChange change{FieldChange::Kind::Set, std::min(*number, kMaxChange)};
    switch (text[end]) {
    case '%':
        change.kind = FieldChange::Kind::Percent;
        break;
    case '+':
        change.kind = FieldChange::Kind::Plus;
        break;
    case '-':
        change.kind = FieldChange::Kind::Minus;
        break;
    default:
        return std::nullopt;
    }
    const bool wholeNumber = *number == std::floor(*number);
    const std::size_t after = text.find_first_not_of(" \t\n", end + 1);
    if (!wholeNumber || after != std::string_view::npos) {
        return std::nullopt;
    }
    return change;
}

std::string WhatFieldTakes(const FieldInfo& field) {
    const std::string limits = "0 to " + std::to_string(field.max);
    return "a number from " + limits + ", or a change of each sound's own " + field.name +
           ": 80% for 80% of it, 10+ for 10 more, 10- for 10 less, held within " + limits;
}

ChangedValue ApplyChange(const FieldChange& change, int own, int max) {
    double value = own;
    switch (change.kind) {
    case FieldChange::Kind::Set:
        value = change.number;
        break;
    case FieldChange::Kind::Percent:
        value = std::floor(own * change.number / 100 + 0.5);
        break;
    case FieldChange::Kind::Plus:
        value = own + change.number;
        break;
    case FieldChange::Kind::Minus:
        value = own - change.number;
        break;
    }
    if (value < 0) {
        return {0, Held::AtLeast};
    }
    if (value > max) {
        return {max, Held::AtMost};
    }
    return {static_cast<int>(value), Held::No};
}

ShownValues ShowDetail(const SoundDetail& detail) {
    ShownValues shown;
    for (const FieldInfo& field : kEditFields) {
        shown.*field.value = ShownValue(field.field, detail.*field.byte);
    }
    return shown;
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
    for (const FlagInfo& label : kFlagLabels) {
        if (colours.*label.colour == kMixed) {
            colours.*label.colour = own.*label.colour;
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
            return {result.failed, result.decimalComma, {}, {}};
        }
        for (std::size_t field = 0; field < kEditFields.size(); ++field) {
            batch.held[field].atLeast += result.held[field] == Held::AtLeast;
            batch.held[field].atMost += result.held[field] == Held::AtMost;
        }
        if (result.detail != details[d]) {
            batch.changes.push_back({d, details[d], result.detail});
        }
    }
    return batch;
}

EditView ViewOfDetail(const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    EditView view{{}, ColoursForFlags(detail.Flags)};
    for (const FieldInfo& field : kEditFields) {
        view.Texts.*field.text = std::to_string(shown.*field.value);
    }
    return view;
}

EditView SharedView(const std::vector<EditView>& views) {
    if (views.empty()) {
        return {};
    }
    EditView shared = views.front();
    for (const EditView& view : views) {
        for (const FieldInfo& field : kEditFields) {
            if (view.Texts.*field.text != shared.Texts.*field.text) {
                shared.Texts.*field.text = {};
            }
        }
        for (const FlagInfo& label : kFlagLabels) {
            if (view.Colours.*label.colour != shared.Colours.*label.colour) {
                shared.Colours.*label.colour = kMixed;
            }
        }
    }
    return shared;
}

} // namespace sondrel
