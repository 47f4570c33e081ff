#include "formats/sample_names.h"
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
    return ParseSampleNames(text, count, "test.sam");
}

FailureCode ParseFailure(std::string_view text, std::int32_t count) {
    try {
        Parse(text, count);
    } catch (const Failure& failure) {
        return failure.code();
    }
    ADD_FAILURE() << "no failure for count " << count;
    return FailureCode::TableRead;
}

} // namespace

TEST(SampleListPath, dropsTheLastThreeCharactersWhateverTheyAre) {
    const std::pair<std::u8string, std::u8string> cases[] = {
        {u8"C:\\levels\\city.sfx", u8"C:\\levels\\city.sam"},
        {u8"CITY.SFX", u8"CITY.sam"},
        {u8"/x/level.SFX", u8"/x/level.sam"},
        {u8"C:\\x\\sounds", u8"C:\\x\\sousam"},
        {u8"/x/city.sf\u00E9", u8"/x/city.sam"},        // a last character beyond ASCII
        {u8"/x/\u266A.sfx", u8"/x/\u266A.sam"},         // beyond ASCII before the extension
        {u8"/x/\U0001F3B5.sfx", u8"/x/\U0001F3B5.sam"}, // beyond 16 bits, too
        {u8"/x/a.s\U0001F3B5x", u8"/x/a.sam"},
    };
    // Compared as plain strings: Debian's GoogleTest cannot print UTF-8 strings.
    auto text = [](const std::u8string& utf8) { return std::string(utf8.begin(), utf8.end()); };
    for (const auto& [table, list] : cases) {
        EXPECT_EQ(text(SampleListPath(fs::path(table)).u8string()), text(list)) << text(table);
    }
}

struct GrammarCase {
    const char* what;
    std::string text;
    std::int32_t count;
    Names names;
};

class SampleListGrammar : public ::testing::TestWithParam<GrammarCase> {};

TEST_P(SampleListGrammar, readsTheNamesItShould) {
    const GrammarCase& c = GetParam();
    EXPECT_EQ(Parse(c.text, c.count), c.names);
}

