#include "logic/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace sondrel;

TEST(NumberFromText, readsTheNumberAtTheStartOfTheText) {
    const std::optional<double> none;
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"", none},       {"12abc", 12},   {"abc", none},  {"2,5", 2},     {"2.5", 2.5},
        {"1 2", 12},      {" \t\n7", 7},   {"-1", -1},     {"- 1", -1},    {"+3", 3},
        {".5", 0.5},      {"-.25", -0.25}, {"1E3", 1000},  {"1E12", 1E12}, {"1e3", 1000},
        {"2.5E-1", 0.25}, {"1E", 1},       {"1E+", 1},     {"&H1F", 31},   {"&hff", 255},
        {"&O17", 15},     {"&O8", none},   {"&H10", 16},   {"&o70", 56},   {"&H", none},
        {"&", none},      {"&X1", none},   {"&H 1 F", 31}, {"1.2.3", 1.2}, {"--1", none},
        {"\r1", none},    {"1\r2", 1},     {"007", 7},     {"1,000", 1},   {"\xC2\xBD", none},
        {"0.1", 0.1},     {"101", 101},    {"1E-400", 0},  {".", none},    {"-", none},
        {"&H0", 0},       {"&H1_", 1},     {"&o7a", 7},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(NumberFromText(text), value) << '"' << text << '"';
    }
    EXPECT_EQ(NumberFromText(std::string_view("12345").substr(0, 2)), 12); // not a byte more
    EXPECT_TRUE(std::isinf(*NumberFromText("1E400")));
    EXPECT_TRUE(std::isinf(*NumberFromText("9" + std::string(500, '9'))));
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

constexpr EditField kEditFields[] = {EditField::Range, EditField::Volume, EditField::Pitch,
                                     EditField::Chance};

// The texts of a detail's four fields, "0" but for one.
EditTexts TextsWith(EditField field, const std::string& text) {
    EditTexts texts{"0", "0", "0", "0"};
    std::string* fields[] = {&texts.Range, &texts.Volume, &texts.Pitch, &texts.Chance};
    *fields[static_cast<int>(field)] = text;
    return texts;
}

int ByteOf(const SoundDetail& detail, EditField field) {
    const int bytes[] = {detail.Radius, detail.Volume, detail.Pitch, detail.Chance};
    return bytes[static_cast<int>(field)];
}

int ShownOf(const SoundDetail& detail, EditField field) {
    const ShownValues shown = ShowDetail(detail);
    const int values[] = {shown.Range, shown.Volume, shown.Pitch, shown.Chance};
    return values[static_cast<int>(field)];
}

const SoundDetail kBefore{
    .Sample = 7, .Volume = 0xFF, .Radius = 0xFF, .Chance = 0xFF, .Pitch = 0xFF, .Flags = 0x7C};

} // namespace

TEST(StoreEdits, everyWholeNumberAFieldShowsReadsBackAsTyped) {
    for (const EditField field : kEditFields) {
        for (int typed = 0; typed <= LimitsOf(field).max; ++typed) {
            const EditResult result =
                StoreEdits(kBefore, TextsWith(field, std::to_string(typed)), {});
            ASSERT_TRUE(result.stored) << LimitsOf(field).name << " " << typed;
            EXPECT_EQ(ShownOf(result.detail, field), typed) << LimitsOf(field).name;
        }
    }
}

