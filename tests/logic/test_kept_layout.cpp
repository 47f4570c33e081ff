#include "logic/kept_layout.h"

#include <gtest/gtest.h>

using namespace sondrel;

TEST(ColumnLayout, readsBackWhatItWritesAndNothingElse) {
    const ColumnLayout layout{{0, 2, 1}, {180, 1, 10000}, 2, true};
    const std::string text = ColumnLayoutText(layout);
    EXPECT_EQ(text, "order 0 2 1; widths 180 1 10000; sort 2 down");
    EXPECT_EQ(ParseColumnLayout(text, 3), layout);
    EXPECT_EQ(ParseColumnLayout("order 1 0; widths 5 6; sort none", 2),
              (ColumnLayout{{1, 0}, {5, 6}, -1, false}));
    EXPECT_EQ(ParseColumnLayout("order 1 0; widths 5 6; sort 0 up", 2),
              (ColumnLayout{{1, 0}, {5, 6}, 0, false}));
    for (const char* damaged :
         {"", "order 0 1 2; widths 1 1 1; sort none ", "order 0 1 2; widths 1 1 1",
          "order 0 1 1; widths 1 1 1; sort none",     // a column twice
          "order 0 1 3; widths 1 1 1; sort none",     // no such column
          "order 0 1; widths 1 1 1; sort none",       // one missing
          "order 0 1 2; widths 1 0 1; sort none",     // too narrow
          "order 0 1 2; widths 1 10001 1; sort none", // too wide
          "order 0 1 2; widths 1 -1 1; sort none", "order 0 1 2; widths 1 99999999999 1; sort none",
          "order 0 1 2; widths 1 1 1; sort 3 up", "order 0 1 2; widths 1 1 1; sort 1",
          "order 0  1 2; widths 1 1 1; sort none", "order 0 1 2; widths 1 +1 1; sort none"}) {
        EXPECT_EQ(ParseColumnLayout(damaged, 3), std::nullopt) << damaged;
    }
    EXPECT_EQ(ParseColumnLayout("order; widths; sort none", 0), std::nullopt);
    EXPECT_EQ(ParseColumnLayout("order 0; widths 7; sort none", 1),
              (ColumnLayout{{0}, {7}, -1, false}));
}

TEST(RecentTables, thisRunsFirstEachOnceAtMostFiveFromAnyNumberKept) {
    using Tables = std::vector<std::string>;
    EXPECT_EQ(RecentTables({"b", "a"}, {"a", "c", "", "b", "d", "e", "f"}),
              (Tables{"b", "a", "c", "d", "e"}));
    EXPECT_EQ(RecentTables({}, {"x", "x", "y"}), (Tables{"x", "y"}));
    // A settings file with a hundred thousand entries, the same one or all different.
    Tables many(100000, "same");
    EXPECT_EQ(RecentTables({}, many), Tables{"same"});
    for (std::size_t i = 0; i < many.size(); ++i) {
        many[i] = std::to_string(i % 50000);
    }
    EXPECT_EQ(RecentTables({"7"}, many), (Tables{"7", "0", "1", "2", "3"}));
}
