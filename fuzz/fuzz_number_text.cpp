// The number fields' text rule, and storing four such fields into a detail: never undefined
// behaviour, whatever is typed; a refused field stores nothing; a whole number stored reads
// back as typed. The same text as a sample's name: no name shorter than 11 characters has a
// number.
#include "logic/sample_name.h"
#include "logic/units.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    if (sondrel::ExtractSampleNumber(text) && size < 11) {
        __builtin_trap();
    }
    (void)sondrel::HasSeriesPrefix(text);
    const std::optional<double> value = sondrel::NumberFromText(text);
    if (value && std::isnan(*value)) {
        __builtin_trap(); // the rule makes numbers, infinities at worst
    }
    // Split the text into the four fields at the first three unit separators (0x1F).
    std::string fields[4];
    std::size_t field = 0;
    for (const char c : text) {
        if (c == '\x1f' && field < 3) {
            ++field;
        } else {
            fields[field] += c;
        }
    }
    const sondrel::SoundDetail before{
        .Sample = 3, .Volume = 1, .Radius = 2, .Chance = 3, .Pitch = 4, .Flags = 0x7C};
    const sondrel::EditResult result = sondrel::StoreEdits(
        before, {fields[0], fields[1], fields[2], fields[3]}, sondrel::FlagColours{});
    if (!result.stored) {
        return 0;
    }
    if (result.detail.Sample != before.Sample || result.detail.sampleCount() != 31) {
        __builtin_trap();
    }
    const sondrel::ShownValues shown = sondrel::ShowDetail(result.detail);
    const int values[] = {shown.Range, shown.Volume, shown.Pitch, shown.Chance};
    for (std::size_t i = 0; i < 4; ++i) {
        const double typed = *sondrel::NumberFromText(fields[i]); // stored, so a number
        if (typed == std::floor(typed) && values[i] != typed) {
            __builtin_trap();
        }
    }
    return 0;
}
