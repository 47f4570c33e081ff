// Values taken from another table: which sounds match, which bits they take, and the counts.
#include "document/take_values.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

using namespace sondrel;
using namespace sondrel::testing;

TEST(TakeBits, takesExactlyTheStoredBitsOfEachValue) {
    const SoundDetail ones{-1, 0xFF, 0xFF, 0xFF, 0xFF, 0xFFFF};
    const SoundDetail zeros{0, 0, 0, 0, 0, 0};
    // Sample, Volume, Radius, Chance, Pitch, Flags: the bits each value carries.
    const std::pair<TakenValue, SoundDetail> bits[] = {
        {TakenValue::Range, {0, 0, 0x1F, 0, 0, 0}},   {TakenValue::Volume, {0, 0xFE, 0, 0, 0, 0}},
        {TakenValue::Pitch, {0, 0, 0, 0, 0x7F, 0}},   {TakenValue::Chance, {0, 0, 0, 0xFE, 0, 0}},
        {TakenValue::Flags, {0, 0, 0, 0, 0, 0x7003}},
    };
    TakenValues all{};
    SoundDetail allBits = zeros;
    for (const auto& [value, expected] : bits) {
        TakenValues one{};
        one[static_cast<std::size_t>(value)] = true;
        all[static_cast<std::size_t>(value)] = true;
        EXPECT_EQ(TakeBits(zeros, ones, one), expected)
            << kTakenValueNames[static_cast<std::size_t>(value)];
        allBits = TakeBits(allBits, ones, one);
    }
    EXPECT_EQ(TakeBits(zeros, ones, all), allBits);
    EXPECT_EQ(TakenWords(all), "range, volume, pitch, chance and flags");
    EXPECT_EQ(TakenWords({false, true, false, false, true}), "volume and flags");
}

TEST(PlanTake, matchesByFirstSampleRegardlessOfCapitalsAndLeavesWhatIsUnsure) {
    // Here: a sound that matches, one whose match has its values already, one matching two
    // sounds there that differ, one without a match, and a native one, not listed.
    const SampleNames hereNames = {"KV5 Sound 12.wav", "KV3 Sound 4.wav", "KV2 Sound 9.wav",
                                   "KV1 Sound 3.wav", "Door.wav"};
    const SoundTable here = TableOf({{45, 0}, {12, 1}, {13, 2}, {14, 3}, {120, 4}},
                                    {{0, 250, 5, 10, 126, 0x8004},
                                     {1, 40, 7, 0, 0, 4},
                                     {2, 40, 7, 0, 0, 4},
                                     {3, 40, 7, 0, 0, 4},
                                     {4, 40, 7, 0, 0, 4}},
                                    5);
    const SampleNames thereNames = {"KV5 Sound 12.WAV", "KV3 Sound 4.wav", "KV2 Sound 9.wav",
                                    "Door.wav"};
    const SoundTable there = TableOf({{7, 0}, {8, 1}, {9, 1}, {10, 2}, {11, 3}, {121, 4}},
                                     {{0, 100, 0xE9, 3, 0x81, 0x7006},
                                      {1, 41, 7, 1, 0, 4},
                                      {1, 41, 0xE7, 1, 0x80, 4},
                                      {2, 90, 7, 0, 0, 4},
                                      {2, 100, 7, 0, 0, 4},
                                      {3, 0, 0, 0, 0, 0x7007}},
                                     4);
    const std::vector<SoundListEntry> thereList =
        ComputeSoundList(there, thereNames, {}, false, "");
    const ValueSource source{there, thereNames, thereList};
    const OpenTable open("here.sfx", {here, hereNames, {}, {}}, {}, false);
    ASSERT_EQ(open.list().size(), 4u);

    const TakePlan plan = PlanTake(open, {}, source, kAllValues);
    ASSERT_EQ(plan.changes.size(), 1u);
    EXPECT_EQ(plan.changes[0].detail, 0u);
    // Volume, range and chance bits, pitch's low seven, flag bits 0-1 and 12-14; Sample, the
    // sample count and the other bits stay.
    EXPECT_EQ(plan.changes[0].after, (SoundDetail{0, 100, 0x09, 2, 0x01, 0xF006}));
    EXPECT_EQ(plan.words("there.sfx"),
              "Of 4 sounds, 2 match a sound of there.sfx, 1 of which would change; 1 has no "
              "match; 1 matches several sounds there whose values differ and is left as it is: " +
                  open.list()[2].Text);
    // Picked sounds alone; whether sounds there differ is told by the values taken.
    const TakenValues volume{false, true, false, false, false};
    const TakePlan volumes = PlanTake(open, {0, 2}, source, volume);
    EXPECT_EQ(volumes.considered, 2);
    EXPECT_EQ(volumes.ambiguous.size(), 1u);
    ASSERT_EQ(volumes.changes.size(), 1u);
    EXPECT_EQ(volumes.changes[0].after, (SoundDetail{0, 100, 5, 10, 126, 0x8004}));
    EXPECT_TRUE(PlanTake(open, {2}, source, {true, false, false, false, false}).ambiguous.empty());
}
