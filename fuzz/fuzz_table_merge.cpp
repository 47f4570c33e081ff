// The merge of three tables on any bytes, split in three by two 16-bit lengths first: a side
// that is no table is refused, and a merge without conflicts gives the side that changed when
// the other did not; whether the editor would open the result is told, never crashed on.
#include "logic/table_merge.h"

#include <cstddef>
#include <cstdint>
#include <optional>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) {
        return 0;
    }
    const std::size_t first = data[0] | std::size_t{data[1]} << 8;
    const std::size_t second = data[2] | std::size_t{data[3]} << 8;
    const std::span<const std::uint8_t> rest(data + 4, size - 4);
    if (first + second > rest.size()) {
        return 0;
    }
    sondrel::TableFile sides[3];
    try {
        sides[0] = sondrel::ParseTableFile(rest.subspan(0, first));
        sides[1] = sondrel::ParseTableFile(rest.subspan(first, second));
        sides[2] = sondrel::ParseTableFile(rest.subspan(first + second));
    } catch (const sondrel::Failure&) {
        return 0;
    }
    const sondrel::MergeResult result = sondrel::MergeTables(sides[0], sides[1], sides[2]);
    if (result.conflicts.empty()) {
        if ((sides[1] == sides[0] && !(result.merged == sides[2])) ||
            (sides[2] == sides[0] && !(result.merged == sides[1]))) {
            __builtin_trap();
        }
        (void)sondrel::WhyNotATable(sondrel::SerializeTableFile(result.merged));
    }
    return 0;
}