INSTANTIATE_TEST_SUITE_P(
    Fields, SampleListGrammar,
    ::testing::Values(
        GrammarCase{"one name per CR LF line", "a.wav\r\nb.wav\r\n", 2, {"a.wav", "b.wav"}},
        GrammarCase{"extra lines are not read", "a\r\nb\r\nc\r\nd\r\n", 3, {"a", "b", "c"}},
        GrammarCase{"a comma separates two names",
                    "a.wav,b.wav\r\nc.wav\r\n",
                    3,
                    {"a.wav", "b.wav", "c.wav"}},
        GrammarCase{"leading spaces are skipped", "   KV5 Sound 1.wav\r\n", 1, {"KV5 Sound 1.wav"}},
        GrammarCase{"trailing spaces are kept", "a.wav  \r\n", 1, {"a.wav  "}},
        GrammarCase{"tabs are not spaces", "\ta\r\n", 1, {"\ta"}},
        GrammarCase{"quotes hold commas", "\"a,b.wav\"\r\nc\r\n", 2, {"a,b.wav", "c"}},
        GrammarCase{"spaces before a quote", "  \" x \"\r\n", 1, {" x "}},
        GrammarCase{"text after the closing quote", "\"a\"junk,b\r\n", 2, {"a", "b"}},
        GrammarCase{"an open quote runs to the line end", "\"a,b\r\nc\r\n", 2, {"a,b", "c"}},
        GrammarCase{"a quote inside a name is kept", "a\"b\r\n", 1, {"a\"b"}},
        GrammarCase{"empty lines are empty names", "\r\n\r\nx\r\n", 3, {"", "", "x"}},
        GrammarCase{"a trailing comma ends with an empty name", "a,\r\nb\r\n", 3, {"a", "", "b"}},
        GrammarCase{"LF alone ends a line", "a\nb\n", 2, {"a", "b"}},
        GrammarCase{"CR alone ends a line", "a\rb\r", 2, {"a", "b"}},
        GrammarCase{"CR CR LF is two line ends", "a\r\r\nb", 3, {"a", "", "b"}},
        GrammarCase{"the last line needs no line end", "a\r\nb", 2, {"a", "b"}},
        GrammarCase{"a line longer than any name, of short names",
                    "a" + std::string(100000, ',') + "\r\nb",
                    3,
                    {"a", "", ""}},
        GrammarCase{"bytes are kept as they are",
                    std::string("\xE9t\xE9\0.wav\r\n", 10),
                    1,
                    {std::string("\xE9t\xE9\0.wav", 8)}}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& c : name) {
            c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(SampleListGrammar, failsWhenTheListIsShortOrTheCountIsNotPositive) {
    EXPECT_EQ(ParseFailure("a\r\nb\r\n", 3), FailureCode::SampleListShort);
    EXPECT_EQ(ParseFailure("", 1), FailureCode::SampleListShort);
    EXPECT_EQ(ParseFailure("a,", 3), FailureCode::SampleListShort);
    EXPECT_EQ(ParseFailure("a\r\n", 0), FailureCode::NoSamples);
    EXPECT_EQ(ParseFailure("a\r\n", -1), FailureCode::NoSamples);
    EXPECT_EQ(ParseFailure(std::string(kMaxSampleLineBytes + 1, 'x'), 1),
              FailureCode::SampleListLineTooLong);
}

TEST(SampleListGrammar, shortListNamesTheFileAndBothCounts) {
    try {
        ParseSampleNames("a\r\nb\r\n", 40, "/x/city.sam");
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_STREQ(failure.what(), "the sample list /x/city.sam has 2 names, the table needs 40");
    }
}

// The names read, or the number of the failure met instead.
template <class Read> std::string Outcome(Read read) {
    try {
        std::string joined;
        for (const std::string& name : read()) {
            joined += "[" + name + "]";
        }
        return joined;
    } catch (const Failure& failure) {
        return "failure " + std::to_string(failure.number());
    }
}

TEST(SampleListFile, readsWhatTheWholeTextGivesWhereverItsPiecesEnd) {
    // Every kind of line end across the file reader's pieces, also as the file's last bytes:
    // a CR as the last byte of a piece with its LF as the file's last byte once gave one name
    // too many.
    TempDir dir;
    const std::string tails[] = {"\r\n", "\r",      "\n",    "\r\r\n",  "\n\r",
                                 ",",    "\"q,\"x", "\r\nb", "\rb\r\n", "\r\n\r\n"};
    for (const std::size_t boundary : {kSampleListPieceBytes, 2 * kSampleListPieceBytes}) {
        for (std::size_t before = 0; before <= 3; ++before) {
            for (const std::string& tail : tails) {
                const std::string text = "a\r\n" + std::string(boundary - before - 3, 'n') + tail;
                WriteText(dir / "x.sam", text);
                for (const std::int32_t count : {1, 2, 3, 4}) {
                    EXPECT_EQ(Outcome([&] { return ReadSampleNames(dir / "x.sam", count); }),
                              Outcome([&] { return Parse(text, count); }))
                        << "boundary " << boundary << " less " << before << " tail "
                        << ::testing::PrintToString(tail) << " count " << count;
                }
            }
        }
    }
}

TEST(SampleListReader, givesTheSameNamesHoweverTheTextIsSplit) {
    const std::string texts[] = {"a,\"b,c\"x , d\r\n\r\n  e\rf\n\"g\r\nh,", "\r\n\r\r\n\n\n\r",
                                 "x"};
    for (const std::string& text : texts) {
        for (const std::int32_t count : {1, 4, 8, 9}) {
            const std::string whole = Outcome([&] { return Parse(text, count); });
            for (std::size_t split = 0; split <= text.size(); ++split) {
                for (std::size_t second = split; second <= text.size(); ++second) {
                    EXPECT_EQ(Outcome([&] {
                                  SampleListReader reader(count, "test.sam");
                                  const std::string_view view(text);
                                  reader.feed(view.substr(0, split));
                                  reader.feed(view.substr(split, second - split));
                                  reader.feed(view.substr(second));
                                  return reader.finish();
                              }),
                              whole)
                        << ::testing::PrintToString(text) << " split at " << split << " and "
                        << second << " count " << count;
                }
            }
        }
    }
}

TEST(SampleListFile, missingListFailsNamingIt) {
    TempDir dir;
    try {
        ReadSampleNames(dir / "city.sam", 2);
        FAIL();
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.code(), FailureCode::SampleListOpen);
        EXPECT_NE(std::string(failure.what()).find("city.sam"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(dir / "city.sam"));
}

TEST(SampleListWrite, writesOneLinePerNameWithCrLf) {
    EXPECT_EQ(SerializeSampleNames({"a.wav", "", "KV5 Sound 7 .wav"}, 3),
              "a.wav\r\n\r\nKV5 Sound 7 .wav\r\n");
    EXPECT_EQ(SerializeSampleNames({"a.wav", "b.wav", "c.wav", "d.wav"}, 3),
              "a.wav\r\nb.wav\r\nc.wav\r\n");
}

TEST(SampleListWrite, everyNameTheReaderProducesReadsBackTheSame) {
    const Names names = {"plain.wav",
                         "a,b.wav",
                         " leading.wav",
                         "\"quoted",
                         "trailing  ",
                         "",
                         "in\"side",
                         std::string("nul\0byte", 8),
                         "\xE9\xFF",
                         ",",
                         " ",
                         "  ,  "};
    const Names read = Parse(SerializeSampleNames(names, static_cast<std::int32_t>(names.size())),
                             static_cast<std::int32_t>(names.size()));
    // "\"quoted" cannot come from the reader (a leading quote always opens a field); the rest
    // must survive exactly.
    for (std::size_t k = 0; k < names.size(); ++k) {
        if (k != 3) {
            EXPECT_EQ(read[k], names[k]) << k;
        }
    }
}

TEST(SampleListWrite, fileRoundTripsAndFailureLeavesTheOldList) {
    TempDir dir;
    const Names names = {"a.wav", "b,c.wav"};
    WriteSampleNames(dir / "x.sam", names, 2);
    EXPECT_EQ(ReadText(dir / "x.sam"),
              "a.wav\r\n\"b,c.wav\"\r\n"); // CR LF as it is, on every platform
    EXPECT_EQ(ReadSampleNames(dir / "x.sam", 2), names);
    fs::create_directory(dir / "folder.sam");
    EXPECT_THROW(WriteSampleNames(dir / "folder.sam", names, 2), Failure);
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder.sam", "x.sam"}));

    const fs::path unicode = dir.path() / u8"st\u00E4dt \u266A.sam"; // a name beyond the code page
    WriteSampleNames(unicode, names, 2);
    EXPECT_EQ(ReadSampleNames(unicode, 2), names);
}

TEST(SeriesPrefix, looksAtExactlyTheFirstNineCharacters) {
    const std::pair<const char*, bool> cases[] = {
        {"KV1 Sound 1.wav", true},    {"KV2 Sound", true},
        {"KV3 Soundtrack.wav", true}, {"KV5 Sound 9", true},
        {"KV4 Sound 1.wav", false},   {"kv5 sound 1.wav", false},
        {"KV5 Soun", false},          {"", false},
        {" KV5 Sound 1", false},
    };
    for (const auto& [name, series] : cases) {
        EXPECT_EQ(HasSeriesPrefix(name), series) << name;
    }
}

TEST(ExtractSampleNumber, followsEveryRuleOfTheNameGrammar) {
    const std::pair<std::string, std::optional<std::int32_t>> cases[] = {
        {"KV5 Sound 123.wav", 123},
        {"KV3 Sound 45-bell.wav", 45},
        {"KV1 Sound 007.wav", 7},
        {"KV5 Sound 7 .wav", 7},
        {"KV5 Sound  7 .wav", 7},
        {"KV2 Sound ab.wav", std::nullopt},
        {"KV5 Sound.wav", std::nullopt},     // 13 characters: too short
        {"KV5 Sound .wav", std::nullopt},    // 14 characters: the empty text
        {"KV5 Sound 1.wav", 1},              // 15 characters
        {"KV5 Sound-12.wav", std::nullopt},  // "-" before position 11
        {"KV5 Sound -12.wav", std::nullopt}, // "-" at position 11: the empty text
        {"KV5 Sound 12a.wav", std::nullopt}, // trailing letters
        {"KV5 Sound 12.7.wav", 12},          // rounded down
        {"KV5 Sound +3.wav", 3},
        {"KV5 Sound 1E2.wav", 100},
        {"KV5 Sound .5.wav", 0},
        {"KV5 Sound 5..wav", 5},    // "5." is a number
        {"KV5 Sound 1-2-3.wav", 1}, // the first "-" counts
        {"Door creak 31.wav", 31},  // native names have numbers too
        {"KV5 Sound 2147483647.wav", 2147483647},
        {"KV5 Sound 2147483648.wav", std::nullopt},
        {"KV5 Sound 99999999999999999999.wav", std::nullopt},
        {"KV5 Sound 1E999999999999.wav", std::nullopt},
        {"KV5 Sound 0000000000000000000000000000042.wav", 42},
        {"KV5 Sound 12,5.wav", std::nullopt}, // "." is the decimal point
        {"KV5 Sound \t12.wav", std::nullopt}, // spaces only, not tabs
    };
    for (const auto& [name, number] : cases) {
        EXPECT_EQ(ExtractSampleNumber(name), number) << name;
    }
}

TEST(SampleListByteOrderMark, isKeptApartFromTheFirstNameAndWrittenBack) {
    const std::pair<std::string, Names> cases[] = {
        {"\xEF\xBB\xBF"
         "a\r\nb\r\n",
         {"a", "b"}},
        {"\xEF\xBB\xBF"
         "\r\nb\r\n",
         {"", "b"}},
        {"\xEF\xBB"
         "a\r\nb\r\n",
         {"\xEF\xBB"
          "a",
          "b"}},                                        // not a whole mark: part of the name
        {"a\xEF\xBB\xBF\r\nb", {"a\xEF\xBB\xBF", "b"}}, // only at the very start
    };
    for (const auto& [text, names] : cases) {
        bool mark = false;
        EXPECT_EQ(ParseSampleNames(text, 2, "test.sam", &mark), names);
        EXPECT_EQ(mark, text.rfind(kByteOrderMark, 0) == 0);
        EXPECT_EQ(SerializeSampleNames(names, 2, mark).rfind(kByteOrderMark, 0) == 0, mark);
    }
    EXPECT_EQ(ParseFailure("\xEF\xBB", 2), FailureCode::SampleListShort);
}

TEST(SampleListGrammar, namesLongerThanAnyFileNameAreDamage) {
    const std::string longest(kMaxSampleNameBytes, 'n');
    EXPECT_EQ(Parse(longest + "\r\n\"" + longest + "\"", 2), (Names{longest, longest}));
    for (const std::string& text : {longest + "n\r\n", "a\r\n\"" + longest + "n\"\r\n"}) {
        EXPECT_EQ(ParseFailure(text, 2), FailureCode::SampleNameTooLong);
    }
    // Many short names on one line are no damage, nor one after the last that is read.
    EXPECT_EQ(Parse("a," + std::string(100000, ',') + "\r\n" + longest + "n", 3),
              (Names{"a", "", ""}));
}

#if !defined(_WIN32) // stopping a save half way by ending its process
TEST(TableAndSampleList, aSaveStoppedAnywhereLeavesAPairThatOpens) {
    TempDir dir;
    const fs::path table = dir / "city.sfx";
    const Names names = {"KV5 Sound 1.wav", "b.wav"};
    SoundTable old = TableOf({{0, 0}}, {SoundDetail{}}, 2);
    SoundTable edited = old;
    edited.Details[0].Volume = 8;
    // The old list holds the same names in another form, so that its bytes tell it apart.
    const std::string oldList = "KV5 Sound 1.wav\nb.wav\n";
    const Bytes oldTable = SerializeSFX(old);
    const Bytes newTable = SerializeSFX(edited);
    const std::string newList = SerializeSampleNames(names, 2);

    const SaveStep steps[] = {SaveStep::FirstWritten, SaveStep::BothWritten,
                              SaveStep::OldSecondKept, SaveStep::SecondReplaced, SaveStep::Done};
    for (const SaveStep stop : steps) {
        WriteAll(table, oldTable);
        WriteText(dir / "city.sam", oldList);
        const pid_t child = fork();
        if (child == 0) {
            WriteTableAndSampleList(table, edited, names, false, [stop](SaveStep reached) {
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
        const bool listReplaced = stop >= SaveStep::SecondReplaced;
        EXPECT_EQ(ReadAll(table), stop == SaveStep::Done ? newTable : oldTable) << at;
        EXPECT_EQ(ReadText(dir / "city.sam"), listReplaced ? newList : oldList) << at;
        EXPECT_EQ(ReadSampleNames(dir / "city.sam", ReadSFX(table).NumSamples), names) << at;

        // The next save removes whatever the stopped one left, and goes through.
        WriteTableAndSampleList(table, edited, names, false);
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"city.sam", "city.sfx"})) << at;
        EXPECT_EQ(ReadAll(table), newTable);
    }
}
#endif

TEST(TableAndSampleList, aTableThatCannotBeReplacedPutsTheOldListBack) {
    TempDir dir;
    const fs::path table = dir / "city.sfx";
    const Names names = {"a.wav"};
    WriteAll(table, SerializeSFX(TableOf({}, {}, 1)));
    WriteText(dir / "city.sam", "old.wav\n");
    try {
        WriteTableAndSampleList(table, TableOf({}, {}, 1), names, false, [&](SaveStep reached) {
            if (reached == SaveStep::SecondReplaced) {
                // Something takes the table's place: a folder that cannot be replaced.
                fs::remove(table);
                fs::create_directories(table / "in the way");
            }
        });
        ADD_FAILURE() << "saved over a folder";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.code(), FailureCode::TableWrite);
    }
    EXPECT_EQ(ReadText(dir / "city.sam"), "old.wav\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"city.sam", "city.sfx"}));
}

TEST(TableAndSampleList, aLongNameSavesAndTheListKeepsItsByteOrderMark) {
    TempDir dir;
    const fs::path table = dir / (std::string(251, 't') + ".sfx"); // 255 bytes
    WriteTableAndSampleList(table, TableOf({}, {}, 1), {"a.wav"}, true);
    EXPECT_EQ(ReadText(SampleListPath(table)), std::string(kByteOrderMark) + "a.wav\r\n");
    bool mark = false;
    EXPECT_EQ(ReadSampleNames(SampleListPath(table), 1, &mark), Names{"a.wav"});
    EXPECT_TRUE(mark);
}
