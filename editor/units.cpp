#include "editor/units.h"

#include "formats/decimal.h"

#include <cmath>
#include <limits>

namespace sondrel {
namespace {

// Reads a text character by character, passing over blanks, tabs and line feeds wherever
// they stand.
class TextCursor {
public:
    explicit TextCursor(std::string_view text) : text_(text) {}

    int peek() {
        while (pos_ < text_.size() &&
               (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n')) {
            ++pos_;
        }
        return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_]) : -1;
    }
    void next() { ++pos_; }
    bool take(char c) {
        if (peek() == static_cast<unsigned char>(c)) {
            next();
            return true;
        }
        return false;
    }
    std::string digits() {
        std::string out;
        while (peek() >= '0' && peek() <= '9') {
            out += static_cast<char>(peek());
            next();
        }
        return out;
    }
    std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

int DigitValue(int c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    }
    return value < base ? value : -1;
}

double WholeNumber(TextCursor& in, int base) {
    double value = 0;
    for (int digit = DigitValue(in.peek(), base); digit >= 0; digit = DigitValue(in.peek(), base)) {
        value = value * base + digit;
        in.next();
    }
    return value;
}

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

double NumberFromText(std::string_view text) {
    TextCursor in(text);
    if (in.take('&')) {
        if (in.take('H') || in.take('h')) {
            return WholeNumber(in, 16);
        }
        if (in.take('O') || in.take('o')) {
            return WholeNumber(in, 8);
        }
        return 0;
    }
    const bool negative = in.take('-');
    if (!negative) {
        in.take('+');
    }
    const std::string integer = in.digits();
    std::string fraction;
    if (in.take('.')) {
        fraction = in.digits();
    }
    if (integer.empty() && fraction.empty()) {
        return 0;
    }
    long exponent = 0;
    const std::size_t beforeExponent = in.position();
    if (in.take('E') || in.take('e')) {
        const bool negativeExponent = in.take('-');
        if (!negativeExponent) {
            in.take('+');
        }
        const std::string digits = in.digits();
        if (digits.empty()) {
            in.rewind(beforeExponent); // "1E" is 1
        }
        for (const char digit : digits) {
            exponent = AddExponentDigit(exponent, digit);
        }
        exponent = negativeExponent ? -exponent : exponent;
    }
    const double value = DecimalValue(integer, fraction, exponent);
    return negative ? -value : value;
}

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

FlagColours ColoursForFlags(std::uint16_t flags) {
    auto lit = [](bool set) { return set ? kRed : kBlack; };
    const int loopMode = flags & kLoopModeMask;
    FlagColours colours;
    colours.V = lit(flags & kFlagV);
    colours.P = lit(flags & kFlagP);
    colours.N = lit(flags & kFlagN);
    colours.L = lit(loopMode == 1 || loopMode == 3);
    colours.R = lit(loopMode == 2);
    return colours;
}

std::uint16_t FlagsFromColours(std::uint16_t flags, const FlagColours& colours) {
    std::uint16_t stored = flags & kSampleCountMask;
    const struct {
        ColourValue colour;
        std::uint16_t bits;
    } labels[] = {{colours.V, kFlagV},
                  {colours.P, kFlagP},
                  {colours.N, kFlagN},
                  {colours.L, 0x0003},
                  {colours.R, 0x0002}};
    for (const auto& label : labels) {
        if (label.colour == kRed) {
            stored = static_cast<std::uint16_t>(stored | label.bits);
        }
    }
    return stored;
}

} // namespace sondrel
