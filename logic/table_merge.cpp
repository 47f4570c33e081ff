#include "logic/table_merge.h"

#include "formats/sample_list.h"
#include "logic/sound_list.h"

#include <algorithm>
#include <optional>

namespace sondrel {
namespace {

// The three-way choice for one element: the side that changed it, or a conflict when both
// changed it differently. Absent stands for an element beyond a side's end.
template <class T>
std::optional<T> Merged(const std::optional<T>& base, const std::optional<T>& ours,
                        const std::optional<T>& theirs, bool& conflict) {
    if (ours == theirs || theirs == base) {
        return ours;
    }
    if (ours == base) {
        return theirs;
    }
    conflict = true;
    return ours;
}

template <class T> std::optional<T> At(const std::vector<T>& items, std::size_t index) {
    return index < items.size() ? std::optional<T>(items[index]) : std::nullopt;
}

// Merges a list element by element; elements merged away must all be at its end.
template <class T>
std::vector<T> MergedList(const std::vector<T>& base, const std::vector<T>& ours,
                          const std::vector<T>& theirs, MergeConflict::Kind kind,
                          std::vector<MergeConflict>& conflicts) {
    std::vector<T> merged;
    bool ended = false;
    const std::size_t longest = std::max({base.size(), ours.size(), theirs.size()});
    for (std::size_t i = 0; i < longest; ++i) {
        bool conflict = false;
        const std::optional<T> item = Merged(At(base, i), At(ours, i), At(theirs, i), conflict);
        if (conflict || (item && ended)) {
            conflicts.push_back({kind, i});
        }
        if (item && !ended) {
            merged.push_back(*item);
        }
        ended = ended || !item;
    }
    return merged;
}

} // namespace

MergeResult MergeTables(const TableFile& base, const TableFile& ours, const TableFile& theirs) {
    MergeResult result;
    std::vector<MergeConflict>& conflicts = result.conflicts;
    SoundTable& merged = result.merged.table;
    for (std::size_t slot = 0; slot < merged.SoundMap.size(); ++slot) {
        bool conflict = false;
        merged.SoundMap[slot] =
            *Merged<std::int16_t>(base.table.SoundMap[slot], ours.table.SoundMap[slot],
                                  theirs.table.SoundMap[slot], conflict);
        if (conflict) {
            conflicts.push_back({MergeConflict::Kind::Slot, slot});
        }
    }
    bool countConflict = false;
    merged.NumDetails = *Merged<std::int32_t>(base.table.NumDetails, ours.table.NumDetails,
                                              theirs.table.NumDetails, countConflict);
    merged.NumSamples = *Merged<std::int32_t>(base.table.NumSamples, ours.table.NumSamples,
                                              theirs.table.NumSamples, countConflict);
    merged.Details = MergedList(base.table.Details, ours.table.Details, theirs.table.Details,
                                MergeConflict::Kind::Detail, conflicts);
    merged.SampleIndices =
        MergedList(base.table.SampleIndices, ours.table.SampleIndices, theirs.table.SampleIndices,
                   MergeConflict::Kind::Index, conflicts);
    // The counts say how many details and indices the file holds: they must agree.
    if (countConflict || merged.Details.size() != EntriesFor(merged.NumDetails) ||
        merged.SampleIndices.size() != EntriesFor(merged.NumSamples)) {
        conflicts.push_back({MergeConflict::Kind::Count, 0});
    }
    using End = std::pair<std::optional<std::uintmax_t>, std::vector<std::uint8_t>>;
    bool endConflict = false;
    const End end = *Merged<End>(End{base.endsAt, base.after}, End{ours.endsAt, ours.after},
                                 End{theirs.endsAt, theirs.after}, endConflict);
    result.merged.endsAt = end.first;
    result.merged.after = end.second;
    if (endConflict || (end.first && *end.first >= TableBytes(merged))) {
        conflicts.push_back({MergeConflict::Kind::End, 0});
    }
    return result;
}

std::optional<Failure> WhyNotATable(std::span<const std::uint8_t> bytes) {
    try {
        const SoundTable table = ParseSFX(bytes);
        std::string list; // a name for every sample it counts
        for (std::size_t i = 0; i < EntriesFor(table.NumSamples); ++i) {
            list += "x\r\n";
        }
        ComputeSoundList(table, ViewSampleNames(list, table.NumSamples, {}), {}, true, {});
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure;
    }
}

} // namespace sondrel
