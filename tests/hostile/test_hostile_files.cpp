// What the largest tables cost in memory, and what running out of it gives: the files go
// through the same readers, in the same order, as the editor's start-up, by way of
// sondrel-dump, which prints the list or the failure. (What each damaged file gives is tested
// with its reader, in tests/formats/.)
#include "dump/dump.h"
#include "formats/object_names.h"
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "tests/support/allocation_tracker.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMemoryBound = 300u << 20;

struct Seen {
    int status = 0;
    std::string list;
    std::string failure;
    std::size_t peakBytes = 0;
};

// Two series sounds on slots 45 and 46, a native one on slot 3, one no slot uses.
SoundTable GoodTable() {
    return TableOf(
        {{45, 0}, {46, 1}, {3, 2}},
        {{.Sample = 0, .Volume = 250, .Radius = 12, .Chance = 10, .Pitch = 126, .Flags = 0x4004},
         {.Sample = 1, .Volume = 4, .Radius = 31, .Chance = 0, .Pitch = 63, .Flags = 0x2008},
         {.Sample = 2, .Volume = 8, .Radius = 3, .Chance = 2, .Pitch = 5, .Flags = 0x0005},
         {.Sample = 0, .Volume = 0, .Radius = 0, .Chance = 0, .Pitch = 0, .Flags = 0x0004}},
        3);
}
const std::string kGoodList = "KV5 Sound 12.wav\r\nKV3 Sound 4-bell.wav\r\nDoor.wav\r\n";

class HostileFiles : public ::testing::Test {
protected:
    // What the designer sees for a table and sample list, answering Yes to the question.
    Seen open(const Bytes& table, const std::string& list) {
        WriteAll(dir / "t.sfx", table);
        WriteText(dir / "t.sam", list);
        WriteAll(dir / "objects.dat", ObjectDatabase{}.bytes());
        std::ostringstream out;
        std::ostringstream err;
        ResetPeak();
        const std::size_t before = LiveBytes();
        Seen seen;
        seen.status = RunDump(
            {"--objects", (dir / "objects.dat").string(), (dir / "t.sfx").string()}, out, err);
        seen.peakBytes = PeakBytes() - before;
        seen.list = out.str();
        seen.failure = err.str();
        EXPECT_LT(seen.peakBytes, kMemoryBound);
        return seen;
    }
    // The entry texts of the list, without the counts and the unlisted details.
    static std::vector<std::string> Entries(const Seen& seen) {
        std::vector<std::string> entries;
        std::istringstream in(seen.list);
        for (std::string line; std::getline(in, line) && !line.starts_with("details ");) {
            entries.push_back(line.substr(0, line.find('\t')));
        }
        return entries;
    }

    TempDir dir;
};

const std::vector<std::string> kGoodEntries = {"KV5 Sound 12 - 45", "KV3 Sound 4 - 46", ""};

Bytes WithCount(std::size_t offset, std::int32_t count) {
    Bytes bytes = SerializeSFX(GoodTable());
    const auto bits = static_cast<std::uint32_t>(count);
    for (int i = 0; i < 4; ++i) {
        bytes[offset + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(bits >> (8 * i));
    }
    return bytes;
}
constexpr std::size_t kNumDetailsAt = 740;
constexpr std::size_t kNumSamplesAt = 744 + 8 * 4;

} // namespace

TEST_F(HostileFiles, runningOutOfMemoryIsAFailureOfItsOwn) {
    // A table with many samples, on a machine with little memory left.
    WriteAll(dir / "t.sfx", WithCount(kNumSamplesAt, 1000000));
    WriteText(dir / "t.sam", kGoodList);
    std::ostringstream out;
    std::ostringstream err;
    SetAllocationLimit(LiveBytes() + (9u << 19)); // the table's 4 MB, not its sample list
    const int status = RunDump({(dir / "t.sfx").string()}, out, err);
    SetAllocationLimit(0);
    EXPECT_EQ(status, 1);
    EXPECT_NE(err.str().find("failure 40: there is not enough memory"), std::string::npos)
        << err.str();
}

TEST_F(HostileFiles, aMillionDetailsTakeTheirMemoryAndNoMore) {
    // A million details, present in the file: the first four as before, the rest zero. The
    // memory it takes is counted (8 MiB of details at least) and stays bounded.
    Bytes million = WithCount(kNumDetailsAt, kMaxTableCount);
    million.resize(744 + 8 * std::size_t{kMaxTableCount});
    for (const std::int32_t value : {3, 0, 1, 2}) { // three samples, and their indices
        AppendI32(million, value);
    }
    const Seen seen = open(million, kGoodList);
    EXPECT_EQ(seen.status, 0) << seen.failure;
    EXPECT_EQ(Entries(seen), kGoodEntries);
    EXPECT_GT(seen.peakBytes, 8u << 20);
    // The figure docs/reliability.md quotes.
    std::printf("peak memory for a million details: %.1f MiB\n",
                static_cast<double>(seen.peakBytes) / (1 << 20));
    // The reader itself holds the file's 8 MiB and the details and little more; the rest above
    // was the view's text.
    ResetPeak();
    const std::size_t before = LiveBytes();
    EXPECT_EQ(ReadSFX(dir / "t.sfx").Details.size(), std::size_t{kMaxTableCount});
    const std::size_t reader = PeakBytes() - before;
    EXPECT_LT(reader, 17u << 20);
    RecordProperty("readerPeakBytesForAMillionDetails", std::to_string(reader));
}
