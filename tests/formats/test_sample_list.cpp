#include "formats/sample_list.h"
#include "formats/table_pair.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;
using Names = std::vector<std::string>;

namespace {

Names Parse(std::string_view text, std::int32_t count) {
    const SampleNames names = ParseSampleNames(std::string(text), count, "test.sam");
    Names read;
    for (std::size_t k = 0; k < names.size(); ++k) {
        read.emplace_back(names[k]);
    }
    return read;
}

std::string ParseFailure(std::string_view text, std::int32_t count) {
    return FailureNumberOf([&] { Parse(text, count); });
}

} // namespace

TEST(SampleListPath, replacesAThreeCharacterExtensionOrAddsOneBesideTheTable) {
    const std::pair<std::u8string, std::u8string> cases[] = {
        {u8"C:\\levels\\city.sfx", u8"C:\\levels\\city.sam"},
        {u8"/x/.sfx", u8"/x/.sam"},
        {u8"C:\\x\\sounds", u8"C:\\x\\sounds.sam"}, // no extension: one is added
        {u8"lvl/ab", u8"lvl/ab.sam"},               // not "lvlsam" in the folder above
        {u8"/x/a.sf", u8"/x/a.sf.sam"},
        {u8"/x/a.b/cd", u8"/x/a.b/cd.sam"},      // a dot in a folder's name is no extension
        {u8"/x/city.sf\u00E9", u8"/x/city.sam"}, // a last character beyond ASCII
        {u8"/x/\u266A.sfx", u8"/x/\u266A.sam"},  // beyond ASCII before the extension
    };
    // Compared as plain strings: Debian's GoogleTest cannot print UTF-8 strings.
    auto text = [](const std::u8string& utf8) { return std::string(utf8.begin(), utf8.end()); };
    for (const auto& [table, list] : cases) {
        EXPECT_EQ(text(SampleListPath(fs::path(table)).u8string()), text(list)) << text(table);
    }
}

TEST(SampleListGrammar, readsTheNamesItShould) {
    const std::tuple<std::string, std::int32_t, Names> cases[] = {
        {"a.wav\r\nb.wav\r\n", 2, {"a.wav", "b.wav"}},
        {"a\r\nb\r\nc\r\nd\r\n", 3, {"a", "b", "c"}}, // extra lines are not read
        {"a.wav,b.wav\r\nc.wav\r\n", 3, {"a.wav", "b.wav", "c.wav"}},
        {"   KV5 Sound 1.wav  \r\n", 1, {"KV5 Sound 1.wav  "}}, // leading spaces are skipped
        {"\ta\r\n", 1, {"\ta"}},                                // tabs are not spaces
        {"\"a,b.wav\"\r\nc\r\n", 2, {"a,b.wav", "c"}},          // quotes hold commas
        {"\"a\"junk,b\r\n", 2, {"a", "b"}},  // text after the closing quote is passed over
        {"\"a,b\r\nc\r\n", 2, {"a,b", "c"}}, // an open quote runs to the line end
        {"a\"b\r\n", 1, {"a\"b"}},           // a quote inside a name is kept
        {"\r\n\r\nx\r\n", 3, {"", "", "x"}}, // empty lines are empty names
        {"\nb\n", 2, {"", "b"}},             // the first line too, however it ends
        {"\rb", 2, {"", "b"}},
        {"a,\r\nb\r\n", 3, {"a", "", "b"}}, // a trailing comma ends with an empty name
        {"a\nb\n", 2, {"a", "b"}},          // LF alone ends a line
        {"a\rb\r", 2, {"a", "b"}},          // CR alone too
        {"a\rb\nc", 3, {"a", "b", "c"}},    // a LF after a CR and a name is a line end
        {"a\r\r\nb", 3, {"a", "", "b"}},    // CR CR LF is two line ends
        {"a" + std::string(100000, ',') + "\r\nb", 3, {"a", "", ""}}, // a long line of names
        {std::string("\xE9t\xE9\0.wav\r\n", 10), 1, {std::string("\xE9t\xE9\0.wav", 8)}},
        {"\xEF\xBB\xBF\r\nb\r\n", 2, {"", "b"}},           // a byte-order mark is no name
        {"\357\273a\r\nb\r\n", 2, {"\357\273a", "b"}},     // half a mark is
        {"a\xEF\xBB\xBF\r\nb", 2, {"a\xEF\xBB\xBF", "b"}}, // and one after the start
    };
    for (const auto& [text, count, names] : cases) {
        EXPECT_EQ(Parse(text, count), names) << text.substr(0, 20);
        EXPECT_EQ(ParseSampleNames(text, count, "t").byteOrderMark(),
                  text.starts_with(kByteOrderMark))
            << text.substr(0, 20);
    }
}

