#include "editor/sound_list.h"

#include "formats/sample_names.h"

#include <optional>

namespace sondrel {

std::vector<SoundListEntry> ComputeSoundList(const SoundTable& table,
                                             const std::vector<std::string>& sampleNames,
                                             const ObjectNameTable& objectNames, bool includeNative,
                                             const std::string& sampleList) {
    const std::size_t details = table.Details.size();
    // The first slot of each detail, from one pass over the slots.
    std::vector<std::int16_t> firstSlot(details, -1);
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const std::int16_t detail = table.SoundMap[static_cast<std::size_t>(slot)];
        if (detail >= 0 && static_cast<std::size_t>(detail) < details &&
            firstSlot[static_cast<std::size_t>(detail)] < 0) {
            firstSlot[static_cast<std::size_t>(detail)] = static_cast<std::int16_t>(slot);
        }
    }

    std::vector<SoundListEntry> entries;
    std::optional<std::int32_t> sampleNumber;
    for (std::size_t d = 0; d < details; ++d) {
        const std::int16_t sample = table.Details[d].Sample;
        const bool named = sample >= 0 && static_cast<std::size_t>(sample) < sampleNames.size();
        if (named) {
            if (const auto number =
                    ExtractSampleNumber(sampleNames[static_cast<std::size_t>(sample)])) {
                sampleNumber = number;
            }
        }
        const int slot = firstSlot[d];
        if (slot < 0) {
            continue;
        }
        if (!named) {
            throw Failure(FailureCode::SampleIndexOutOfRange,
                          "sound detail " + std::to_string(d) + ", used by slot " +
                              std::to_string(slot) + ", starts at sample " +
                              std::to_string(sample) + ", but the sample list " + sampleList +
                              " has " + std::to_string(sampleNames.size()) + " names (0 to " +
                              std::to_string(static_cast<long long>(sampleNames.size()) - 1) + ")");
        }
        const std::string& name = sampleNames[static_cast<std::size_t>(sample)];
        std::string text;
        if (HasSeriesPrefix(name)) {
            text = name.substr(0, 9) + " " + (sampleNumber ? std::to_string(*sampleNumber) : "") +
                   " - " + std::to_string(slot);
        } else if (includeNative) {
            text = objectNames[static_cast<std::size_t>(slot)];
        } else {
            continue;
        }
        entries.push_back({std::move(text), static_cast<std::int32_t>(d + 1)});
    }
    return entries;
}

} // namespace sondrel
