// The table open for editing over real files: its list, its history and the save's questions.
#include "document/open_table.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

const SampleNames kNames = {"KV5 Sound 12.wav", "Door.wav", "KV3 Sound 4.wav"};

// A series sound on slot 45, a native one on slot 120, another series sound on 12 and 13.
void WritePair(const fs::path& table) {
    WriteTableAndSampleList(
        table,
        TableOf({{45, 0}, {120, 1}, {12, 2}, {13, 2}},
                {{0, 250, 5, 10, 126, 4}, {1, 20, 6, 0, 0, 4}, {2, 40, 7, 0, 0, 4}}, 3),
        kNames);
}

OpenTable Opened(const fs::path& table, bool includeNative = true) {
    return OpenTable(table, ReadTablePair(table), {}, includeNative);
}

// Answers each question as told, and notes which were asked.
struct Answers : SaveAsker {
    std::map<std::string, bool> answer;
    std::vector<std::string> asked;

    bool said(const std::string& question) {
        asked.push_back(question);
        return answer[question];
    }
    void refuseSampleListAsTable(const fs::path&) override { said("own list"); }
    bool replaceThroughLink(const SaveQuestions::Link&, bool) override { return said("link"); }
    bool replaceChanged(const fs::path&) override { return said("changed"); }
    bool replaceUnknownSampleList(const fs::path&) override { return said("unknown list"); }
};

} // namespace

TEST(OpenTable, undoAndRedoStepThroughTheEditsAndTheCleanStateIsTheOneLastSaved) {
    TempDir dir;
    WritePair(dir / "a.sfx");
    OpenTable open = Opened(dir / "a.sfx");
    const SoundDetail original = open.table().Details[0];
    const auto edit = [&](std::uint8_t volume) {
        SoundDetail after = open.table().Details[0];
        after.Volume = volume;
        open.apply({{0, open.table().Details[0], after}}, {0, 2});
    };
    Answers answers;
    // Each step, then the first sound's volume and whether the table is as saved.
    using Details = std::vector<std::size_t>;
    const Details both = {0, 2}; // the sounds an edit changed, shown again
    const std::vector<std::tuple<std::function<void()>, int, bool>> steps = {
        {[&] { edit(1); }, 1, false},
        {[&] { edit(2); }, 2, false},
        {[&] { EXPECT_EQ(open.undo(), both); }, 1, false},
        {[&] { open.undo(); }, original.Volume, true},
        {[&] { EXPECT_EQ(open.undo(), Details{}); }, original.Volume, true},
        {[&] { EXPECT_EQ(open.redo(), both); }, 1, false},
        {[&] { EXPECT_TRUE(open.save(dir / "b.sfx", answers)); }, 1, true},
        {[&] { open.undo(); }, original.Volume, false},
        {[&] { edit(3); }, 3, false}, // the step saved is gone
        {[&] { EXPECT_EQ(open.redo(), Details{}); }, 3, false},
        {[&] { open.undo(); }, original.Volume, false},
        {[&] { open.apply({}, {0}); }, original.Volume, false}, // no change, no step
        {[&] { open.redo(); }, 3, false},
    };
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto& [step, volume, clean] = steps[i];
        step();
        EXPECT_EQ(open.table().Details[0].Volume, volume) << "step " << i;
        EXPECT_EQ(open.isClean(), clean) << "step " << i;
    }
    EXPECT_EQ(open.path(), dir / "b.sfx");
    EXPECT_EQ(ReadTablePair(dir / "b.sfx").table.Details[0].Volume, 1);
    EXPECT_EQ(answers.asked, std::vector<std::string>{});
}

TEST(OpenTable, aSaveAsksWhatItMustAndWritesNothingWhereAnAnswerStopsIt) {
    const struct {
        const char* what;
        const char* written; // by another program, after the table is read
        const char* saveAs;
        const char* asked; // the one question, and its answer
        bool answer;
        bool saved;
    } cases[] = {
        {"in place, unchanged on the disk", nullptr, "a.sfx", nullptr, false, true},
        {"over a sample list never read, kept", "b.sam", "b.sfx", "unknown list", false, false},
        {"over a sample list never read, replaced", "b.sam", "b.sfx", "unknown list", true, true},
        {"over a table changed since", "a.sfx", "a.sfx", "changed", false, false},
        {"as its own sample list", nullptr, "a.sam", "own list", false, false},
    };
    for (const auto& c : cases) {
        TempDir dir;
        WritePair(dir / "a.sfx");
        OpenTable open = Opened(dir / "a.sfx");
        SoundDetail after = open.table().Details[0];
        after.Volume = 2;
        open.apply({{0, open.table().Details[0], after}}, {0});
        if (c.written != nullptr) {
            WriteText(dir / c.written, "other\n");
        }
        const std::vector<std::string> files = dir.entries();
        const Bytes before = ReadAll(dir / "a.sfx");
        Answers answers;
        if (c.asked != nullptr) {
            answers.answer[c.asked] = c.answer;
        }
        EXPECT_EQ(open.save(dir / c.saveAs, answers), c.saved) << c.what;
        EXPECT_EQ(answers.asked, c.asked != nullptr ? std::vector<std::string>{c.asked}
                                                    : std::vector<std::string>{})
            << c.what;
        EXPECT_EQ(open.isClean(), c.saved) << c.what;
        if (c.saved) {
            EXPECT_EQ(ReadTablePair(dir / c.saveAs).table, open.table()) << c.what;
        } else {
            EXPECT_EQ(dir.entries(), files) << c.what;
            EXPECT_EQ(ReadAll(dir / "a.sfx"), before) << c.what;
            EXPECT_EQ(open.path(), dir / "a.sfx") << c.what;
        }
    }
}