TEST(SampleListGrammar, keepsWhatFollowsTheNamesFromTheByteAfterTheLastOnesEnd) {
    const std::tuple<std::string, std::int32_t, std::string> cases[] = {
        {"a\r\nb\r\n", 2, ""},          {"a\r\nb\r\nspare\r\n\r\nnote", 2, "spare\r\n\r\nnote"},
        {"a\nb\rc", 1, "b\rc"},         {"a\r\rb", 1, "\rb"},
        {"\"a\"x, b\r\n", 1, " b\r\n"}, // what follows a quote belongs to its name
        {"\"a\"x\r\nb", 1, "b"},        {"\357\273\277a\r\n\357\273\277", 1, "\357\273\277"},
    };
    for (const auto& [text, count, rest] : cases) {
        const SampleNames names = ParseSampleNames(text, count, "test.sam");
        EXPECT_EQ(names.rest(), rest) << ::testing::PrintToString(text);
        // Written back after the names, it reads as it was: the names, the mark, the rest.
        EXPECT_EQ(ParseSampleNames(SerializeSampleNames(names, count), count, "t"), names);
    }
}

TEST(SampleListGrammar, failsWhenTheListIsShortOrDamagedOrTheCountIsNotPositive) {
    const std::string longest(kMaxSampleNameBytes, 'n');
    EXPECT_EQ(Parse(longest + "\r\n\"" + longest + "\"", 2), (Names{longest, longest}));
    const std::tuple<std::string, std::int32_t, const char*> cases[] = {
        {"a\r\nb\r\n", 3, "failure 12"},
        {"", 1, "failure 12"},
        {"a\r\n", 0, "failure 10"},
        {std::string(kMaxSampleLineBytes + 1, 'x'), 1, "failure 13"},
        {std::string(kMaxSampleLineBytes, 'x'), 1, "failure 14"},
        {longest + "n\r\n", 2, "failure 14"},
        {"a\r\n\"" + longest + "n\"\r\n", 2, "failure 14"}};
    for (const auto& [text, count, failure] : cases) {
        EXPECT_EQ(ParseFailure(text, count), failure) << text.substr(0, 20) << " " << count;
    }
    EXPECT_EQ(FailureOf([] { ParseSampleNames("a\r\nb\r\n", 40, "/x/city.sam"); }),
              "failure 12: the sample list /x/city.sam has 2 names, the table needs 40");
    EXPECT_TRUE(FailureOf([&] {
                    Parse("a\r\n" + longest + "n", 2);
                }).starts_with("failure 14: line 2 of the sample list test.sam holds a name"));
}

TEST(SampleListWrite, everyNameTheReaderProducesReadsBackTheSameFromCrLfLines) {
    EXPECT_EQ(SerializeSampleNames({"a.wav", "", "b.wav", "c.wav"}, 3), "a.wav\r\n\r\nb.wav\r\n");
    const SampleNames marked = ParseSampleNames("\xEF\xBB\xBF\"a,b\"\r\nc\r\nd\ne", 2, "t");
    EXPECT_EQ(SerializeSampleNames(marked, 2), "\xEF\xBB\xBF\"a,b\"\r\nc\r\nd\ne");
    // A first name that begins with a mark's bytes, with no mark before it, stays a name.
    const SampleNames marksBytes = ParseSampleNames(" \357\273\277a\"", 1, "t");
    EXPECT_EQ(ParseSampleNames(SerializeSampleNames(marksBytes, 1), 1, "t"), marksBytes);
    EXPECT_NE(SampleNames({"x.wav", "b.wav"}), SampleNames({"a.wav", "b.wav"}));
    // "\"quoted" cannot come from the reader (a leading quote always opens a field).
    using namespace std::string_literals; // for the NUL inside a name
    const Names names = {"plain.wav", "a,b.wav",  " leading.wav", "trailing  ",
                         "",          "in\"side", "nul\0byte"s,   "\xE9\xFF",
                         ",",         " ",        "  ,  "};
    const auto count = static_cast<std::int32_t>(names.size());
    EXPECT_EQ(Parse(SerializeSampleNames(SampleNames(names), count), count), names);

    TempDir dir;
    const fs::path unicode = dir.path() / u8"st\u00E4dt \u266A.sam"; // beyond the code page
    WriteSampleNames(unicode, SampleNames(names), count);
    EXPECT_EQ(ReadSampleNames(unicode, count), SampleNames(names));
    // A list that cannot be read, or larger than any Sondrel writes, is refused unread.
    EXPECT_EQ(FailureOf([&] { ReadSampleNames(dir / "city.sam", 2); }),
              "failure 11: the sample list " + DisplayPath(dir / "city.sam") +
                  " is missing or cannot be opened");
    fs::resize_file(unicode, kMaxSampleListFileBytes + 1);
    EXPECT_EQ(FailureNumberOf([&] { ReadSampleNames(unicode, 1); }), "failure 15");
    EXPECT_EQ(dir.entries().size(), 1u);
}

