// sondrel-text on real files: what it writes, refuses and leaves, and which sample list it
// takes (the diff and the merge in a real repository, and git's own programs, are
// test_git.sh's).
#include "formats/sample_list.h"
#include "formats/sound_table.h"
#include "formats/table_pair.h"
#include "logic/sound_list.h"
#include "logic/units.h"
#include "tests/support/test_files.h"
#include "text/text_tool.h"
#include "tools/wave_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>
#include <numbers>
#include <sstream>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

struct TextRun {
    int status;
    std::string out;
    std::string err;
};

TextRun Text(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunText(arguments, out, err);
    return {status, out.str(), err.str()};
}

std::string S(const fs::path& path) {
    return path.string();
}

// A table with bytes after its end, beside a sample list no save of Sondrel's would write.
void WritePair(const fs::path& table) {
    Bytes bytes = SerializeSFX(
        TableOf({{45, 0}, {7, 1}}, {{0, 250, 12, 10, 126, 0x4006}, {1, 4, 3, 0, 63, 0x1005}}, 2));
    bytes.insert(bytes.end(), {0x00, 0x1A, 0xFF});
    WriteAll(table, bytes);
    WriteText(SampleListPath(table), "\xEF\xBB\xBFKV5 Sound 12.wav\n  \"Door, old.wav\" \xE9\r");
}

} // namespace

TEST(SondrelText, importWritesOnlyAPairTheEditorOpensAndNamesTheLineOfWhatIsNot) {
    TempDir dir;
    WritePair(dir / "city.sfx");
    const Bytes table = ReadAll(dir / "city.sfx");
    const Bytes list = ReadAll(dir / "city.sam");
    const std::string good = Text({"export", S(dir / "city.sfx")}).out;
    const auto with = [&](const std::string& from, const std::string& to,
                          std::string text = std::string()) {
        text = text.empty() ? good : text;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const auto lineOf = [&](const std::string& part) {
        return "line " +
               std::to_string(1 + std::count(good.begin(), good.begin() + good.find(part), '\n'));
    };
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {with("volume 100", "volume 20"), lineOf("detail 0:"), "the values do not say what"},
        {with("details 2", "details -1"), lineOf("detail 0:"), "from 0 to -1"},
        {with("FA 0C 0A 7E 06 40", "FA 0C 0A 7E 06 40 00"), lineOf("detail 0:"), "unexpected"},
        // Pairs Sondrel would not open: a sound starting past the list, a name too long, fewer
        // names than samples, no samples, no sample list at all.
        {with("bytes 00 00 FA", "bytes 40 00 FA"), lineOf("detail 0:"), "failure 30: "},
        {with("bytes 01 00 04", "bytes 40 00 04"), lineOf("detail 1:"), "failure 30: "},
        {with("KV5 Sound 12.wav\"", std::string(5000, 'n') + "\""), lineOf("KV5 Sound 12.wav\""),
         "failure 14: line 1 of the sample list"},
        {with("samples 2", "samples 3") + "index 2: 9\n", lineOf("samples 2"),
         "failure 12: the sample list " + S(dir / "city.sam") + " has 2 names, the table needs 3"},
        {with("samples 2", "samples -1", with("index 0: 0\nindex 1: 1\n", "")), lineOf("samples 2"),
         "failure 10: "},
        {good.substr(0, good.find("sample list\n")), lineOf("samples 2"), "has no sample list"},
    };
    for (const auto& [text, line, says] : cases) {
        WriteText(dir / "bad.txt", text);
        const TextRun refused = Text({"import", S(dir / "bad.txt"), S(dir / "city.sfx")});
        EXPECT_EQ(refused.status, 1) << says;
        EXPECT_NE(refused.err.find("bad.txt, " + line + ": "), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find(says), std::string::npos) << refused.err;
        EXPECT_TRUE(refused.err.ends_with("; nothing was written\n")) << refused.err;
        EXPECT_EQ(ReadAll(dir / "city.sfx"), table);
        EXPECT_EQ(ReadAll(dir / "city.sam"), list);
    }
    // A file ending anywhere: written only where the editor opens what the file then holds.
    const std::string cut = with("after the table: 00 1A FF\n", "");
    for (std::uintmax_t end = 0; end < table.size() - 3; ++end) {
        SCOPED_TRACE(end);
        WriteText(dir / "cut.txt",
                  with("sample list\n",
                       "the file ends at byte " + std::to_string(end) + "\nsample list\n", cut));
        const TextRun run = Text({"import", S(dir / "cut.txt"), S(dir / "cut.sfx")});
        if (run.status == 0) {
            const PairAsRead read = ReadTablePair(dir / "cut.sfx");
            EXPECT_EQ(ReadAll(dir / "cut.sfx").size(), end);
            EXPECT_NO_THROW(ComputeSoundList(read.table, read.names, {}, true, {}));
        } else {
            EXPECT_NE(run.err.find("cut.txt, " + lineOf("after the table") +
                                   ": with the file ending there, Sondrel would not open the "
                                   "pair: failure "),
                      std::string::npos)
                << run.err;
            EXPECT_FALSE(fs::exists(dir / "cut.sfx"));
        }
    }
    // From standard input, after a byte-order mark, the good text is written.
    std::istringstream input("\xEF\xBB\xBF" + good);
    std::streambuf* const before = std::cin.rdbuf(input.rdbuf());
    const TextRun piped = Text({"import", "-", S(dir / "piped.sfx")});
    std::cin.rdbuf(before);
    EXPECT_EQ(piped.status, 0) << piped.err;
    EXPECT_EQ(ReadAll(dir / "piped.sam"), list);
    EXPECT_EQ(Text({"import", S(dir.path()), S(dir / "x.sfx")}).err,
              "sondrel-text: " + S(dir.path()) + " is a folder, not a table's text\n");

    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"export"}, {"import", "a"}, {"merge", "a", "b"}, {"frobnicate", "a"}}) {
        const TextRun run = Text(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: sondrel-text export"), std::string::npos);
    }
}

