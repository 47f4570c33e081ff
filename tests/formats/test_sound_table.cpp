#include "formats/sound_table.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

namespace {

// A small complete table with a distinct value in every field.
SoundTable SampleTable() {
    SoundTable table = TableOf({{0, 1}, {7, 0}, {369, 2}},
                               // Sample, Volume, Radius, Chance, Pitch, Flags
                               {{0, 0x11, 0x22, 0x33, 0x44, 0x5566},
                                {-2, 0xFF, 0xE5, 0x01, 0x80, 0xFFFF},
                                {3, 0, 0, 0, 0, 0x0008}},
                               2);
    table.SampleIndices = {0x01020304, -1};
    return table;
}

std::uint16_t U16At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | (bytes.at(offset + 1) << 8));
}
std::int32_t I32At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U16At(bytes, offset) |
                                     (std::uint32_t{U16At(bytes, offset + 2)} << 16));
}

Bytes WithCounts(std::int32_t numDetails, std::int32_t numSamples, std::size_t detailBytes) {
    Bytes bytes(740, 0);
    AppendI32(bytes, numDetails);
    bytes.resize(bytes.size() + detailBytes, 0xAB);
    AppendI32(bytes, numSamples);
    return bytes;
}

} // namespace

TEST(SoundTableLayout, fieldsStandAtTheirOffsets) {
    const Bytes bytes = SerializeSFX(SampleTable());
    ASSERT_EQ(bytes.size(), 748u + 8 * 3 + 4 * 2);
    EXPECT_EQ(U16At(bytes, 0), 1);      // slot 0
    EXPECT_EQ(U16At(bytes, 14), 0);     // slot 7
    EXPECT_EQ(U16At(bytes, 2), 0xFFFF); // slot 1 is silent
    EXPECT_EQ(U16At(bytes, 738), 2);    // slot 369
    EXPECT_EQ(I32At(bytes, 740), 3);    // NumDetails
    // Detail 1 at 744 + 8: Sample, Volume, Radius, Chance, Pitch, Flags.
    EXPECT_EQ(U16At(bytes, 752), 0xFFFE);
    EXPECT_EQ(bytes[754], 0xFF);
    EXPECT_EQ(bytes[755], 0xE5);
    EXPECT_EQ(bytes[756], 0x01);
    EXPECT_EQ(bytes[757], 0x80);
    EXPECT_EQ(U16At(bytes, 758), 0xFFFF);
    EXPECT_EQ(I32At(bytes, 768), 2);          // NumSamples at 744 + 8D
    EXPECT_EQ(I32At(bytes, 772), 0x01020304); // SampleIndices at 748 + 8D
    EXPECT_EQ(I32At(bytes, 776), -1);
}

TEST(SoundTableLayout, detailWordsMatchTheNamedFields) {
    SoundDetail detail{-3, 0x12, 0x34, 0x56, 0x78, 0x9ABC};
    EXPECT_EQ(detail.word(0), 0xFFFD);
    EXPECT_EQ(detail.word(1), 0x3412);
    EXPECT_EQ(detail.word(2), 0x7856);
    EXPECT_EQ(detail.word(3), 0x9ABC);
    detail.setWord(1, 0x1F02);
    detail.setWord(2, 0x7FFE);
    EXPECT_EQ(detail.Volume, 0x02);
    EXPECT_EQ(detail.Radius, 0x1F);
    EXPECT_EQ(detail.Chance, 0xFE);
    EXPECT_EQ(detail.Pitch, 0x7F);
    EXPECT_EQ(detail.Sample, -3);
    EXPECT_EQ(detail.Flags, 0x9ABC);
}

TEST(SoundTableRead, completeFileRoundTripsByteForByte) {
    const Bytes original = SerializeSFX(SampleTable());
    EXPECT_EQ(ParseSFX(original), SampleTable());
    EXPECT_EQ(SerializeSFX(ParseSFX(original)), original);
}

TEST(SoundTableRead, bytesAfterTheTableAreIgnored) {
    Bytes withTail = SerializeSFX(SampleTable());
    const std::size_t length = withTail.size();
    withTail.insert(withTail.end(), {1, 2, 3, 4, 5});
    const Bytes written = SerializeSFX(ParseSFX(withTail));
    EXPECT_EQ(written,
              Bytes(withTail.begin(), withTail.begin() + static_cast<std::ptrdiff_t>(length)));
}

TEST(SoundTableRead, fileEndingAnywhereReadsMissingBytesAsZero) {
    const Bytes complete = SerializeSFX(SampleTable());
    for (std::size_t cut = 0; cut <= complete.size(); ++cut) {
        const Bytes truncated(complete.begin(),
                              complete.begin() + static_cast<std::ptrdiff_t>(cut));
        Bytes zeroFilled = truncated;
        zeroFilled.resize(complete.size() + 8, 0);
        EXPECT_EQ(ParseSFX(truncated), ParseSFX(zeroFilled)) << "cut at " << cut;
    }
}

