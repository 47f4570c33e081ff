// A sample's file: found beside the table or in the samples folder as Windows would find it,
// never outside them.
#include "formats/sample_search.h"
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