TEST(SondrelText, mergeWritesOnlyATableTheEditorOpens) {
    TempDir dir;
    WritePair(dir / "base.sfx");
    fs::copy_file(dir / "base.sfx", dir / "ours.sfx");
    const Bytes ours = ReadAll(dir / "ours.sfx");
    WriteText(dir / "theirs.sfx", "a text\n"); // theirs no table at all
    const TextRun run =
        Text({"merge", S(dir / "base.sfx"), S(dir / "ours.sfx"), S(dir / "theirs.sfx")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("the merge would make a table Sondrel does not open (failure "),
              std::string::npos)
        << run.err;
    EXPECT_EQ(ReadAll(dir / "ours.sfx"), ours);
}

TEST(SondrelText, exportTakesTheSampleListBesideTheTableAndNoOther) {
    TempDir dir;
    fs::create_directories(dir / "alone");
    fs::create_directories(dir / "old" / "deep");
    WritePair(dir / "old" / "deep" / "lvl.sfx"); // another level's list of that name, below
    fs::copy_file(dir / "old" / "deep" / "lvl.sfx", dir / "alone" / "lvl.sfx");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const TextRun alone = Text({"export", S(dir / "alone" / "lvl.sfx")});
    fs::current_path(before);
    EXPECT_EQ(alone.status, 0) << alone.err;
    EXPECT_EQ(alone.out.find("\nsample list\n"), std::string::npos) << alone.out;
    EXPECT_NE(alone.out.find("\ndetail 0: range 12,"), std::string::npos);
    EXPECT_EQ(alone.err, "sondrel-text: there is no sample list " + S(dir / "alone" / "lvl.sam") +
                             " beside the table: the text holds the table alone, its sounds "
                             "without names\n");
}

TEST(SondrelText, listPrintsWhatTheEditorListsAndSaysWhereItCannot) {
    TempDir dir;
    // Two series sounds, a native one on slot 5, and one no slot uses.
    SoundTable table = TableOf({{45, 0}, {5, 1}, {6, 2}},
                               {{0, 250, 12, 10, 126, 0x6000 | 8 | 2},
                                {2, 4, 3, 0, 63, 0x1000 | 4 | 1},
                                {3, 0, 0, 0, 0, 4},
                                {3, 0, 0, 0, 0, 4}},
                               4);
    WriteSFX(dir / "city.sfx", table);
    WriteText(dir / "city.sam",
              "KV5 Sound 12.wav\r\nKV5 Sound 13.wav\r\nDoor.wav\r\nKV3 Sound ab.wav\r\n");
    ObjectDatabase database;
    database.names = {"a", "b", "c", "d", "e", "Old door"};
    WriteAll(dir / "objects.dat", database.bytes());
    const std::string unused = "unlisted\tdetail 3\tRAD 0\tVOL 0\tPIT 0\tCH 0\tbytes 03 00 00 00 "
                               "00 00 04 00\tflags -----\tsamples \"KV3 Sound ab.wav\"\tno slot\n";
    const std::string series =
        "KV5 Sound 12 - 45\tdetail 0\tRAD 12\tVOL 100\tPIT 100\tCH 4\tbytes 00 00 FA 0C 0A 7E 0A "
        "60\tflags PVR--\tsamples \"KV5 Sound 12.wav\" \"KV5 Sound 13.wav\"\n";
    const std::string last = "KV3 Sound 12 - 6\tdetail 2\tRAD 0\tVOL 0\tPIT 0\tCH 0\tbytes 03 00 "
                             "00 00 00 00 04 00\tflags -----\tsamples \"KV3 Sound ab.wav\"\n";
    const std::string native = "Old door\tdetail 1\tRAD 3\tVOL 1\tPIT 50\tCH 0\tbytes 02 00 04 03 "
                               "00 3F 05 10\tflags ---LN\tsamples \"Door.wav\"\n";
    const std::string withNative =
        series + native + last + "details 4, samples 4, listed 3\n" + unused;
    const std::string city = S(dir / "city.sfx");
    const std::string objects = S(dir / "objects.dat");
    // The arguments, the status, the output and a part of the error output.
    const std::tuple<std::vector<std::string>, int, std::string, std::string> cases[] = {
        {{"list", city},
         0,
         series + last + "details 4, samples 4, listed 2\n" +
             "unlisted\tdetail 1\tRAD 3\tVOL 1\tPIT 50\tCH 0\tbytes 02 00 04 03 00 3F 05 10\tflags "
             "---LN\tsamples \"Door.wav\"\tnative\n" +
             unused,
         ""},
        {{"list", "--objects", objects, city}, 0, withNative, ""},
        {{"list", "--objects", objects, "--native", city}, 0, withNative, ""},
        {{"list", city, "--objects"}, 2, "", "usage: sondrel-text"},
        {{"list", "--objects", S(dir / "none.dat"), city}, 1, "", "no object name database"},
        {{"list", S(dir / "none.sfx")}, 1, "", "failure 4: there is no sound table"},
        {{"list"}, 2, "", "usage: sondrel-text"},
    };
    for (const auto& [arguments, status, out, err] : cases) {
        const TextRun run = Text(arguments);
        EXPECT_EQ(run.status, status) << ::testing::PrintToString(arguments) << run.err;
        EXPECT_EQ(run.out, out);
        EXPECT_NE(run.err.find(err), std::string::npos) << run.err;
    }
    // A listing that does not reach its reader (a full disk) is no success.
    std::ostringstream full;
    full.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(RunText({"list", city}, full, err), 1);
    EXPECT_EQ(err.str().rfind("sondrel-text: the output could not be written out", 0), 0u);
    // A table shorter than its counts say is listed all the same, and said.
    Bytes cut = ReadAll(dir / "city.sfx");
    cut.pop_back();
    WriteAll(dir / "city.sfx", cut);
    const TextRun shorter = Text({"list", city});
    EXPECT_EQ(shorter.status, 3);
    EXPECT_TRUE(shorter.out.starts_with(series + last));
    EXPECT_NE(shorter.err.find("is shorter than its counts say: 795 of 796 bytes"),
              std::string::npos)
        << shorter.err;
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"city.sam", "city.sfx", "objects.dat"}));
}

