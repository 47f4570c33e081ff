#include "logic/sound_list.h"

#include "formats/sample_list.h"
#include "logic/series_names.h"
#include "logic/sound_columns.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace sondrel;
using namespace sondrel::testing;

namespace {

// A table whose detail d starts at sample `samples[d]`, with the given slots.
SoundTable Table(const std::vector<std::int16_t>& samples,
                 const std::vector<std::pair<int, std::int16_t>>& slots) {
    SoundTable table;
    table.SoundMap.fill(-1);
    for (const auto& [slot, detail] : slots) {
        table.SoundMap[static_cast<std::size_t>(slot)] = detail;
    }
    table.NumDetails = static_cast<std::int32_t>(samples.size());
    for (const std::int16_t sample : samples) {
        table.Details.push_back({sample, 0, 0, 0, 0, 4});
    }
    return table;
}

ObjectNameTable Objects() {
    ObjectNameTable names;
    for (std::size_t slot = 0; slot < names.size(); ++slot) {
        names.set(slot, "Object " + std::to_string(slot));
    }
    return names;
}

struct ListCase {
    SoundTable table;
    SampleNames samples;
    std::vector<SoundListEntry> entries;
    bool includeNative = false;
};

using Flattened = std::vector<std::tuple<std::string, std::int32_t, std::vector<std::int16_t>>>;
Flattened Flat(const std::vector<SoundListEntry>& entries) {
    Flattened flat;
    for (const SoundListEntry& entry : entries) {
        flat.emplace_back(entry.Text, entry.ListToDetail, entry.Slots);
    }
    return flat;
}

} // namespace

TEST(SoundList, listsWhatItShould) {
    // What, the table, its sample names, the list, and whether native sounds are asked for.
    const std::vector<ListCase> cases = {
        // one series sound under its first slot
        {Table({0}, {{12, 0}}), {"KV3 Sound 45.wav"}, {{"KV3 Sound 45 - 12", 1, {12}}}},
        // a shared detail is listed once, under its lowest slot, with all of them
        {Table({0}, {{9, 0}, {4, 0}}), {"KV5 Sound 1.wav"}, {{"KV5 Sound 1 - 4", 1, {4, 9}}}},
        // the order is the details', not the slots'
        {Table({0, 1}, {{2, 1}, {30, 0}}),
         {"KV1 Sound 10.wav", "KV2 Sound 20.wav"},
         {{"KV1 Sound 10 - 30", 1, {30}}, {"KV2 Sound 20 - 2", 2, {2}}}},
        // unused details and slots out of range are not listed
        {Table({0, 0}, {{1, 1}, {2, -1}, {3, 2}, {4, 32767}}),
         {"KV5 Sound 3.wav"},
         {{"KV5 Sound 3 - 1", 2, {1}}}},
        // native details are listed under their slot's object name
        {Table({0, 1}, {{120, 0}, {5, 1}}),
         {"Door.wav", "KV5 Sound 1.wav"},
         {{"Object 120", 1, {120}}, {"KV5 Sound 1 - 5", 2, {5}}},
         true},
        // the number carries over from an earlier native detail
        {Table({0, 1, 2}, {{3, 2}, {4, 1}}),
         {"KV5 Sound 99.wav", "Door creak 17.wav", "KV2 Sound ab.wav"},
         {{"KV2 Sound 17 - 3", 3, {3}}}},
        // no number yet gives two blanks before the dash
        {Table({0}, {{3, 0}}), {"KV2 Sound ab.wav"}, {{"KV2 Sound  - 3", 1, {3}}}},
        // the prefix is the first nine characters, case and all
        {Table({0, 1}, {{1, 0}, {2, 1}}),
         {"KV5 Soundtrack 1.wav", "kv5 sound 1.wav"},
         {{"KV5 Sound  - 1", 1, {1}}}},
        // an unlisted detail outside the sample list keeps the number
        {Table({0, 5, 0}, {{1, 0}, {2, 2}}),
         {"KV5 Sound 4.wav"},
         {{"KV5 Sound 4 - 1", 1, {1}}, {"KV5 Sound 4 - 2", 3, {2}}}},
    };
    for (const ListCase& c : cases) {
        EXPECT_EQ(Flat(ComputeSoundList(c.table, c.samples, Objects(), c.includeNative, "x.sam")),
                  Flat(c.entries))
            << (c.samples.size() > 0 ? c.samples[0] : "");
    }
}

TEST(SoundList, anEmptyObjectNameSaysItsSlotAndADetailOutsideTheSampleListFails) {
    EXPECT_EQ(Flat(ComputeSoundList(Table({0}, {{7, 0}}), {"Wind.wav"}, {}, true, "x.sam")),
              Flat({{"(no name) - 7", 1, {7}}}));
    for (const std::int16_t sample : {std::int16_t{1}, std::int16_t{-1}}) {
        EXPECT_EQ(FailureNumberOf([&] {
                      ComputeSoundList(Table({sample}, {{40, 0}}), {"a"}, Objects(), true, "x.sam");
                  }),
                  "failure 30");
    }
}

