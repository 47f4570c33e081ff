// What the window keeps between runs, in a form it checks before it uses any of it: a settings
// file may be damaged, or written by someone else, and what Qt restores from its own blobs
// unchecked can end the program or take all memory.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

// The list's columns: their places, widths and the sort.
struct ColumnLayout {
    std::vector<int> order;  // the column at each place, left to right: each column once
    std::vector<int> widths; // each column's width in pixels, by column
    int sortColumn = -1;     // -1: the table's own order
    bool descending = false;

    friend bool operator==(const ColumnLayout&, const ColumnLayout&) = default;
};
inline constexpr int kMinColumnWidth = 1;
inline constexpr int kMaxColumnWidth = 10000;

// "order 0 1 2; widths 180 40 40; sort 2 down" ("sort none", "sort 1 up").
std::string ColumnLayoutText(const ColumnLayout& layout);
// The layout of `columns` columns the text gives, exactly as ColumnLayoutText writes it and
// within its bounds; nothing for anything else.
std::optional<ColumnLayout> ParseColumnLayout(std::string_view text, int columns);

// The most tables the recent list keeps.
inline constexpr std::size_t kRecentTables = 5;
// The tables to offer as recent, newest first: those of this run, then those kept from runs
// before, each once, at most kRecentTables; in time linear in what it looks at.
std::vector<std::string> RecentTables(const std::vector<std::string>& thisRun,
                                      const std::vector<std::string>& kept);

} // namespace sondrel
