#include "logic/kept_layout.h"

#include <algorithm>
#include <charconv>
#include <unordered_set>

namespace sondrel {
namespace {

// Takes `word` at the start of `text`.
bool Take(std::string_view& text, std::string_view word) {
    if (!text.starts_with(word)) {
        return false;
    }
    text.remove_prefix(word.size());
    return true;
}

// Takes " N" with N a plain decimal number within [low, high], as ColumnLayoutText writes it.
std::optional<int> TakeNumber(std::string_view& text, int low, int high) {
    if (!Take(text, " ") || text.empty() || text.front() < '0' || text.front() > '9' ||
        (text.front() == '0' && text.size() > 1 && text[1] >= '0' && text[1] <= '9')) {
        return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || value < low || value > high) {
        return std::nullopt;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

} // namespace

std::string ColumnLayoutText(const ColumnLayout& layout) {
    std::string text = "order";
    for (const int column : layout.order) {
        text += " " + std::to_string(column);
    }
    text += "; widths";
    for (const int width : layout.widths) {
        text += " " + std::to_string(width);
    }
    if (layout.sortColumn < 0) {
        return text + "; sort none";
    }
    return text + "; sort " + std::to_string(layout.sortColumn) +
           (layout.descending ? " down" : " up");
}

std::optional<ColumnLayout> ParseColumnLayout(std::string_view text, int columns) {
    ColumnLayout layout;
    if (columns <= 0 || !Take(text, "order")) {
        return std::nullopt;
    }
    std::vector<bool> placed(static_cast<std::size_t>(columns), false);
    for (int place = 0; place < columns; ++place) {
        const std::optional<int> column = TakeNumber(text, 0, columns - 1);
        if (!column || placed[static_cast<std::size_t>(*column)]) {
            return std::nullopt;
        }
        placed[static_cast<std::size_t>(*column)] = true;
        layout.order.push_back(*column);
    }
    if (!Take(text, "; widths")) {
        return std::nullopt;
    }
    for (int column = 0; column < columns; ++column) {
        const std::optional<int> width = TakeNumber(text, kMinColumnWidth, kMaxColumnWidth);
        if (!width) {
            return std::nullopt;
        }
        layout.widths.push_back(*width);
    }
    if (!Take(text, "; sort")) {
        return std::nullopt;
    }
    if (Take(text, " none")) {
        return text.empty() ? std::optional(layout) : std::nullopt;
    }
    const std::optional<int> sort = TakeNumber(text, 0, columns - 1);
    if (!sort) {
        return std::nullopt;
    }
    layout.sortColumn = *sort;
    layout.descending = Take(text, " down");
    if ((!layout.descending && !Take(text, " up")) || !text.empty()) {
        return std::nullopt;
    }
    return layout;
}

std::vector<std::string> RecentTables(const std::vector<std::string>& thisRun,
                                      const std::vector<std::string>& kept) {
    std::vector<std::string> recent;
    std::unordered_set<std::string_view> listed;
    for (const std::vector<std::string>* tables : {&thisRun, &kept}) {
        for (const std::string& table : *tables) {
            if (recent.size() == kRecentTables) {
                return recent;
            }
            if (!table.empty() && listed.insert(table).second) {
                recent.push_back(table);
            }
        }
    }
    return recent;
}

} // namespace sondrel
