// Tables, sample lists and object databases that other tools, hands or broken disks make:
// each case says what the designer sees (the list, or which failure) and that memory stays
// bounded. The files go through the same readers, in the same order, as the editor's start-up,
// by way of sondrel-dump, which prints the list or the failure.
#include "dump/dump.h"
#include "formats/object_names.h"
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "tests/support/allocation_tracker.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
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
    Seen open(const Bytes& table, const std::string& list,
              const Bytes& objects = ObjectDatabase{}.bytes()) {
        WriteAll(dir / "t.sfx", table);
        WriteText(dir / "t.sam", list);
        WriteAll(dir / "objects.dat", objects);
        std::ostringstream out;
        std::ostringstream err;
        ResetPeak();
        const std::size_t before = LiveBytes();
        Seen seen;
        seen.status = RunDump(
            {"--objects", (dir / "objects.dat").string(), (dir / "t.sfx").string()}, out, err);
        seen.peakBytes = PeakBytes() - before;
        ++tried_;
        worstPeak_ = std::max(worstPeak_, seen.peakBytes);
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

    // The figures docs/reliability.md quotes.
    static void TearDownTestSuite() {
        std::printf("hostile files tried: %zu, worst peak memory: %.1f MiB\n", tried_,
                    static_cast<double>(worstPeak_) / (1 << 20));
    }

    TempDir dir;
    static inline std::size_t tried_ = 0;
    static inline std::size_t worstPeak_ = 0;
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

// The good table with a detail count that describes no details: the sample count follows it.
Bytes WithoutDetails(std::int32_t count) {
    SoundTable table = GoodTable();
    table.NumDetails = count;
    table.Details.clear();
    return SerializeSFX(table);
}

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

TEST_F(HostileFiles, goodTableListsItsSounds) {
    const Seen seen = open(SerializeSFX(GoodTable()), kGoodList);
    EXPECT_EQ(seen.status, 0) << seen.failure;
    EXPECT_EQ(Entries(seen), kGoodEntries);
}

TEST_F(HostileFiles, tableCutAtEveryByte) {
    const Bytes complete = SerializeSFX(GoodTable());
    const std::string whole = open(complete, kGoodList).list;
    for (std::size_t cut = 0; cut < complete.size(); ++cut) {
        const Seen seen =
            open(Bytes(complete.begin(), complete.begin() + static_cast<std::ptrdiff_t>(cut)),
                 kGoodList);
        if (cut >= kNumSamplesAt + 1) {
            // The counts are whole (the sample count's low byte is all of it): only sample
            // indices are missing, which the list does not show.
            EXPECT_EQ(seen.list, whole) << cut;
        } else {
            // The sample count reads as 0: there is no sample list to read.
            EXPECT_EQ(seen.status, 1) << cut;
            EXPECT_NE(seen.failure.find("failure 10"), std::string::npos) << cut << seen.failure;
        }
    }
}

TEST_F(HostileFiles, countsAtAndBeyondTheirLimits) {
    struct Case {
        const char* what;
        Bytes table;
        std::string expected; // a failure number, or "" for a list
    };
    const std::vector<Case> cases = {
        {"no details", WithoutDetails(0), ""},
        {"negative details", WithoutDetails(-1), ""},
        // The file ends long before a million details: the sample count reads as 0.
        {"details at the limit", WithCount(kNumDetailsAt, kMaxTableCount), "failure 10"},
        {"details past the limit", WithCount(kNumDetailsAt, kMaxTableCount + 1),
         "ReadSFX -> Can't read SFX"},
        {"details 2^31 - 1", WithCount(kNumDetailsAt, 2147483647), "ReadSFX -> Can't read SFX"},
        {"no samples", WithCount(kNumSamplesAt, 0), "failure 10"},
        {"negative samples", WithCount(kNumSamplesAt, -1), "failure 10"},
        {"samples at the limit", WithCount(kNumSamplesAt, kMaxTableCount),
         "has 3 names, the table needs 1048576"},
        {"samples past the limit", WithCount(kNumSamplesAt, kMaxTableCount + 1),
         "ReadSFX -> Can't read SFX"},
        {"samples 2^31 - 1", WithCount(kNumSamplesAt, 2147483647), "ReadSFX -> Can't read SFX"},
    };
    for (const Case& c : cases) {
        const Seen seen = open(c.table, kGoodList);
        if (c.expected.empty()) {
            EXPECT_EQ(seen.status, 0) << c.what << ": " << seen.failure;
        } else {
            EXPECT_EQ(seen.status, 1) << c.what;
            EXPECT_NE(seen.failure.find(c.expected), std::string::npos)
                << c.what << ": " << seen.failure;
        }
    }
    // With no details the slots name nothing.
    EXPECT_TRUE(Entries(open(WithoutDetails(-1), kGoodList)).empty());
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
    // The reader itself holds the details and little more; the rest above was the view's text.
    ResetPeak();
    const std::size_t before = LiveBytes();
    EXPECT_EQ(ReadSFX(dir / "t.sfx").Details.size(), std::size_t{kMaxTableCount});
    const std::size_t reader = PeakBytes() - before;
    EXPECT_LT(reader, 9u << 20);
    RecordProperty("readerPeakBytesForAMillionDetails", std::to_string(reader));
}

TEST_F(HostileFiles, slotsNamingNoDetailAreNotListed) {
    for (const std::int16_t value :
         {std::int16_t{-1}, std::int16_t{4}, std::int16_t{32767}, std::int16_t{-32768}}) {
        SoundTable table = GoodTable();
        table.SoundMap[100] = value;
        const Seen seen = open(SerializeSFX(table), kGoodList);
        EXPECT_EQ(seen.status, 0) << value;
        EXPECT_EQ(Entries(seen), kGoodEntries) << value;
    }
}

TEST_F(HostileFiles, samplesOutsideTheSampleList) {
    SoundTable unused = GoodTable();
    unused.Details[3].Sample = 3; // no slot uses detail 3
    EXPECT_EQ(Entries(open(SerializeSFX(unused), kGoodList)), kGoodEntries);

    for (const std::int16_t sample : {std::int16_t{3}, std::int16_t{-1}, std::int16_t{32767}}) {
        SoundTable used = GoodTable();
        used.Details[1].Sample = sample;
        const Seen seen = open(SerializeSFX(used), kGoodList);
        EXPECT_EQ(seen.status, 1);
        EXPECT_NE(seen.failure.find("failure 30"), std::string::npos) << seen.failure;
    }
}

TEST_F(HostileFiles, brokenSampleLists) {
    const Bytes table = SerializeSFX(GoodTable());
    struct Case {
        const char* what;
        std::string list;
        std::vector<std::string> entries; // empty: a failure
        std::string failure;
    };
    const std::string longName = "KV5 Sound 77.wav" + std::string(100000, 'x');
    const std::vector<Case> cases = {
        {"too short", "KV5 Sound 12.wav\r\n", {}, "has 1 names, the table needs 3"},
        {"empty", "", {}, "has 0 names, the table needs 3"},
        {"an open quote", "\"KV5 Sound 12.wav\r\nKV3 Sound 4.wav\r\nx\r\n", kGoodEntries, ""},
        {"lone CRs", "KV5 Sound 12.wav\rKV3 Sound 4.wav\rx", kGoodEntries, ""},
        {"NUL bytes",
         std::string("KV5 Sound 12.wav\r\nKV3 Sound 4\0.wav\r\nx\r\n", 39),
         {"KV5 Sound 12 - 45", "KV3 Sound 12 - 46", ""},
         ""},
        {"a 100,000-character name",
         "KV5 Sound 12.wav\r\n" + longName + "\r\nx\r\n",
         {},
         "failure 14: line 2 of the sample list"},
        {"a 100,000-character line of short names",
         "KV5 Sound 12.wav\r\nKV5 Sound 77.wav," + std::string(100000, ',') + "\r\nx\r\n",
         {"KV5 Sound 12 - 45", "KV5 Sound 77 - 46", ""},
         ""},
        {"a byte-order mark", std::string(kByteOrderMark) + kGoodList, kGoodEntries, ""},
    };
    for (const Case& c : cases) {
        const Seen seen = open(table, c.list);
        if (c.entries.empty()) {
            EXPECT_EQ(seen.status, 1) << c.what;
            EXPECT_NE(seen.failure.find(c.failure), std::string::npos)
                << c.what << ": " << seen.failure;
        } else {
            EXPECT_EQ(seen.status, 0) << c.what << ": " << seen.failure;
            EXPECT_EQ(Entries(seen), c.entries) << c.what;
        }
    }
}

TEST_F(HostileFiles, brokenObjectDatabases) {
    const Bytes table = SerializeSFX(GoodTable());
    auto names = [](int count) {
        ObjectDatabase database;
        for (int i = 0; i < count; ++i) {
            database.names.push_back("Object " + std::to_string(i));
        }
        return database.bytes();
    };
    Bytes negativeCounts;
    for (int section = 0; section < 7; ++section) {
        AppendI32(negativeCounts, -5);
    }
    Bytes pastTheEnd = names(4);
    pastTheEnd.resize(pastTheEnd.size() - 2); // "Object 3" loses its last two bytes
    Bytes beforeTheStart;
    AppendI32(beforeTheStart, 1);
    AppendI32(beforeTheStart, -9);
    Bytes hugeLength;
    for (int section = 0; section < 6; ++section) {
        AppendI32(hugeLength, 0);
    }
    AppendI32(hugeLength, 4);
    AppendI32(hugeLength, 2147483000); // the first name: far more bytes than the file has

    struct Case {
        const char* what;
        Bytes database;
        std::string nativeEntry; // what slot 3's native sound is listed as, or the failure
        bool fails;
    };
    const std::vector<Case> cases = {
        {"negative counts", negativeCounts, "", false},
        {"a name past the end", pastTheEnd, "Object", false},
        {"a skip before the start", beforeTheStart, "failure 21", true},
        {"541 names", names(541), "Object 3", false},
        {"542 names", names(542), "failure 22", true},
        {"a length past the position range", hugeLength, "failure 23: name 0", true},
    };
    for (const Case& c : cases) {
        const Seen seen = open(table, kGoodList, c.database);
        if (c.fails) {
            EXPECT_EQ(seen.status, 1) << c.what;
            EXPECT_NE(seen.failure.find(c.nativeEntry), std::string::npos)
                << c.what << ": " << seen.failure;
        } else {
            ASSERT_EQ(seen.status, 0) << c.what << ": " << seen.failure;
            EXPECT_EQ(Entries(seen).at(2), c.nativeEntry) << c.what;
        }
    }
}
