#include "logic/units.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace sondrel;

TEST(NumberFromText, readsTheNumberAtTheStartOfTheText) {
    const std::optional<double> none;
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"", none},       {"12abc", 12},   {"abc", none},      {"2,5", 2},     {"2.5", 2.5},
        {"1 2", 12},      {" \t\n7", 7},   {"-1", -1},         {"- 1", -1},    {"+3", 3},
        {".5", 0.5},      {"-.25", -0.25}, {"1E3", 1000},      {"1E12", 1E12}, {"1e3", 1000},
        {"2.5E-1", 0.25}, {"1E", 1},       {"1E+", 1},         {"&H1F", 31},   {"&hff", 255},
        {"&O17", 15},     {"&O8", none},   {"&o70", 56},       {"&H", none},   {"&", none},
        {"&X1", none},    {"&H 1 F", 31},  {"1.2.3", 1.2},     {"--1", none},  {"\r1", none},
        {"1\r2", 1},      {"007", 7},      {"\xC2\xBD", none}, {"1E-400", 0},  {"1E-999", 0},
        {".", none},      {"-", none},     {"&H0", 0},         {"&H1_", 1},    {"&o7a", 7},
    };
    for (const auto& [text, value] : cases) {
        EXPECT_EQ(NumberFromText(text), value) << '"' << text << '"';
    }
    EXPECT_EQ(NumberFromText(std::string_view("12345").substr(0, 2)), 12); // not a byte more
    EXPECT_TRUE(std::isinf(*NumberFromText("1E400")));
    EXPECT_TRUE(std::isinf(*NumberFromText("9" + std::string(500, '9'))));
}

namespace {

constexpr EditField kAllFields[] = {EditField::Range, EditField::Volume, EditField::Pitch,
                                    EditField::Chance};
std::string EditTexts::*const kTextOf[] = {&EditTexts::Range, &EditTexts::Volume, &EditTexts::Pitch,
                                           &EditTexts::Chance};
std::uint8_t SoundDetail::*const kByteOf[] = {&SoundDetail::Radius, &SoundDetail::Volume,
                                              &SoundDetail::Pitch, &SoundDetail::Chance};
int ShownValues::*const kShownOf[] = {&ShownValues::Range, &ShownValues::Volume,
                                      &ShownValues::Pitch, &ShownValues::Chance};
// The bits of each byte a field shows; the others stay as they were.
constexpr int kShownBits[] = {0x1F, 0xFE, 0x7F, 0xFE};

const SoundDetail kBefore{
    .Sample = 7, .Volume = 0xFF, .Radius = 0xFF, .Chance = 0xFF, .Pitch = 0xFF, .Flags = 0x7C};

// `text` typed into one field of kBefore, every other field and flag as shown.
EditResult Typed(EditField field, const std::string& text) {
    const auto at = static_cast<std::size_t>(field);
    EditView shown = ViewOfDetail(kBefore);
    EditView now = shown;
    shown.Texts.*kTextOf[at] = "\x01"; // so that any text counts as typed
    now.Texts.*kTextOf[at] = text;
    return StoreChanges(kBefore, shown, now);
}

// The view with a volume typed.
EditView With(EditView view, const std::string& volume) {
    view.Texts.Volume = volume;
    return view;
}

} // namespace

TEST(ShowDetail, showsEveryStoredByteInTheDesignersUnits) {
    // The display in whole numbers: range the low five bits; volume and chance the byte less
    // its low bit over 2.5; pitch the low seven bits over 1.26, on a scale of 256.
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        const ShownValues shown = ShowDetail({0, b, b, b, b, 0});
        EXPECT_EQ(shown.Range, byte & 0x1F) << byte;
        EXPECT_EQ(shown.Volume, (byte & 0xFE) * 2 / 5) << byte;
        EXPECT_EQ(shown.Chance, (byte & 0xFE) * 2 / 5) << byte;
        EXPECT_EQ(shown.Pitch, (byte & 0x7F) * 25600 / 32256) << byte;
    }
}

