// What the window restores of its columns and recent tables, from any settings text: a layout
// is taken only within its bounds and reads back as the same text; the recent list stays short
// and names each table once.
#include "logic/kept_layout.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int columns = size > 0 ? 1 + data[0] % 12 : 9;
    if (const std::optional<sondrel::ColumnLayout> layout =
            sondrel::ParseColumnLayout(text, columns)) {
        std::set<int> placed(layout->order.begin(), layout->order.end());
        bool bounded = layout->widths.size() == static_cast<std::size_t>(columns) &&
                       placed.size() == static_cast<std::size_t>(columns) && *placed.begin() == 0 &&
                       *placed.rbegin() == columns - 1 && layout->sortColumn < columns;
        for (const int width : layout->widths) {
            bounded =
                bounded && width >= sondrel::kMinColumnWidth && width <= sondrel::kMaxColumnWidth;
        }
        if (!bounded || sondrel::ColumnLayoutText(*layout) != text) {
            __builtin_trap();
        }
    }
    // The lines as tables kept, the first as this run's.
    std::vector<std::string> kept;
    for (std::size_t at = 0; at <= text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        kept.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    const std::vector<std::string> recent = sondrel::RecentTables({kept.front()}, kept);
    if (recent.size() > sondrel::kRecentTables ||
        std::set<std::string>(recent.begin(), recent.end()).size() != recent.size()) {
        __builtin_trap();
    }
    return 0;
}
