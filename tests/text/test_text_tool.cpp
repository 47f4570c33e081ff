// sondrel-text on real files: what it writes, what it refuses and leaves as it was, and where
// it finds a sample list git did not hand over. The merge in a real repository is
// test_git.sh's.
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "tests/support/test_files.h"
#include "text/text_tool.h"

#include <gtest/gtest.h>

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

TEST(SondrelText, exportAndImportGiveBackBothFilesByteForByte) {
    TempDir dir;
    WritePair(dir / "city.sfx");
    const TextRun exported = Text({"export", S(dir / "city.sfx")});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_NE(exported.out.find("\ndetail 0: \"KV5 Sound 12 - 45\", range 12, volume 100,"),
              std::string::npos)
        << exported.out;
    WriteText(dir / "city.txt", exported.out);
    fs::create_directory(dir / "copy");
    const TextRun imported = Text({"import", S(dir / "city.txt"), S(dir / "copy" / "level.sfx")});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(ReadAll(dir / "copy" / "level.sfx"), ReadAll(dir / "city.sfx"));
    EXPECT_EQ(ReadAll(dir / "copy" / "level.sam"), ReadAll(dir / "city.sam"));
    EXPECT_EQ(Text({"export", S(dir / "copy" / "level.sfx")}).out, exported.out);
}

TEST(SondrelText, badTextOrACommandLineItDoesNotUnderstandWritesNothing) {
    TempDir dir;
    WritePair(dir / "city.sfx");
    const Bytes table = ReadAll(dir / "city.sfx");
    const Bytes list = ReadAll(dir / "city.sam");
    std::string text = Text({"export", S(dir / "city.sfx")}).out;
    text.replace(text.find("volume 100"), 10, "volume 20");
    WriteText(dir / "bad.txt", text);
    const TextRun refused = Text({"import", S(dir / "bad.txt"), S(dir / "city.sfx")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("bad.txt, line 9: the values do not say what the bytes store"),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("nothing was written"), std::string::npos);
    EXPECT_EQ(ReadAll(dir / "city.sfx"), table);
    EXPECT_EQ(ReadAll(dir / "city.sam"), list);

    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {}, {"export"}, {"import", "a"}, {"merge", "a", "b"}, {"frobnicate", "a"}}) {
        const TextRun run = Text(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: sondrel-text export"), std::string::npos);
    }
    EXPECT_EQ(Text({"--help"}).status, 0);
    EXPECT_EQ(Text({"export", S(dir / "none.sfx")}).status, 1);
    EXPECT_FALSE(fs::exists(dir / "none.sfx")); // a viewer creates nothing
}

TEST(SondrelText, aTableGitHandsOverAloneFindsItsSampleListBelowTheCurrentFolder) {
    TempDir dir;
    fs::create_directories(dir / "levels" / "city");
    WritePair(dir / "levels" / "city" / "city.sfx");
    fs::create_directory(dir / "git-blob");
    fs::copy_file(dir / "levels" / "city" / "city.sfx", dir / "git-blob" / "city.sfx");
    const fs::path before = fs::current_path();
    fs::current_path(dir.path());
    const TextRun alone = Text({"export", S(dir / "git-blob" / "city.sfx")});
    WriteText(dir / "levels" / "city.sam", "another"); // now two of that name
    const TextRun ambiguous = Text({"export", S(dir / "git-blob" / "city.sfx")});
    fs::current_path(before);
    EXPECT_NE(alone.out.find("\"KV5 Sound 12 - 45\""), std::string::npos) << alone.out;
    EXPECT_NE(alone.out.find("\nsample list\n"), std::string::npos);
    EXPECT_EQ(ambiguous.out.find("\nsample list\n"), std::string::npos) << ambiguous.out;
    EXPECT_NE(ambiguous.out.find("\ndetail 0: range 12,"), std::string::npos);
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
        {{"list", "--objects", objects, city},
         0,
         series + native + last + "details 4, samples 4, listed 3\n" + unused,
         ""},
        {{"list", "--objects", S(dir / "none.dat"), city}, 1, "", "no object name database"},
        {{"list", S(dir / "none.sfx")}, 1, "", "failure 4: there is no sound table"},
        {{"list"}, 2, "", "usage: sondrel-text"},
        {{"list", "--raw", city}, 2, "", "usage: sondrel-text"},
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
    EXPECT_NE(err.str().find("could not be written out"), std::string::npos);
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