TEST(StoreChanges, storesTheByteNearestTheScaledValueOrConvertsAFraction) {
    // The field, the text typed, the byte stored.
    const std::tuple<EditField, const char*, int> cases[] = {
        // Whole numbers that more than one byte shows, however written: the one nearest to the
        // number times the scale.
        {EditField::Volume, "90", 226},
        {EditField::Volume, " 9 0 ", 226}, // blanks before, inside and after; read as 90
        {EditField::Volume, "100", 250},
        {EditField::Chance, "101", 254},
        {EditField::Pitch, "50", 63},
        {EditField::Pitch, "99", 125},
        // Fractions: scaled, rounded with ties to even, masked.
        {EditField::Volume, "2.5", 6},
        {EditField::Volume, "100.9", 252},
        {EditField::Range, "5.9", 5},
        {EditField::Range, "30.99", 30},
        {EditField::Pitch, "99.9", 125},
        {EditField::Chance, "1.2", 2},
    };
    for (const auto& [field, text, stored] : cases) {
        const EditResult result = Typed(field, text);
        ASSERT_TRUE(result.stored) << text;
        const auto at = static_cast<std::size_t>(field);
        // The bits it does not show (all set before) are kept.
        EXPECT_EQ(result.detail.*kByteOf[at], stored | (0xFF & ~kShownBits[at]))
            << InfoOf(field).name << " " << text;
    }
}

TEST(StoreChanges, refusesTextThatIsNotANumberWithinTheField) {
    for (const EditField field : kAllFields) {
        const std::string largest = std::to_string(InfoOf(field).max);
        for (const std::string& text :
             {std::string(), std::string("-1"), std::string("-0.1"),
              std::to_string(InfoOf(field).max + 1), largest + ".01", std::string("1E400"),
              // Anything after the number: refused, not passed over.
              std::string("2,5"), std::string("12abc")}) {
            const EditResult result = Typed(field, text);
            EXPECT_FALSE(result.stored) << InfoOf(field).name << " \"" << text << '"';
            EXPECT_EQ(result.failed, field) << text;
            EXPECT_EQ(result.decimalComma, text == "2,5") << text;
        }
    }
    // The first field refused is named, and a good one before it is not stored either.
    const EditView shown = ViewOfDetail(kBefore);
    EditView now = shown;
    now.Texts = {"3", "1", "x", "-2"};
    EXPECT_EQ(StoreChanges(kBefore, shown, now).failed, EditField::Pitch);
}

TEST(ReadFieldChange, readsANumberOrAChangeOfEachSoundsOwnValue) {
    using Kind = FieldChange::Kind;
    const std::optional<std::pair<Kind, double>> none;
    const std::pair<const char*, std::optional<std::pair<Kind, double>>> cases[] = {
        {"80%", {{Kind::Percent, 80}}},
        {" 8 0 % ", {{Kind::Percent, 80}}},
        {"10+", {{Kind::Plus, 10}}},
        {"10 -", {{Kind::Minus, 10}}},
        {"+5", {{Kind::Set, 5}}},
        {"+5+", {{Kind::Plus, 5}}},
        {"&H10-", {{Kind::Minus, 16}}},
        {"1E1%", {{Kind::Percent, 10}}},
        {"0%", {{Kind::Percent, 0}}},
        {"250%", {{Kind::Percent, 250}}},
        {"1E9+", {{Kind::Plus, kMaxChange}}},
        {"2.5", {{Kind::Set, 2.5}}},
        {"10.5%", none},
        {"%", none},
        {"10+5", none},
        {"-10%", none},
        {"10% x", none},
        {"102", none},
        {"2,5%", none},
    };
    for (const auto& [text, expected] : cases) {
        const std::optional<FieldChange> change = ReadFieldChange(EditField::Volume, text);
        ASSERT_EQ(change.has_value(), expected.has_value()) << '"' << text << '"';
        if (change) {
            EXPECT_EQ(change->kind, expected->first) << text;
            EXPECT_EQ(change->number, expected->second) << text;
        }
    }
}