TEST(StoreEdits, storesTheByteNearestTheScaledValueOrConvertsAFraction) {
    // The field, the text typed, the byte stored.
    const std::tuple<EditField, const char*, int> cases[] = {
        // Whole numbers, however written: the byte that shows them, nearest to the number
        // times the scale.
        {EditField::Volume, "0", 0},
        {EditField::Volume, "1", 4},
        {EditField::Volume, "3", 8},
        {EditField::Volume, "5", 14},
        {EditField::Volume, "90", 226},
        {EditField::Volume, "9E1", 226},
        {EditField::Volume, "&H5A", 226},
        {EditField::Volume, "100", 250},
        {EditField::Volume, "101", 254},
        {EditField::Chance, "10", 26},
        {EditField::Range, "31", 31},
        {EditField::Range, "&O7", 7},
        {EditField::Pitch, "1", 2},
        {EditField::Pitch, "50", 63},
        {EditField::Pitch, "99", 125},
        {EditField::Pitch, "100", 126},
        {EditField::Pitch, "60", 76},
        {EditField::Range, "-0", 0},
        // Fractions: scaled, rounded with ties to even, masked.
        {EditField::Volume, "2.5", 6},
        {EditField::Volume, "0.4", 0},
        {EditField::Volume, "100.5", 250},
        {EditField::Volume, "100.9", 252},
        {EditField::Range, "5.9", 5},
        {EditField::Range, "0.5", 0},
        {EditField::Range, "30.99", 30},
        {EditField::Pitch, "0.5", 0},
        {EditField::Pitch, "99.9", 125},
        {EditField::Chance, "1.2", 2},
    };
    for (const auto& [field, text, stored] : cases) {
        const EditResult result = StoreEdits(kBefore, TextsWith(field, text), {});
        ASSERT_TRUE(result.stored) << text;
        EXPECT_EQ(ByteOf(result.detail, field), stored) << LimitsOf(field).name << " " << text;
        EXPECT_EQ(result.detail.Sample, 7);
        EXPECT_EQ(result.detail.sampleCount(), 31);
    }
}

TEST(StoreEdits, refusesTextThatIsNotANumberWithinTheField) {
    for (const EditField field : kEditFields) {
        const std::string beyond = std::to_string(LimitsOf(field).max + 1);
        const std::string justBeyond = std::to_string(LimitsOf(field).max) + ".01";
        for (const std::string& text :
             {std::string(), std::string("abc"), std::string("-1"), std::string("-0.1"), beyond,
              justBeyond, std::string("&H"), std::string("1E300"), std::string("-1E10"),
              std::string("1E400")}) {
            // The fields before it are fine: none of them is stored either.
            const EditResult result = StoreEdits(kBefore, TextsWith(field, text), {});
            EXPECT_FALSE(result.stored) << LimitsOf(field).name << " \"" << text << '"';
            EXPECT_EQ(result.failed, field) << text;
        }
    }
    EXPECT_EQ(LimitsOf(EditField::Range).max, 31);
    EXPECT_EQ(LimitsOf(EditField::Volume).max, 101);
    EXPECT_EQ(LimitsOf(EditField::Pitch).max, 100);
    EXPECT_EQ(LimitsOf(EditField::Chance).max, 101);
    // The first field refused is named.
    EXPECT_EQ(StoreEdits(kBefore, {"32", "x", "0", "0"}, {}).failed, EditField::Range);
    EXPECT_EQ(StoreEdits(kBefore, {"3", "1", "x", "-2"}, {}).failed, EditField::Pitch);
}

TEST(StoreEdits, unusedBitsAreClearedAndTheSampleCountKept) {
    const SoundDetail after = StoreEdits({0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFFFF}, {"5", "4", "50", "4"},
                                         {kBlack, kBlack, kBlack, kBlack, kBlack})
                                  .detail;
    EXPECT_EQ(after.Volume & 1, 0);
    EXPECT_EQ(after.Radius & 0xE0, 0);
    EXPECT_EQ(after.Pitch & 0x80, 0);
    EXPECT_EQ(after.Flags, 0x007C);
}

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
            const EditResult result =
                StoreChanges(stored, ViewOfDetail(detail), ViewOfDetail(detail));
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
        {"range", [](EditView& v) { v.Texts.Range = "31"; }, [](SoundDetail& d) { d.Radius = 31; }},
        {"volume", [](EditView& v) { v.Texts.Volume = "90"; },
         [](SoundDetail& d) { d.Volume = 226; }},
        {"pitch", [](EditView& v) { v.Texts.Pitch = "50"; }, [](SoundDetail& d) { d.Pitch = 63; }},
        {"chance", [](EditView& v) { v.Texts.Chance = "1"; }, [](SoundDetail& d) { d.Chance = 4; }},
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
        EditView now = ViewOfDetail(before);
        c.edit(now);
        SoundDetail expected = before;
        c.expect(expected);
        const EditResult result = StoreChanges(before, ViewOfDetail(before), now);
        ASSERT_TRUE(result.stored) << c.what;
        EXPECT_EQ(result.detail, expected) << c.what;
    }
}