#if !defined(_WIN32) // stopping a save half way by ending its process
TEST(TableAndSampleList, aSaveStoppedAnywhereLeavesAPairThatOpens) {
    TempDir dir;
    const fs::path table = dir / "city.sfx";
    const SampleNames names = {"KV5 Sound 1.wav", "b.wav"};
    SoundTable edited = TableOf({{0, 0}}, {SoundDetail{}}, 2);
    const Bytes oldTable = SerializeSFX(edited);
    edited.Details[0].Volume = 8;
    // The old list holds the same names in another form, so that its bytes tell it apart.
    const std::string oldList = "KV5 Sound 1.wav\nb.wav\n";
    const SaveStep steps[] = {SaveStep::FirstWritten, SaveStep::BothWritten,
                              SaveStep::OldSecondKept, SaveStep::SecondReplaced, SaveStep::Done};
    for (const SaveStep stop : steps) {
        WriteAll(table, oldTable);
        WriteText(dir / "city.sam", oldList);
        const pid_t child = fork();
        if (child == 0) {
            WriteTableAndSampleList(table, edited, names, [stop](SaveStep reached) {
                if (reached == stop) {
                    _exit(0); // as a kill would: nothing is cleaned up
                }
            });
            _exit(1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

        const int at = static_cast<int>(stop);
        EXPECT_EQ(ReadAll(table), stop == SaveStep::Done ? SerializeSFX(edited) : oldTable) << at;
        EXPECT_EQ(ReadText(dir / "city.sam"),
                  stop >= SaveStep::SecondReplaced ? SerializeSampleNames(names, 2) : oldList)
            << at;
        EXPECT_EQ(ReadSampleNames(dir / "city.sam", ReadSFX(table).NumSamples), names) << at;

        // The next save removes whatever the stopped one left, and goes through.
        WriteTableAndSampleList(table, edited, names);
        EXPECT_EQ(dir.entries(), (Names{"city.sam", "city.sfx"})) << at;
        EXPECT_EQ(ReadSFX(table), edited);
    }
}
#endif

TEST(TableAndSampleList, aFileChangedOrInTheWayDuringTheSaveLeavesBothFilesAsTheyAre) {
    // Before the first replacement another program changes the sample list or the table, or,
    // between the two, a folder takes the table's place: the save stops before replacing
    // that file, and the sample list's old file is put back where it was replaced already.
    struct Case {
        SaveStep when;
        bool list; // the sample list is changed, else the table
        bool folder;
        const char* failure;
    };
    const Case cases[] = {
        {SaveStep::BothWritten, true, false, "failure 3: Another program changed "},
        {SaveStep::OldSecondKept, true, false, "failure 3: Another program changed "},
        {SaveStep::OldSecondKept, false, false,
         "failure 2: WriteSFX -> Can't write SFX\n\nAnother"},
        {SaveStep::SecondReplaced, false, true, "failure 2: "},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const fs::path table = dir / "city.sfx";
        const Bytes oldTable = SerializeSFX(TableOf({}, {}, 1));
        WriteAll(table, oldTable);
        WriteText(dir / "city.sam", "old.wav\n");
        const StampsWhenDecided decided{StampFile(table), StampFile(dir / "city.sam")};
        const fs::path changed = c.list ? dir / "city.sam" : table;
        const Bytes theirs = {'t', 'h', 'e', 'i', 'r', 's'};
        const std::string reported = FailureOf([&] {
            WriteTableAndSampleList(
                table, TableOf({}, {}, 2), {"a.wav", "b.wav"},
                [&](SaveStep reached) {
                    if (reached != c.when) {
                        return;
                    }
                    if (c.folder) {
                        fs::remove(table);
                        fs::create_directories(table / "in the way");
                    } else {
                        WriteAll(changed, theirs);
                    }
                },
                &decided);
        });
        EXPECT_TRUE(reported.starts_with(c.failure)) << reported;
        EXPECT_EQ(ReadText(dir / "city.sam"), c.list ? "theirs" : "old.wav\n") << reported;
        if (!c.folder) {
            EXPECT_EQ(ReadAll(table), c.list ? oldTable : theirs);
        }
        EXPECT_EQ(dir.entries(), (Names{"city.sam", "city.sfx"}));
    }
}

TEST(TableAndSampleList, aLongNameSavesAndTheListKeepsItsMarkAndTheLinesAfterItsNames) {
    TempDir dir;
    const fs::path table = dir / (std::string(251, 't') + ".sfx"); // 255 bytes
    const std::string list = std::string(kByteOrderMark) + "a.wav\r\nspare.wav\r\nnote\n,";
    const SampleNames names = ParseSampleNames(list, 1, "t");
    WriteTableAndSampleList(table, TableOf({}, {}, 1), names);
    EXPECT_EQ(ReadText(SampleListPath(table)), list);
    EXPECT_EQ(ReadSampleNames(SampleListPath(table), 1), names);
}
