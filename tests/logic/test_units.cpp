#include "logic/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace sondrel;

TEST(NumberFromText, readsTheNumberAtTheStartOfTheText) {
    const std::pair<const char*, double> cases[] = {
        {"", 0},          {"12abc", 12},   {"abc", 0},     {"2,5", 2},     {"2.5", 2.5},
        {"1 2", 12},      {" \t\n7", 7},   {"-1", -1},     {"- 1", -1},    {"+3", 3},
        {".5", 0.5},      {"-.25", -0.25}, {"1E3", 1000},  {"1E12", 1E12}, {"1e3", 1000},
        {"2.5E-1", 0.25}, {"1E", 1},       {"1E+", 1},     {"&H1F", 31},   {"&hff", 255},
        {"&O17", 15},     {"&O8", 0},      {"&H10", 16},   {"&o70", 56},   {"&H", 0},
        {"&", 0},         {"&X1", 0},      {"&H 1 F", 31}, {"1.2.3", 1.2}, {"--1", 0},
        {"\r1", 0},       {"1\r2", 1},     {"007", 7},     {"1,000", 1},   {"\xC2\xBD", 0},
        {"0.1", 0.1},     {"101", 101},    {"1E-400", 0},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(NumberFromText(text), value) << '"' << text << '"';
    }
    EXPECT_TRUE(std::isinf(NumberFromText("1E400")));
    EXPECT_TRUE(std::isinf(NumberFromText("9" + std::string(500, '9'))));
}

namespace {

SoundDetail WithBytes(std::uint8_t volume, std::uint8_t radius, std::uint8_t chance,
                      std::uint8_t pitch) {
    return {0, volume, radius, chance, pitch, 0};
}

} // namespace

TEST(ShowDetail, showsStoredBitsInTheDesignersUnits) {
    struct Case {
        std::uint8_t stored;
        int volumeAndChance;
        int pitch;
    };
    const Case cases[] = {
        {0, 0, 0},      {1, 0, 0},      {2, 0, 1},      {3, 0, 2},       {4, 1, 3},
        {10, 4, 7},     {63, 24, 50},   {64, 25, 50},   {125, 49, 99},   {126, 50, 100},
        {127, 50, 100}, {250, 100, 96}, {252, 100, 98}, {254, 101, 100}, {255, 101, 100},
    };
    for (const Case& c : cases) {
        const ShownValues shown = ShowDetail(WithBytes(c.stored, 0, c.stored, c.stored));
        EXPECT_EQ(shown.Volume, c.volumeAndChance) << int{c.stored};
        EXPECT_EQ(shown.Chance, c.volumeAndChance) << int{c.stored};
        EXPECT_EQ(shown.Pitch, c.pitch) << int{c.stored};
    }
    EXPECT_EQ(ShowDetail(WithBytes(0, 0xE5, 0, 0)).Range, 5);
    EXPECT_EQ(ShowDetail(WithBytes(0, 31, 0, 0)).Range, 31);
}

namespace {

SoundDetail Stored(const char* range, const char* volume, const char* pitch, const char* chance,
                   std::uint16_t flags = 0, FlagColours colours = {}) {
    SoundDetail before{
        .Sample = 7, .Volume = 0xFF, .Radius = 0xFF, .Chance = 0xFF, .Pitch = 0xFF, .Flags = flags};
    const EditResult result = StoreEdits(before, {range, volume, pitch, chance}, colours);
    EXPECT_TRUE(result.stored);
    EXPECT_EQ(result.detail.Sample, 7);
    return result.detail;
}

} // namespace

TEST(StoreEdits, eachFieldIsScaledRoundedAndMasked) {
    // The field, the text typed, the byte stored.
    const std::tuple<int, const char*, int> cases[] = {
        {1, "0", 0},     {1, "1", 2},     {1, "2", 4},     {1, "3", 8},     {1, "4", 10},
        {1, "100", 250}, {1, "101", 252}, {1, "102", 254}, {1, "103", 2},   {1, "-1", 254},
        {1, "", 0},      {1, "0.4", 0},   {0, "31", 31},   {0, "32", 0},    {0, "33", 1},
        {0, "-1", 31},   {0, "5.9", 5},   {0, "0.5", 0},   {0, "&H1F", 31}, {2, "0", 0},
        {2, "1", 1},     {2, "3", 3},     {2, "50", 63},   {2, "100", 126}, {2, "101", 127},
        {2, "102", 0},   {2, "-1", 126},
    };
    for (const auto& [field, text, stored] : cases) {
        std::array<const char*, 4> texts = {"0", "0", "0", "0"}; // range, volume, pitch, chance
        texts[static_cast<std::size_t>(field)] = text;
        const SoundDetail after = Stored(texts[0], texts[1], texts[2], texts[3]);
        const int bytes[] = {after.Radius, after.Volume, after.Pitch};
        EXPECT_EQ(bytes[field], stored) << field << " " << text;
        if (field == 1) { // chance is stored as volume is
            EXPECT_EQ(Stored("0", "0", "0", text).Chance, stored) << text;
        }
    }
}

