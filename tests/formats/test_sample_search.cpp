// A sample's file: found beside the table or in the samples folder as Windows would find it,
// never outside them; and read as the player hands it on, or refused with why.
#include "formats/sample_search.h"
#include "formats/wave.h"
#include "tests/support/test_files.h"
#include "tools/wave_file.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

TEST(FindSampleFile, matchesEachPartWithoutRegardToCapitalsAndNeverLeavesTheFolders) {
    TempDir dir;
    const fs::path table = dir / "level", samples = dir / "samples";
    fs::create_directories(table / "Bells");
    fs::create_directories(samples / "dir.wav");
    for (const fs::path& file :
         {table / "KV5 Sound 12.wav", table / "Bells" / "Bell 2.WAV",
          table / fs::path(u8"\u00C4rger \u00A3.wav"), samples / "Zone only here.wav",
          samples / "KV5 Sound 12.wav", dir / "outside.wav"}) {
        WriteText(file, "RIFF");
    }
#if !defined(_WIN32)
    WriteText(table / "kv5 sound 12.wav", "RIFF"); // the one spelt exactly wins
#endif
    using S = SampleFile::Search;
    const struct {
        const char* name;
        S search;
        fs::path path;
    } cases[] = {
        {"KV5 Sound 12.wav", S::Found, table / "KV5 Sound 12.wav"},
        {"kV5 SOUND 12.wav", S::Found, table / "KV5 Sound 12.wav"},
        {"bells\\bell 2.wav", S::Found, table / "Bells" / "Bell 2.WAV"},
        {"./Bells//BELL 2.wav", S::Found, table / "Bells" / "Bell 2.WAV"},
        {"\xE4rger \xA3.WAV", S::Found, table / fs::path(u8"\u00C4rger \u00A3.wav")}, // Latin-1
        {"zONE only HERE.wav", S::Found, samples / "Zone only here.wav"},
        {"missing.wav", S::Missing, {}},
        {"dir.wav", S::Missing, {}},
        {"Bells", S::Missing, {}},
        {"", S::Missing, {}},
        {"..\\outside.wav", S::Refused, {}},
        {"Bells/../../outside.wav", S::Refused, {}},
        {"/etc/passwd", S::Refused, {}},
        {"\\outside.wav", S::Refused, {}},
        {"C:outside.wav", S::Refused, {}},
    };
    for (const auto& c : cases) {
        const SampleFile found = FindSampleFile(c.name, {table, samples});
        EXPECT_EQ(found.search, c.search) << c.name;
        EXPECT_EQ(found.path, c.path) << c.name;
    }
    const SampleFile nul = FindSampleFile(std::string_view("KV5\0x.wav", 9), {table});
    EXPECT_EQ(nul.search, S::Refused);
    EXPECT_EQ(nul.why, "its name holds a NUL byte, which no file name may");
    EXPECT_EQ(FindSampleFile("/x.wav", {table}).why,
              "the name leads out of the folders samples are looked for in");
#if !defined(_WIN32) // links: followed only as a save follows them
    fs::create_symlink("KV5 Sound 12.wav", table / "beside.wav");
    fs::create_symlink("../outside.wav", table / "out.wav");
    fs::create_directory_symlink("../samples", table / "elsewhere");
    EXPECT_EQ(FindSampleFile("BESIDE.wav", {table}).path, table / "beside.wav");
    for (const char* name : {"out.wav", "elsewhere/zone only here.wav"}) {
        const SampleFile out = FindSampleFile(name, {table, samples});
        EXPECT_EQ(out.search, S::Refused) << name;
        EXPECT_TRUE(out.why.ends_with(", outside the folder it was found in")) << out.why;
    }
    if (geteuid() == 0) { // another user's link in a folder everyone writes, as /tmp
        ASSERT_EQ(chmod(table.c_str(), 01777), 0);
        ASSERT_EQ(lchown((table / "beside.wav").c_str(), 65534, 65534), 0);
        EXPECT_EQ(FindSampleFile("beside.wav", {table}).search, S::Refused);
    }
#endif
}

TEST(ParsePcmWave, takesWhatALevelUsesAndSaysWhyOfAnythingElse) {
    const Bytes good = MakePcmWave(11025, 8, 2, 0.01, [](double) { return 0.5; });
    std::string problem;
    const std::optional<PcmWave> wave = ParsePcmWave(good, problem);
    ASSERT_TRUE(wave) << problem;
    EXPECT_EQ(wave->Rate, 11025);
    EXPECT_EQ(wave->Bits, 8);
    EXPECT_EQ(wave->Channels, 2);
    EXPECT_EQ(Bytes(wave->Samples.begin(), wave->Samples.begin() + 2), (Bytes{192, 192}));
    EXPECT_EQ(wave->Samples.size(), good.size() - 44);
    // Each a change of the good file: where, what, and why it is refused ("" where it is not).
    const struct {
        std::size_t at;
        Bytes put;
        const char* problem;
    } cases[] = {
        {0, {'R', 'I', 'F', 'X'}, "it is not a WAV file"},
        {8, {'W', 'A', 'V', 'F'}, "it is not a WAV file"},
        {20, {2, 0}, "it is compressed (format 2); Sondrel plays uncompressed (PCM) samples"},
        {22, {6, 0}, "it has 6 channels; Sondrel plays mono and stereo"},
        {34, {24, 0}, "it has 24-bit samples; Sondrel plays 8 and 16 bit"},
        {24, {0xE7, 3, 0, 0}, "its rate of 999 Hz is not one a sound system plays"},
        {24, {1, 0xEE, 2, 0}, "its rate of 192001 Hz is not one a sound system plays"},
        {24, {0xE8, 3, 0, 0}, ""},
        {16, {15, 0, 0, 0}, "its format is damaged"},
        {12, {'d', 'a', 't', 'a'}, "its sound comes before its format"},
        {36, {'j', 'u', 'n', 'k'}, "it holds no sound"},
        {40, {1, 0, 0, 0}, "it holds no sound"}, // less than one frame
        {40, {0xFF, 0xFF, 0xFF, 0xFF}, ""},      // cut short: what there is
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        std::copy(c.put.begin(), c.put.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        problem.clear();
        EXPECT_EQ(ParsePcmWave(bytes, problem).has_value(), *c.problem == '\0') << c.at;
        EXPECT_EQ(problem, c.problem) << c.at;
    }
    // Chunks before the format, one of odd length, are passed over; truncated files refused.
    Bytes chunked(good.begin(), good.begin() + 12);
    chunked.insert(chunked.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    chunked.insert(chunked.end(), good.begin() + 12, good.end());
    EXPECT_TRUE(ParsePcmWave(chunked, problem)) << problem;
    // The extensible form of the format names PCM further on.
    Bytes extensible = good;
    extensible[16] = 40;
    extensible[20] = 0xFE;
    extensible[21] = 0xFF;
    const Bytes more = {22, 0, 8,    0, 4,    0, 0, 0,    1, 0,    0,    0,
                        0,  0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extensible.insert(extensible.begin() + 36, more.begin(), more.end());
    EXPECT_TRUE(ParsePcmWave(extensible, problem)) << problem;
    for (const std::size_t size : {0, 11, 30, 44}) {
        EXPECT_FALSE(ParsePcmWave(std::span(good).first(size), problem)) << size;
    }
}
