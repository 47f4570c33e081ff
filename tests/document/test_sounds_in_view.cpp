// The sounds in view: what the fields and the Samples box show of them, what a Play plays, and
// what an Update stores into them and says of it.
#include "document/sounds_in_view.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

using namespace sondrel;
using namespace sondrel::testing;

namespace {

// Three series sounds: the first two play samples 0 and 1, the third sample 2 and one past the
// list's end. Volumes 100, 2 and 60 (byte 0x98), ranges 5, 1 and 31; loop mode 2 on the first.
class SoundsInViewTest : public ::testing::Test {
protected:
    SoundsInViewTest() {
        WriteTableAndSampleList(dir / "a.sfx",
                                TableOf({{1, 0}, {2, 1}, {3, 2}},
                                        {{0, 250, 5, 10, 126, 4 * 2 | 2},
                                         {0, 5, 1, 10, 0, 4 * 2},
                                         {2, 0x98, 31, 10, 0, 4 * 2}},
                                        3),
                                {"KV1 Sound 1.wav", "KV1 Sound 2.wav", "KV1 Sound 3.wav"});
        PairAsRead read = ReadTablePair(dir / "a.sfx");
        open = OpenTable(dir / "a.sfx", std::move(read), {}, false);
    }
    SoundsInView of(std::vector<int> positions) { return SoundsInView(open, std::move(positions)); }

    TempDir dir;
    OpenTable open;
};

EditView With(EditView view, std::string EditTexts::*field, std::string text) {
    view.Texts.*field = std::move(text);
    return view;
}

} // namespace

TEST_F(SoundsInViewTest, showsOneSoundsValuesOrWhatSeveralShareAndTheirSamples) {
    using Names = std::vector<std::string_view>;
    EXPECT_TRUE(of({}).empty());
    EXPECT_TRUE(of({3, -1}).empty()); // not listed: the list holds 0 to 2
    EXPECT_EQ(of({0}).shown(), ViewOfDetail(open.table().Details[0]));
    EXPECT_EQ(of({0}).boxNames(), (Names{"KV1 Sound 1.wav", "KV1 Sound 2.wav"}));
    EXPECT_EQ(of({0, 1}).shown().Texts, (EditTexts{"", "", "", "4"}));
    EXPECT_EQ(of({0, 1}).boxNames(), (Names{"KV1 Sound 1.wav", "KV1 Sound 2.wav"}));
    EXPECT_EQ(of({0, 2}).boxNames(), Names{});               // they play different samples
    EXPECT_EQ(of({2}).boxNames(), Names{"KV1 Sound 3.wav"}); // as far as the list names them
    EXPECT_EQ(of({1, 2}).details(), (std::vector<std::size_t>{1, 2}));
}

TEST_F(SoundsInViewTest, aPlayTakesTheSampleChosenOfTheFirstSoundAsAnUpdateWouldStoreIt) {
    const SoundsInView two = of({0, 1});
    const std::tuple<SoundsInView, int, EditView, std::string_view, int, bool> cases[] = {
        {of({0}), 1, of({0}).shown(), "KV1 Sound 2.wav", 100, true},
        {of({0}), 5, of({0}).shown(), "KV1 Sound 1.wav", 100, true}, // no such index
        {of({0}), -1, of({0}).shown(), "KV1 Sound 1.wav", 100, true},
        {two, 1, With(two.shown(), &EditTexts::Volume, "50"), "KV1 Sound 2.wav", 50, true},
        {two, 0, With(two.shown(), &EditTexts::Volume, "30%"), "KV1 Sound 1.wav", 30, true},
        {two, 0, With(two.shown(), &EditTexts::Volume, "x"), "KV1 Sound 1.wav", 100, true},
        {of({2, 0}), 1, of({2, 0}).shown(), "KV1 Sound 3.wav", 60, false}, // the box is empty
    };
    for (const auto& [view, index, now, sample, volume, loop] : cases) {
        const std::optional<PlayChoice> play = view.play(index, now);
        ASSERT_TRUE(play) << sample;
        EXPECT_EQ(play->sample, sample) << index;
        EXPECT_EQ(play->volume, volume) << sample;
        EXPECT_DOUBLE_EQ(play->playback.Gain, std::min(volume, 100) / 100.0) << sample;
        EXPECT_EQ(play->playback.Loop, loop) << sample;
    }
    EXPECT_FALSE(of({}).play(0, {}));
    // What the status line says of it: the volume shown, and how it sounds where the gain
    // cannot follow it.
    const PlayChoice loud{"a.wav", {1.0, true}, 101};
    EXPECT_EQ(loud.words(), "Playing a.wav at volume 101, heard as 100, the sample's own level, "
                            "looping until stopped");
    EXPECT_EQ((PlayChoice{"a.wav", {0.5, false}, 50}).words(), "Playing a.wav at volume 50");
}

TEST_F(SoundsInViewTest, anUpdateStoresIntoEachSoundAndSaysWhatItDidAndWhatWasHeld) {
    const auto all = [&] { return of({0, 1, 2}); };
    // The sounds, a field and what is typed there; the details changed, the words.
    const auto V = &EditTexts::Volume, R = &EditTexts::Range, C = &EditTexts::Chance;
    const std::tuple<std::vector<int>, std::string EditTexts::*, std::string,
                     std::vector<std::size_t>, std::string>
        cases[] = {
            {{0}, V, "20", {0}, "Stored the volume into KV1 Sound 1 - 1"},
            {{0, 1, 2}, V, "60", {0, 1}, "Stored the volume into 3 sounds"},
            {{0, 1, 2}, V, "80%", {0, 2}, "Stored 80% of each volume into 3 sounds"}, // 2 stays
            {{0, 1, 2}, V, "100%", {}, "Stored 100% of each volume into 3 sounds"},
            {{0, 1, 2}, R, "5-", {0, 1, 2}, "Stored each range minus 5 into 3 sounds; 1 held at 0"},
            {{0, 1, 2}, R, "30+", {0, 1}, "Stored each range plus 30 into 3 sounds; 2 held at 31"},
            {{1}, V, " 3 -", {1}, "Stored the volume minus 3 into KV1 Sound 1 - 2; held at 0"},
            {{0, 1}, C, "+5", {0, 1}, "Stored the chance into 2 sounds"},
        };
    for (const auto& [positions, field, text, changed, words] : cases) {
        const SoundsInView view = of(positions);
        const UpdateOutcome outcome = view.update(With(view.shown(), field, text));
        EXPECT_FALSE(outcome.batch.failed) << text;
        std::vector<std::size_t> details;
        for (const DetailChange& change : outcome.batch.changes) {
            details.push_back(change.detail);
            EXPECT_EQ(change.before, open.table().Details[change.detail]) << text;
        }
        EXPECT_EQ(details, changed) << text;
        EXPECT_EQ(outcome.words, words);
    }
    // Several fields changed and held, the flags too; a text refused; nothing changed.
    EditView now = With(all().shown(), &EditTexts::Range, "40+");
    now.Texts.Volume = "200%";
    ClickLoopFlag(now.Colours.R, now.Colours.L);
    EXPECT_EQ(all().update(now).words, "Stored each range plus 40, 200% of each volume and the "
                                       "flags into 3 sounds; the range: 3 held at 31; the "
                                       "volume: 2 held at 101");
    const UpdateOutcome refused = all().update(With(all().shown(), &EditTexts::Pitch, "1.5%"));
    EXPECT_EQ(refused.batch.failed, EditField::Pitch);
    EXPECT_EQ(refused.words, "");
    EXPECT_EQ(all().update(all().shown()).words, "");
}