TEST(StoreEdits, showingThenStoringQuantisesAsExpected) {
    struct Case {
        std::uint8_t before;
        std::uint8_t volumeAfter;
        std::uint8_t pitchAfter;
    };
    // Only volumes whose remainder modulo 10 is 0 or 8, and pitches 0, 63 and 126, survive.
    const Case cases[] = {{0, 0, 0},       {2, 0, 1},       {4, 2, 3},      {5, 2, 3},
                          {8, 8, 7},       {10, 10, 8},     {18, 18, 17},   {63, 60, 63},
                          {126, 124, 126}, {127, 124, 126}, {250, 250, 120}};
    for (const Case& c : cases) {
        const SoundDetail before = WithBytes(c.before, 0, c.before, c.before);
        const ShownValues shown = ShowDetail(before);
        const EditResult result =
            StoreEdits(before,
                       {std::to_string(shown.Range), std::to_string(shown.Volume),
                        std::to_string(shown.Pitch), std::to_string(shown.Chance)},
                       {});
        ASSERT_TRUE(result.stored);
        EXPECT_EQ(result.detail.Volume, c.volumeAfter) << int{c.before};
        EXPECT_EQ(result.detail.Chance, c.volumeAfter) << int{c.before};
        EXPECT_EQ(result.detail.Pitch, c.pitchAfter) << int{c.before};
    }
}

TEST(StoreEdits, unusedBitsAreClearedAndTheSampleCountKept) {
    const SoundDetail after =
        Stored("5", "4", "50", "4", 0xFFFF, {kBlack, kBlack, kBlack, kBlack, kBlack});
    EXPECT_EQ(after.Volume & 1, 0);
    EXPECT_EQ(after.Radius & 0xE0, 0);
    EXPECT_EQ(after.Pitch & 0x80, 0);
    EXPECT_EQ(after.Flags, 0x007C);
}

TEST(StoreEdits, valuesThatCannotBeConvertedChangeNothing) {
    const std::pair<EditTexts, EditField> cases[] = {
        {{"0", "1E300", "0", "0"}, EditField::Volume},
        {{"8388608", "0", "0", "0"}, EditField::Range}, // 2^23 * 256 = 2^31
        {{"0", "0", "1E400", "0"}, EditField::Pitch},
        {{"0", "0", "0", "-1E10"}, EditField::Chance},
        {{"1E300", "1E300", "0", "0"}, EditField::Range},
    };
    for (const auto& [texts, field] : cases) {
        const EditResult result = StoreEdits(SoundDetail{}, texts, {});
        EXPECT_FALSE(result.stored);
        EXPECT_EQ(result.failed, field);
    }
    // The largest range that still converts.
    EXPECT_TRUE(StoreEdits(SoundDetail{}, {"8388607.99", "0", "0", "0"}, {}).stored);
}

namespace {

// What the window shows of a detail.
EditView Shown(const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    return {{std::to_string(shown.Range), std::to_string(shown.Volume), std::to_string(shown.Pitch),
             std::to_string(shown.Chance)},
            ColoursForFlags(detail.Flags)};
}

} // namespace

TEST(StoreChanges, anUnchangedViewChangesNoByteHoweverOftenItIsStored) {
    // Values the plain conversion would change: pitch 127, volume 5, bits the window does not
    // show, loop mode 1.
    const SoundDetail details[] = {
        {.Sample = 3, .Volume = 5, .Radius = 0xE5, .Chance = 255, .Pitch = 127, .Flags = 0xFFFD},
        {.Sample = -1, .Volume = 1, .Radius = 0, .Chance = 3, .Pitch = 0x85, .Flags = 0x0001},
        {.Sample = 0, .Volume = 0, .Radius = 31, .Chance = 0, .Pitch = 64, .Flags = 0x8F82},
    };
    for (const SoundDetail& detail : details) {
        SoundDetail stored = detail;
        for (int update = 0; update < 5; ++update) {
            const EditResult result = StoreChanges(stored, Shown(detail), Shown(detail));
            ASSERT_TRUE(result.stored);
            stored = result.detail;
        }
        EXPECT_EQ(stored, detail) << std::hex << detail.Flags;
    }
}