TEST(StoreChanges, onlyAChangedFieldIsChecked) {
    const SoundDetail before{
        .Sample = 3, .Volume = 5, .Radius = 1, .Chance = 9, .Pitch = 1, .Flags = 0};
    EditView shown = ViewOfDetail(before);
    shown.Texts.Range = "damaged"; // as shown, so never read
    EditView now = shown;
    now.Texts.Chance = "";
    now.Texts.Volume = "7";
    const EditResult refused = StoreChanges(before, shown, now);
    EXPECT_FALSE(refused.stored);
    EXPECT_EQ(refused.failed, EditField::Chance);
    now.Texts.Chance = "3";
    EXPECT_TRUE(StoreChanges(before, shown, now).stored);
}

TEST(StoreChanges, severalSoundsShowWhatTheyShareAndKeepTheirOwnWhereLeftAlone) {
    // Loop modes 2, 1 and 3; V on the first alone; volumes 100, 1, 1.
    const std::vector<SoundDetail> sounds = {
        {.Sample = 0, .Volume = 250, .Radius = 5, .Chance = 10, .Pitch = 126, .Flags = 0x4006},
        {.Sample = 1, .Volume = 4, .Radius = 31, .Chance = 10, .Pitch = 127, .Flags = 0x3009},
        {.Sample = 3, .Volume = 5, .Radius = 3, .Chance = 11, .Pitch = 5, .Flags = 0x8F8F},
    };
    std::vector<EditView> views;
    for (const SoundDetail& sound : sounds) {
        views.push_back(ViewOfDetail(sound));
    }
    const EditView shared = SharedView(views);
    EXPECT_EQ(shared.Texts, (EditTexts{"", "", "", "4"}));
    EXPECT_EQ(shared.Colours, (FlagColours{kMixed, kMixed, kMixed, kMixed, kMixed}));
    EXPECT_EQ(SharedView({views[1]}), views[1]);

    struct Case {
        const char* what;
        std::function<void(EditView&)> edit;
        std::function<void(SoundDetail&)> expect; // on each sound
    };
    const Case cases[] = {
        {"volume typed", [](EditView& v) { v.Texts.Volume = "20"; },
         [](SoundDetail& d) { d.Volume = 50; }},
        {"the shared chance typed again", [](EditView& v) { v.Texts.Chance = "4"; },
         [](SoundDetail&) {}},
        {"V clicked once: clear in all", [](EditView& v) { ClickFlag(v.Colours.V); },
         [](SoundDetail& d) { d.Flags &= ~kFlagV; }},
        {"L clicked once: out, R left mixed keeps the second's R",
         [](EditView& v) { ClickLoopFlag(v.Colours.L, v.Colours.R); },
         [](SoundDetail& d) {
             d.Flags &= d.Flags & 2 && !(d.Flags & 1) ? 0xFFFF : ~kLoopModeMask;
         }},
        {"L clicked twice: lit, R out in all",
         [](EditView& v) {
             ClickLoopFlag(v.Colours.L, v.Colours.R);
             ClickLoopFlag(v.Colours.L, v.Colours.R);
         },
         [](SoundDetail& d) {
             d.Flags = (d.Flags & 1) ? d.Flags : (d.Flags & ~kLoopModeMask) | 3;
         }},
    };
    for (const Case& c : cases) {
        EditView now = shared;
        c.edit(now);
        for (const SoundDetail& sound : sounds) {
            const EditResult result = StoreChanges(sound, shared, now);
            SoundDetail expected = sound;
            c.expect(expected);
            EXPECT_TRUE(result.stored);
            EXPECT_EQ(result.detail, expected) << c.what << ", flags " << std::hex << sound.Flags;
        }
    }
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
