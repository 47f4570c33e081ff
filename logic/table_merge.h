// A three-way merge of a table changed on two branches, for git's merge driver (sondrel-text):
// slot by slot, detail by detail and sample index by sample index, each taken from the branch
// that changed it. What both changed differently is a conflict.
#pragma once

#include "formats/sound_table.h"

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

} // namespace sondrel