TEST(StoreChanges, storesWhatChangedAndKeepsTheRest) {
    const SoundDetail before{
        .Sample = 3, .Volume = 5, .Radius = 0xE5, .Chance = 9, .Pitch = 127, .Flags = 0x8F85};
    const ColourValue B = kBlack;
    const ColourValue R = kRed;
    struct Case {
        const char* what;
        std::function<void(EditView&)> edit;
        std::function<void(SoundDetail&)> expect;
    };
    const Case cases[] = {
        {"range", [](EditView& v) { v.Texts.Range = "33"; }, [](SoundDetail& d) { d.Radius = 1; }},
        {"volume", [](EditView& v) { v.Texts.Volume = "103"; },
         [](SoundDetail& d) { d.Volume = 2; }},
        {"pitch", [](EditView& v) { v.Texts.Pitch = "50"; }, [](SoundDetail& d) { d.Pitch = 63; }},
        {"chance", [](EditView& v) { v.Texts.Chance = "1"; }, [](SoundDetail& d) { d.Chance = 2; }},
        {"V lit", [](EditView& v) { v.Colours.V = R; }, [](SoundDetail& d) { d.Flags |= kFlagV; }},
        {"L out, so the loop mode comes from the labels", [](EditView& v) { v.Colours.L = B; },
         [](SoundDetail& d) { d.Flags &= ~kLoopModeMask; }},
        {"R lit and L out",
         [](EditView& v) {
             v.Colours = {B, B, B, B, R};
         },
         [](SoundDetail& d) { d.Flags = (d.Flags & ~kLoopModeMask) | 2; }},
        {"L clicked out and in again", [](EditView& v) { v.Colours.L = R; }, [](SoundDetail&) {}},
        {"a field typed again as it was", [](EditView& v) { v.Texts.Pitch = "100"; },
         [](SoundDetail&) {}},
    };
    for (const Case& c : cases) {
        EditView now = Shown(before);
        c.edit(now);
        SoundDetail expected = before;
        c.expect(expected);
        const EditResult result = StoreChanges(before, Shown(before), now);
        ASSERT_TRUE(result.stored) << c.what;
        EXPECT_EQ(result.detail, expected) << c.what;
    }
}

TEST(StoreChanges, aChangedValueThatCannotBeStoredChangesNothing) {
    const SoundDetail before{
        .Sample = 3, .Volume = 5, .Radius = 1, .Chance = 9, .Pitch = 1, .Flags = 0};
    EditView now = Shown(before);
    now.Texts.Chance = "1E300";
    const EditResult result = StoreChanges(before, Shown(before), now);
    EXPECT_FALSE(result.stored);
    EXPECT_EQ(result.failed, EditField::Chance);
}

TEST(Flags, coloursShowTheFlagsAndLoopMode) {
    struct Case {
        std::uint16_t flags;
        FlagColours colours;
    };
    const ColourValue B = kBlack;
    const ColourValue R = kRed;
    const Case cases[] = {
        {0x0000, {B, B, B, B, B}}, {0x4000, {R, B, B, B, B}}, {0x2000, {B, R, B, B, B}},
        {0x1000, {B, B, R, B, B}}, {0x0001, {B, B, B, R, B}}, {0x0003, {B, B, B, R, B}},
        {0x0002, {B, B, B, B, R}}, {0x8F80, {B, B, B, B, B}}, {0x707E, {R, R, R, B, R}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ColoursForFlags(c.flags), c.colours) << std::hex << c.flags;
    }
}

TEST(Flags, storedFlagsRebuildFromTheLabels) {
    const ColourValue B = kBlack;
    const ColourValue R = kRed;
    EXPECT_EQ(FlagsFromColours(0xFFFF, {B, B, B, B, B}), 0x007C);
    EXPECT_EQ(FlagsFromColours(0x0000, {R, R, R, B, B}), 0x7000);
    EXPECT_EQ(FlagsFromColours(0x0004, {B, B, B, R, B}), 0x0007); // L stores loop mode 3
    EXPECT_EQ(FlagsFromColours(0x0000, {B, B, B, B, R}), 0x0002);
    EXPECT_EQ(FlagsFromColours(0x0000, {254, 0x80000012, 0x0000FF00, kButtonTextColour, 256}),
              0); // only 255 is red
    // Loop mode 1 shows as L and comes back as loop mode 3.
    EXPECT_EQ(FlagsFromColours(0x0001, ColoursForFlags(0x0001)), 0x0003);
}

TEST(Flags, clicksSwitchLabels) {
    ColourValue label = kButtonTextColour;
    ClickFlag(label);
    EXPECT_EQ(label, kBlack); // the initial colour is not black: the first click clears
    ClickFlag(label);
    EXPECT_EQ(label, kRed);
    ClickFlag(label);
    EXPECT_EQ(label, kBlack);

    struct Case {
        ColourValue label, other, labelAfter, otherAfter;
    };
    const Case loops[] = {
        {kBlack, kRed, kRed, kBlack},   // R lit, click L: L lit, R out
        {kRed, kBlack, kBlack, kBlack}, // L lit, click L: both out
        {kBlack, kBlack, kRed, kBlack},
        {kButtonTextColour, kButtonTextColour, kBlack, kButtonTextColour},
    };
    for (const Case& c : loops) {
        ColourValue self = c.label;
        ColourValue other = c.other;
        ClickLoopFlag(self, other);
        EXPECT_EQ(self, c.labelAfter);
        EXPECT_EQ(other, c.otherAfter);
    }
}
