#include "logic/sound_list.h"

#include "formats/sample_list.h"
#include "logic/series_names.h"

#include <algorithm>
#include <optional>

namespace sondrel {

std::vector<SoundListEntry> ComputeSoundList(const SoundTable& table,
                                             const SampleNames& sampleNames,
                                             const ObjectNameTable& objectNames, bool includeNative,
                                             const std::string& sampleList) {
    const std::size_t details = table.Details.size();
    // The details some slot uses, each with its first slot, in the order of the details: one
    // pass over the slots, whatever the number of details.
    std::vector<std::pair<std::int16_t, std::int16_t>> used; // detail, slot
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const std::int16_t detail = table.SoundMap[static_cast<std::size_t>(slot)];
        if (detail >= 0 && static_cast<std::size_t>(detail) < details) {
            used.emplace_back(detail, static_cast<std::int16_t>(slot));
        }
    }
    std::sort(used.begin(), used.end()); // by detail, then slot: its first is its first slot

    // A detail's sample number, where its first sample is in the list and has one.
    auto extracted = [&](std::size_t d) -> std::optional<std::int32_t> {
        const std::int16_t sample = table.Details[d].Sample;
        if (sample < 0 || static_cast<std::size_t>(sample) >= sampleNames.size()) {
            return std::nullopt;
        }
        return ExtractSampleNumber(sampleNames[static_cast<std::size_t>(sample)]);
    };

    // The number carried to a listed detail is the one extracted last from it or any detail
    // before it. It is looked for backwards, and only as far as the previous listed detail,
    // whose number is known: every detail is looked at once at the most, and in a usual table
    // only the listed ones are.
    std::vector<SoundListEntry> entries;
    std::optional<std::int32_t> sampleNumber;
    std::size_t known = 0; // the details before this one have been looked at
    for (auto use = used.begin(); use != used.end();) {
        const auto [detail, slot] = *use;
        std::vector<std::int16_t> slots;
        for (; use != used.end() && use->first == detail; ++use) {
            slots.push_back(use->second);
        }
        const auto d = static_cast<std::size_t>(detail);
        for (std::size_t back = d + 1; back > known; --back) {
            if (const auto number = extracted(back - 1)) {
                sampleNumber = number;
                break;
            }
        }
        known = d + 1;

        const std::int16_t sample = table.Details[d].Sample;
        if (sample < 0 || static_cast<std::size_t>(sample) >= sampleNames.size()) {
            throw Failure(FailureCode::SampleIndexOutOfRange,
                          "sound detail " + std::to_string(d) + ", used by slot " +
                              std::to_string(slot) + ", starts at sample " +
                              std::to_string(sample) + ", but the sample list " + sampleList +
                              " has " + std::to_string(sampleNames.size()) + " names (0 to " +
                              std::to_string(static_cast<long long>(sampleNames.size()) - 1) + ")",
                          DetailOffset(d));
        }
        const std::string_view name = sampleNames[static_cast<std::size_t>(sample)];
        std::string text;
        if (HasSeriesPrefix(name)) {
            text = std::string(name.substr(0, 9)) + " " +
                   (sampleNumber ? std::to_string(*sampleNumber) : "") + " - " +
                   std::to_string(slot);
        } else if (includeNative) {
            text = std::string(objectNames[static_cast<std::size_t>(slot)]);
            if (text.empty()) { // no database, or no name in it: say which slot it is
                text = "(no name) - " + std::to_string(slot);
            }
        } else {
            continue;
        }
        entries.push_back({std::move(text), static_cast<std::int32_t>(d + 1), std::move(slots)});
    }
    return entries;
}

std::vector<DetailSample> SamplesOfDetail(const SoundDetail& detail,
                                          const SampleNames& sampleNames) {
    std::vector<DetailSample> samples;
    for (int k = 0; k < detail.sampleCount(); ++k) {
        const int index = detail.Sample + k;
        const bool listed = index >= 0 && static_cast<std::size_t>(index) < sampleNames.size();
        samples.push_back({index, listed
                                      ? std::optional(sampleNames[static_cast<std::size_t>(index)])
                                      : std::nullopt});
    }
    return samples;
}

} // namespace sondrel