TEST(SondrelText, setAndTakeSaveEachTableAsTheEditorDoesAndDryRunWritesNothing) {
    TempDir dir;
    // Two tables of the same two sounds: city's at volumes 100 and 1, the first's sample a
    // full-scale tone reading -3 LUFS, the second's missing; the level's at volume 80.
    const auto write = [&](const char* name, std::uint8_t volume, std::uint8_t radius,
                           const char* names) {
        WriteSFX(dir / name, TableOf({{45, 0}, {46, 1}},
                                     {{0, volume, radius, 10, 126, 0x4006},
                                      {1, volume == 250 ? std::uint8_t{4} : volume, 3, 0, 63, 4}},
                                     2));
        WriteText(SampleListPath(dir / name), names);
    };
    write("city.sfx", 250, 5, "KV5 Sound 12.wav\r\nKV3 Sound 4.wav\r\n");
    write("level.sfx", 200, 12, "KV5 Sound 12.WAV\r\nKV3 Sound 4.wav\r\n");
    WriteAll(dir / "KV5 Sound 12.wav", MakePcmWave(22050, 16, 1, 1, [](double t) {
                 return std::sin(2 * std::numbers::pi * 1000 * t);
             }));
    const std::string city = S(dir / "city.sfx");
    const std::string level = S(dir / "level.sfx");
    const auto volumes = [&](const std::string& table) {
        const SoundTable read = ReadSFX(PathFromUtf8(table));
        return std::pair{ShowDetail(read.Details[0]).Volume, ShowDetail(read.Details[1]).Volume};
    };
    const TextRun dry = Text({"set", "--dry-run", "volume=50%", city, level});
    EXPECT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out, city + ": would change 1 sound; volume=50% in 2 of 2 sounds listed\n" +
                           level + ": would change 2 sounds; volume=50% in 2 of 2 sounds listed\n" +
                           "2 tables: 2 would change, 0 were not done in full; nothing was "
                           "written\n");
    EXPECT_EQ(volumes(city), std::pair(100, 1));
    EXPECT_EQ(volumes(level), std::pair(80, 80));
    const TextRun set = Text({"set", "volume=10-", "--match", "sound 12", "P=on", city});
    EXPECT_EQ(set.status, 0) << set.err;
    EXPECT_EQ(volumes(city), std::pair(90, 1));
    EXPECT_EQ(ReadSFX(dir / "city.sfx").Details[0].Flags, 0x6006);
    // A loudness: the sound heard at -9.03 LUFS takes volume 50; the one without its sample
    // keeps its volume, is named, and the run ends with 1.
    const TextRun loud = Text({"set", "volume=-9.03LUFS", city});
    EXPECT_EQ(loud.status, 1);
    EXPECT_EQ(volumes(city), std::pair(50, 1));
    EXPECT_NE(loud.err.find("KV3 Sound 4 - 46 keeps its volume: its sample was not found"),
              std::string::npos)
        << loud.err;
    EXPECT_EQ(Text({"loudness", city}).out,
              "-9.0\tKV5 Sound 12 - 45\tKV5 Sound 12.wav\n"
              "-\tKV3 Sound 4 - 46\tKV3 Sound 4.wav\tits sample was not found\n");
    // take: the level's sounds take city's volumes, matched by their first sample's name; a
    // table that is not there is said, and the others done.
    const TextRun took = Text({"take", city, "--fields", "volume", level, S(dir / "none.sfx")});
    EXPECT_EQ(took.status, 1);
    EXPECT_EQ(volumes(level), std::pair(50, 1));
    EXPECT_NE(took.err.find("none.sfx: failure 4"), std::string::npos) << took.err;
    EXPECT_EQ(ReadSFX(dir / "level.sfx").Details[0].Radius, 12);   // the range was not taken
    EXPECT_EQ(Text({"take", city, "--dry-run", level}).status, 0); // one table into one
    for (const std::vector<std::string>& refused :
         std::vector<std::vector<std::string>>{{"set", "volume=abc", city},
                                               {"set", "L=on", "R=on", city},
                                               {"set", "x=1", city},
                                               {"set", "volume=5"},
                                               {"take", city},
                                               {"take", city, "--fields", "size", level}}) {
        EXPECT_EQ(Text(refused).status, 2) << ::testing::PrintToString(refused);
    }
    EXPECT_EQ(volumes(city), std::pair(50, 1));
}
