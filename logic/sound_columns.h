// What the sound list shows of each sound beyond its name, how it sorts by a column, and which
// sounds a filter keeps.
//
// The columns: the entry's text; the range, volume, pitch and chance in the units of the
// fields; the flags as the letters of their labels (P, V, R, L, N, each where set: loop modes
// 1 and 3 both show L); the number of samples; every slot that uses the sound; the names
// of its samples; and how loud it is heard, measured from its first sample (the list's model
// keeps what was measured: the column came last, so the layouts kept before it still read).
#pragma once

#include "formats/sound_table.h"
#include "logic/sound_list.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

enum class SoundColumn {
    Sound,
    Range,
    Volume,
    Pitch,
    Chance,
    Flags,
    Samples,
    Slots,
    SampleNames,
    Loudness
};
inline constexpr int kSoundColumns = 10;

// The column's heading: "Sound", "Range", ... "Slots", "Sample names".
const char* HeadingOf(SoundColumn column);

// The letters of the flags the labels show as set, in the labels' order ("PVRLN"); with
// `clear`, that character stands for each flag not set ("PV-L-").
std::string FlagLetters(std::uint16_t flags, char clear = '\0');

// What the column shows for an entry whose detail is `detail`, its samples named in `names`;
// nothing for the Loudness column, which what was measured shows.
std::string ColumnText(const SoundListEntry& entry, const SoundDetail& detail,
                       const SampleNames& names, SoundColumn column);

// The list's positions in the order of `column`: numbers as numbers, the sounds' names with
// the numbers in them as numbers and letters regardless of case. Equal ones keep the
// table's order, descending too. By Loudness, `loudness` gives each position's as heard,
// those not measured first.
std::vector<int> SortedOrder(const std::vector<SoundListEntry>& entries, const SoundTable& table,
                             const SampleNames& names, SoundColumn column, bool descending,
                             const std::vector<std::optional<double>>& loudness = {});

// Whether the entry's text, the name of one of its samples or one of its slot numbers
// contains `needle`, regardless of case (letters of the 8-bit names included). Every entry
// matches an empty needle.
bool MatchesFilter(const SoundListEntry& entry, const SoundDetail& detail,
                   const SampleNames& sampleNames, std::string_view needle);

} // namespace sondrel
