#include "dump/dump.h"
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

struct DumpRun {
    int status;
    std::string out;
    std::string err;
};

DumpRun Dump(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunDump(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

// Two series sounds, a native one on slot 5 and one no slot uses.
void WriteTable(const fs::path& table) {
    SoundTable sounds = TableOf({{45, 0}, {5, 1}, {6, 2}},
                                // Sample, Volume, Radius, Chance, Pitch, Flags
                                {{0, 250, 12, 10, 126, 0x6000 | 8 | 2},
                                 {2, 4, 3, 0, 63, 0x1000 | 4 | 1},
                                 {3, 0, 0, 0, 0, 4},
                                 {3, 0, 0, 0, 0, 4}},
                                4);
    sounds.SampleIndices = {9, 8, 7, 6};
    WriteSFX(table, sounds);
    WriteSampleNames(SampleListPath(table),
                     {"KV5 Sound 12.wav", "KV5 Sound 13.wav", "Door.wav", "KV3 Sound ab.wav"}, 4);
}

} // namespace

TEST(SondrelDump, listsTheSeriesSoundsThenCountsAndLeftOvers) {
    TempDir dir;
    WriteTable(dir / "city.sfx");
    const DumpRun run = Dump({(dir / "city.sfx").string()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(
        Lines(run.out),
        (std::vector<std::string>{
            "KV5 Sound 12 - 45\tdetail 0\tRAD 12\tVOL 100\tPIT 100\tCH 4\tbytes 00 00 FA 0C 0A 7E "
            "0A 60\t"
            "flags PVR--\tsamples \"KV5 Sound 12.wav\" \"KV5 Sound 13.wav\"",
            "KV3 Sound 12 - 6\tdetail 2\tRAD 0\tVOL 0\tPIT 0\tCH 0\tbytes 03 00 00 00 00 00 04 00\t"
            "flags -----\tsamples \"KV3 Sound ab.wav\"",
            "details 4, samples 4, listed 2",
            "unlisted\tdetail 1\tRAD 3\tVOL 1\tPIT 50\tCH 0\tbytes 02 00 04 03 00 3F 05 10\tflags "
            "---LN\t"
            "samples \"Door.wav\"\tnative",
            "unlisted\tdetail 3\tRAD 0\tVOL 0\tPIT 0\tCH 0\tbytes 03 00 00 00 00 00 04 00\tflags "
            "-----\t"
            "samples \"KV3 Sound ab.wav\"\tno slot",
        }));

    // With an object name database, the native sound is listed under its slot's name.
    ObjectDatabase database;
    database.names = {"a", "b", "c", "d", "e", "Old door"};
    WriteAll(dir / "objects.dat", database.bytes());
    const std::vector<std::string> lines =
        Lines(Dump({"--objects", (dir / "objects.dat").string(), (dir / "city.sfx").string()}).out);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_TRUE(lines[1].starts_with("Old door\tdetail 1\t")) << lines[1];
    EXPECT_EQ(lines[3], "details 4, samples 4, listed 3");
}

TEST(SondrelDump, rawViewNeedsNoSampleList) {
    TempDir dir;
    WriteTable(dir / "city.sfx");
    fs::remove(dir / "city.sam");
    const DumpRun run = Dump({"--raw", (dir / "city.sfx").string()});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u + 4u + 1u + 4u);
    EXPECT_EQ(lines[0], "slot 5\tdetail 1");
    EXPECT_EQ(lines[7], "details 4, samples 4");
    EXPECT_EQ(lines[11], "sample 3\tindex 6");
}

TEST(SondrelDump, answersItsOptionsAndEndsWithAMessageOnWhatTheEditorWouldReport) {
    TempDir dir;
    WriteTable(dir / "city.sfx");
    fs::remove(dir / "city.sam");
    WriteAll(dir / "empty.sfx", {});
    const std::string city = (dir / "city.sfx").string();
    const std::string empty = (dir / "empty.sfx").string();
    // The arguments, the status, the start of the output and a part of the error output.
    const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
        {{"--help"}, 0, "usage: sondrel-dump", ""},
        {{"-h"}, 0, "usage: sondrel-dump", ""},
        {{"--version"}, 0, "sondrel-dump " SONDREL_VERSION "\n", ""},
        {{city}, 1, "", "failure 11: the sample list "},
        {{empty}, 1, "", "failure 10: "},
        {{(dir / "missing.sfx").string()}, 1, "", "failure 4: there is no sound table"},
        {{"--objects", (dir / "none.dat").string(), empty},
         1,
         "",
         "there is no object name database"},
        {{}, 2, "", "sondrel-dump"},
        {{"--bogus", "x.sfx"}, 2, "", "--bogus"},
    };
    for (const auto& [arguments, status, out, err] : cases) {
        const DumpRun run = Dump(arguments);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(arguments);
        EXPECT_TRUE(out.empty() ? run.out.empty() : run.out.starts_with(out)) << run.out;
        EXPECT_TRUE(err.empty() ? run.err.empty() : run.err.find(err) != std::string::npos)
            << run.err;
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"city.sfx", "empty.sfx"}));
}

TEST(SondrelDump, aShortTableIsShownAndReportedAndAViewThatCannotBeWrittenOutIsAFailure) {
    TempDir dir;
    WriteTable(dir / "city.sfx");
    const DumpRun whole = Dump({(dir / "city.sfx").string()});
    for (const bool raw : {false, true}) {
        std::ostringstream full; // as a full disk: every write fails
        full.setstate(std::ios::badbit);
        std::ostringstream err;
        std::vector<std::string> arguments = {(dir / "city.sfx").string()};
        if (raw) {
            arguments.insert(arguments.begin(), "--raw");
        }
        EXPECT_EQ(RunDump(arguments, full, err), 1);
        EXPECT_NE(err.str().find("could not be written out"), std::string::npos) << err.str();
    }
    Bytes cut = ReadAll(dir / "city.sfx");
    cut.pop_back(); // the last sample index loses a byte, which the list does not show
    WriteAll(dir / "city.sfx", cut);
    const DumpRun run = Dump({(dir / "city.sfx").string()});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out, whole.out);
    EXPECT_NE(run.err.find("is shorter than its counts say: " + std::to_string(cut.size()) +
                           " of " + std::to_string(cut.size() + 1) + " bytes"),
              std::string::npos)
        << run.err;
}