TEST(SoundColumns, showTheValuesInTheFieldsUnitsTheFlagsAsLettersAndEverySlot) {
    // Sample, Volume, Radius, Chance, Pitch, Flags: loop modes 2, 1, 3 and 0.
    SoundTable table = Table({0, 1, 3, 6}, {{45, 0}, {120, 1}, {12, 2}, {4, 2}, {200, 2}, {9, 3}});
    table.Details = {{0, 250, 0xE5, 10, 126, 0x4000 | 4 | 2},
                     {1, 255, 31, 255, 127, 0x3000 | 8 | 1},
                     {3, 4, 3, 2, 5, 0x8F80 | 12 | 3},
                     {6, 0, 0, 0, 0, 0}};
    const SampleNames names = {
        "KV5 Sound 12.wav", "Door creak.wav", "Door slam.wav", "KV3 Sound 45-bell.wav", "a", "b",
        "KV2 Sound ab.wav"};
    const auto entries = ComputeSoundList(table, names, Objects(), true, "x.sam");
    std::vector<std::vector<std::string>> shown;
    for (const SoundListEntry& entry : entries) {
        std::vector<std::string>& row = shown.emplace_back();
        for (int column = 0; column < kSoundColumns; ++column) {
            row.push_back(ColumnText(entry, table.Details[entry.detail()], names,
                                     static_cast<SoundColumn>(column)));
        }
    }
    EXPECT_EQ(shown, (std::vector<std::vector<std::string>>{
                         {"KV5 Sound 12 - 45", "5", "100", "100", "4", "VR", "1", "45",
                          "KV5 Sound 12.wav", ""},
                         {"Object 120", "31", "101", "100", "101", "PLN", "2", "120",
                          "Door creak.wav, Door slam.wav", ""},
                         {"KV3 Sound 45 - 4", "3", "1", "3", "0", "L", "3", "4, 12, 200",
                          "KV3 Sound 45-bell.wav, a, b", ""},
                         {"KV2 Sound 45 - 9", "0", "0", "0", "0", "", "0", "9", "", ""}}));

    // Sorted: numbers as numbers, names as a designer reads them; equal ones keep the
    // table's order, also downwards.
    const auto order = [&](SoundColumn column, bool descending) {
        return SortedOrder(entries, table, names, column, descending);
    };
    EXPECT_EQ(order(SoundColumn::Sound, false), (std::vector<int>{3, 2, 0, 1}));
    // A damaged table's samples past the list's end are not named.
    SoundDetail past = table.Details[2];
    past.Sample = 5; // samples 5, 6 and 7 of a list of 7
    EXPECT_EQ(ColumnText(entries[2], past, names, SoundColumn::SampleNames), "b, KV2 Sound ab.wav");
    EXPECT_EQ(order(SoundColumn::Volume, true), (std::vector<int>{1, 0, 2, 3}));
    EXPECT_EQ(order(SoundColumn::Pitch, true), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(order(SoundColumn::Flags, false), (std::vector<int>{3, 2, 1, 0}));
    EXPECT_EQ(order(SoundColumn::Samples, true), (std::vector<int>{2, 1, 0, 3}));
    EXPECT_EQ(order(SoundColumn::Slots, false), (std::vector<int>{2, 3, 0, 1}));
    EXPECT_EQ(order(SoundColumn::SampleNames, false), (std::vector<int>{3, 1, 2, 0}));
    // By loudness as measured, those not measured (the last not given) with the quietest.
    EXPECT_EQ(SortedOrder(entries, table, names, SoundColumn::Loudness, true, {-20.5, {}, -9.5}),
              (std::vector<int>{2, 0, 1, 3}));

    // The filter: the entry's text, its samples' names, its slots; case aside.
    const std::pair<std::string, std::vector<int>> filters[] = {
        {"", {0, 1, 2, 3}}, {"object", {1}},   {"DOOR", {1}},     {"bell", {2}},
        {"200", {2}},       {"45", {0, 2, 3}}, {"12", {0, 1, 2}}, {"xyz", {}},
    };
    for (const auto& [needle, kept] : filters) {
        std::vector<int> matching;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (MatchesFilter(entries[i], table.Details[entries[i].detail()], names, needle)) {
                matching.push_back(static_cast<int>(i));
            }
        }
        EXPECT_EQ(matching, kept) << needle;
    }
}

TEST(ExtractSampleNumber, followsEveryRuleOfTheNameGrammar) {
    const std::optional<std::int32_t> none;
    const std::pair<std::string, std::optional<std::int32_t>> cases[] = {
        {"KV5 Sound 123.wav", 123},
        {"KV3 Sound 45-bell.wav", 45},
        {"KV5 Sound 7 .wav", 7},
        {"KV5 Sound +7.wav", 7},
        {"KV2 Sound ab.wav", none},
        {"KV5 Sound.wav", none},     // 13 characters: too short
        {"KV5 Sound .wav", none},    // 14 characters: the empty text
        {"KV5 Sound 1.wav", 1},      // 15 characters
        {"KV5 Sound 12345", 1},      // the last four are dropped, whatever they are
        {"KV5 Sound-12.wav", none},  // "-" before position 11
        {"KV5 Sound -12.wav", none}, // "-" at position 11: the empty text
        {"KV5 Sound 12a.wav", none},
        {"KV5 Sound 1E2.wav", 100},
        {"KV5 Sound 1.5E1.wav", 15},
        {"KV5 Sound .5.wav", 0},
        {"KV5 Sound 1-2-3.wav", 1},
        {"Door creak 31.wav", 31},
        {"KV5 Sound 12,5.wav", none},
        {"KV5 Sound 2147483647.wav", 2147483647},
        {"KV5 Sound 2147483648.wav", none},
        {"KV5 Sound 1E999999999999.wav", none},
        {"KV5 Sound \t12.wav", none}, // spaces only, not tabs
    };
    for (const auto& [name, number] : cases) {
        EXPECT_EQ(ExtractSampleNumber(name), number) << name;
    }
}
