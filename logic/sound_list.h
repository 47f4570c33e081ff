// The sound list: one entry per listed sound detail, in the order of the details.
//
// A detail is listed under the first slot (0..369) that uses it, and only when some slot
// does. A sound taken over from the series' other games reads "KV5 Sound 12 - 45": its series
// label, its sample number and its slot. The sample number is the one extracted from the
// detail's first sample name or, where that fails, the one extracted last from an earlier
// detail (listed or not); before any succeeds it is empty ("KV2 Sound  - 3"). Native details
// are listed under their slot's object name ("(no name) - 120" where it has none), and only
// when the designer asked for them.
#pragma once

#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

struct SoundListEntry {
    std::string Text;
    std::int32_t ListToDetail = 0;   // the detail's index plus one
    std::vector<std::int16_t> Slots; // every slot that uses the detail, lowest first

    // The index of the detail listed.
    std::size_t detail() const { return static_cast<std::size_t>(ListToDetail - 1); }
};

// The entries of the list for a table, its sample names and the object names. Throws
// Failure(SampleIndexOutOfRange) for a detail that a slot uses but whose first sample is not
// in the sample list: it cannot be classified. `sampleList` only names the list in it.
std::vector<SoundListEntry> ComputeSoundList(const SoundTable& table,
                                             const SampleNames& sampleNames,
                                             const ObjectNameTable& objectNames, bool includeNative,
                                             const std::string& sampleList);

// One sample a detail plays: its index, and its name where the sample list holds one (a
// damaged table can point past the list's end).
struct DetailSample {
    int Index = 0;
    std::optional<std::string_view> Name;
};

// The samples of a detail, in the order it plays them.
std::vector<DetailSample> SamplesOfDetail(const SoundDetail& detail,
                                          const SampleNames& sampleNames);

} // namespace sondrel
