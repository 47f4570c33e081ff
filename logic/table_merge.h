// A three-way merge of a table changed on two branches, for git's merge driver (sondrel-text):
// slot by slot, detail by detail and sample index by sample index, each taken from the branch
// that changed it. What both changed differently is a conflict.
#pragma once

#include "formats/sound_table.h"

#include <optional>
#include <span>
#include <vector>

namespace sondrel {

struct MergeConflict {
    enum class Kind { Count, Slot, Detail, Index, End } kind;
    std::size_t index = 0; // the slot, detail or sample index
};
struct MergeResult {
    TableFile merged; // when there is no conflict
    std::vector<MergeConflict> conflicts;
};
MergeResult MergeTables(const TableFile& base, const TableFile& ours, const TableFile& theirs);

// Why the editor would not open a table file of these bytes whatever sample list lay beside
// it (a count too large, no samples, a listed sound starting past them), as the failure it
// would report; nothing where it would open it with the names its samples count asks for. A
// merge with something that is no table may make such a file.
std::optional<Failure> WhyNotATable(std::span<const std::uint8_t> bytes);

} // namespace sondrel