TEST(SoundTableRead, emptyFileIsAnEmptyTable) {
    const SoundTable table = ParseSFX({});
    EXPECT_EQ(table, SoundTable{});
    for (const auto slot : table.SoundMap) {
        EXPECT_EQ(slot, 0);
    }
}

struct CountCase {
    std::int32_t numDetails;
    std::int32_t numSamples;
    std::size_t details;
    std::size_t samples;
};

class SoundTableCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(SoundTableCounts, countsAreKeptAsReadAndSizeTheArrays) {
    const CountCase c = GetParam();
    const Bytes bytes = WithCounts(c.numDetails, c.numSamples, 8 * c.details);
    const SoundTable table = ParseSFX(bytes);
    EXPECT_EQ(table.NumDetails, c.numDetails);
    EXPECT_EQ(table.NumSamples, c.numSamples);
    EXPECT_EQ(table.Details.size(), c.details);
    EXPECT_EQ(table.SampleIndices.size(), c.samples);
    // Written back: the same counts, no entries for the empty arrays.
    const Bytes written = SerializeSFX(table);
    EXPECT_EQ(I32At(written, 740), c.numDetails);
    EXPECT_EQ(I32At(written, 744 + 8 * c.details), c.numSamples);
    EXPECT_EQ(written.size(), 748 + 8 * c.details + 4 * c.samples);
}

INSTANTIATE_TEST_SUITE_P(ZeroNegativeAndLimit, SoundTableCounts,
                         ::testing::Values(CountCase{0, 0, 0, 0}, CountCase{-1, -1, 0, 0},
                                           CountCase{-2147483647 - 1, 5, 0, 5},
                                           CountCase{2, -7, 2, 0},
                                           CountCase{kMaxTableCount, kMaxTableCount,
                                                     std::size_t{kMaxTableCount},
                                                     std::size_t{kMaxTableCount}}));

TEST(SoundTableRead, countsAboveTheLimitAreRefused) {
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {kMaxTableCount + 1, 0}, {2147483647, 0}, {0, kMaxTableCount + 1}, {0, 2147483647}};
    for (const auto& [numDetails, numSamples] : cases) {
        try {
            ParseSFX(WithCounts(numDetails, numSamples, 0));
            ADD_FAILURE() << numDetails << " details, " << numSamples << " samples were read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.code(), FailureCode::TableRead);
            EXPECT_STREQ(failure.what(), kReadSFXFailed);
        }
    }
}

TEST(SoundTableFile, missingFileIsCreatedEmptyAndReadsAsEmptyTable) {
    TempDir dir;
    const fs::path path = dir / "new.sfx";
    EXPECT_EQ(ReadSFX(path), SoundTable{});
    ASSERT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
}

TEST(SoundTableFile, readOnlyFileCanBeRead) {
    TempDir dir;
    const fs::path path = dir / "locked.sfx";
    WriteAll(path, SerializeSFX(SampleTable()));
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_EQ(ReadSFX(path), SampleTable());
}

TEST(SoundTableFile, unreadablePathsFailWithTheFixedText) {
    TempDir dir;
    fs::create_directory(dir / "folder.sfx");
    for (const fs::path& path : {dir / "folder.sfx", dir / "no-such-folder" / "x.sfx"}) {
        try {
            ReadSFX(path);
            ADD_FAILURE() << path << " was read";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.code(), FailureCode::TableRead) << path;
            EXPECT_STREQ(failure.what(), kReadSFXFailed);
        }
    }
    EXPECT_FALSE(fs::exists(dir / "no-such-folder"));
}

TEST(SoundTableFile, writtenTableReadsBackAndReplacesALongerFile) {
    TempDir dir;
    const fs::path path = dir / "city.sfx";
    WriteAll(path, Bytes(5000, 0x5A));
    WriteSFX(path, SampleTable());
    EXPECT_EQ(ReadAll(path), SerializeSFX(SampleTable()));
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"city.sfx"});
}

TEST(SoundTableFile, failedWriteSaysWhichFileAndWhyBelowTheFixedText) {
    TempDir dir;
    WriteAll(dir / "file", {1, 2, 3});
    const fs::path path = dir / "file" / "city.sfx"; // a file where its folder should be
    try {
        WriteSFX(path, SoundTable{});
        ADD_FAILURE() << "a table was written into a file";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.code(), FailureCode::TableWrite);
        EXPECT_EQ(std::string(failure.what())
                      .rfind("WriteSFX -> Can't write SFX\n\nCannot create a "
                             "new file beside " +
                                 DisplayPath(path) + ": ",
                             0),
                  0u)
            << std::string(failure.what());
    }
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"file"});
}