TEST(StoreChanges, everyWholeNumberReadsBackAsTypedAndAChangeOfItIsHeldWithinTheField) {
    constexpr int kMax[] = {31, 101, 100, 101};
    for (const EditField field : kAllFields) {
        const auto at = static_cast<std::size_t>(field);
        for (int own = 0; own <= kMax[at]; ++own) {
            // Every whole number the field shows reads back as typed; nothing else changes.
            const SoundDetail detail = Typed(field, std::to_string(own)).detail;
            ASSERT_EQ(ShowDetail(detail).*kShownOf[at], own) << InfoOf(field).name;
            SoundDetail others = detail;
            others.*kByteOf[at] = kBefore.*kByteOf[at];
            ASSERT_EQ(others, kBefore) << InfoOf(field).name << " " << own;
            for (const long long n : {0LL, 1LL, 7LL, 10LL, 50LL, 80LL, 150LL, 1000000000LL}) {
                for (const char sign : {'%', '+', '-'}) {
                    const long long wanted = sign == '%'   ? (own * n + 50) / 100
                                             : sign == '+' ? own + n
                                                           : own - n;
                    const long long value = std::clamp<long long>(wanted, 0, kMax[at]);
                    EditView now = ViewOfDetail(detail);
                    now.Texts.*kTextOf[at] = std::to_string(n) + sign;
                    const EditResult result = StoreChanges(detail, ViewOfDetail(detail), now);
                    ASSERT_TRUE(result.stored) << now.Texts.*kTextOf[at];
                    const std::string what = InfoOf(field).name + (" " + std::to_string(own)) +
                                             " " + now.Texts.*kTextOf[at];
                    ASSERT_EQ(ShowDetail(result.detail).*kShownOf[at], value) << what;
                    EXPECT_EQ(result.held[at], wanted < 0          ? Held::AtLeast
                                               : wanted > kMax[at] ? Held::AtMost
                                                                   : Held::No)
                        << what;
                    if (value == own) {
                        EXPECT_EQ(result.detail, detail) << what;
                    }
                }
            }
        }
    }
    // A whole number typed keeps the byte of a sound that shows it already: 60 is 0x96, but a
    // sound of 0x98 shows 60 too.
    const SoundDetail sixty{0, 0x98, 0, 0, 0, 0};
    EXPECT_EQ(StoreChanges(sixty, {}, With(ViewOfDetail(sixty), "60")).detail, sixty);
    EXPECT_EQ(StoreChanges(sixty, {}, With(ViewOfDetail(sixty), "61")).detail.Volume, 0x98 + 2);
}

TEST(StoreChanges, anUnchangedViewChangesNoByteHoweverOftenItIsStored) {
    // Values the plain conversion would change: pitch 127, volume 5, bits the window does not
    // show, loop mode 1.
    const SoundDetail details[] = {
        {.Sample = 3, .Volume = 5, .Radius = 0xE5, .Chance = 255, .Pitch = 127, .Flags = 0xFFFD},
        {.Sample = -1, .Volume = 1, .Radius = 0, .Chance = 3, .Pitch = 0x85, .Flags = 0x0001},
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

TEST(StoreChanges, storesWhatChangedIntoEverySoundAndKeepsTheRest) {
    // Loop modes 2, 1 and 3; V on the first alone; volumes 100, 1, 1; bits the window does not
    // show on the third.
    const std::vector<SoundDetail> sounds = {
        {.Sample = 0, .Volume = 250, .Radius = 5, .Chance = 10, .Pitch = 126, .Flags = 0x4006},
        {.Sample = 1, .Volume = 4, .Radius = 31, .Chance = 10, .Pitch = 127, .Flags = 0x3009},
        {.Sample = 3, .Volume = 5, .Radius = 0xE3, .Chance = 11, .Pitch = 5, .Flags = 0x8F8F},
    };
    std::vector<EditView> views;
    for (const SoundDetail& sound : sounds) {
        views.push_back(ViewOfDetail(sound));
    }
    const EditView shared = SharedView(views);
    EXPECT_EQ(shared.Texts, (EditTexts{"", "", "", "4"}));
    EXPECT_EQ(shared.Colours, (FlagColours{kMixed, kMixed, kMixed, kMixed, kMixed}));

    struct Case {
        const char* what;
        std::function<void(EditView&)> edit;
        std::function<void(SoundDetail&)> expect; // on each sound
    };
    const Case cases[] = {
        {"volume typed", [](EditView& v) { v.Texts.Volume = "20"; },
         [](SoundDetail& d) { d.Volume = 50 | (d.Volume & 1); }},
        {"range typed", [](EditView& v) { v.Texts.Range = "31"; },
         [](SoundDetail& d) { d.Radius = 31 | (d.Radius & 0xE0); }},
        {"the shared chance typed again", [](EditView& v) { v.Texts.Chance = "4"; },
         [](SoundDetail&) {}},
        {"V clicked once: clear in all", [](EditView& v) { ClickFlag(v.Colours.V); },
         [](SoundDetail& d) { d.Flags &= ~kFlagV; }},
        {"V and N clicked twice: set in all",
         [](EditView& v) {
             for (int click = 0; click < 2; ++click) {
                 ClickFlag(v.Colours.V);
                 ClickFlag(v.Colours.N);
             }
         },
         [](SoundDetail& d) { d.Flags |= kFlagV | kFlagN; }},
        {"L clicked once: out, R left mixed keeps the first's R",
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
        {"R clicked twice: lit, L out in all",
         [](EditView& v) {
             ClickLoopFlag(v.Colours.R, v.Colours.L);
             ClickLoopFlag(v.Colours.R, v.Colours.L);
         },
         [](SoundDetail& d) { d.Flags = (d.Flags & ~kLoopModeMask) | 2; }},
    };
    for (const Case& c : cases) {
        EditView now = shared;
        c.edit(now);
        for (const SoundDetail& sound : sounds) {
            SoundDetail expected = sound;
            c.expect(expected);
            const EditResult result = StoreChanges(sound, shared, now);
            ASSERT_TRUE(result.stored) << c.what;
            EXPECT_EQ(result.detail, expected) << c.what << ", flags " << std::hex << sound.Flags;
        }
    }
}

TEST(Flags, theLabelsShowEveryFlagsWordAndStoreItBack) {
    for (int word = 0; word <= 0xFFFF; ++word) {
        const auto flags = static_cast<std::uint16_t>(word);
        const int loop = word & 3;
        const auto lit = [](bool set) { return set ? kRed : kBlack; };
        const FlagColours shown = ColoursForFlags(flags);
        ASSERT_EQ(shown, (FlagColours{lit(word & 0x4000), lit(word & 0x2000), lit(word & 0x1000),
                                      lit(loop == 1 || loop == 3), lit(loop == 2)}))
            << word;
        // Stored from the labels: the sample count kept, loop mode 1 becomes 3, the bits the
        // window does not show cleared.
        ASSERT_EQ(FlagsFromColours(flags, shown), (word & 0x707C) | (loop == 1 ? 3 : loop)) << word;
        // A Play loops in every loop mode but none.
        ASSERT_EQ(PlaybackOf({0, 0, 0, 0, 0, flags}).Loop, loop != 0) << word;
    }
    // Only a colour of exactly 255 counts as set.
    EXPECT_EQ(FlagsFromColours(0, {254, kButtonTextColour, 0x0000FF00, kMixed, 256}), 0);
}
