#include "formats/sound_table.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

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

std::int64_t At(const Bytes& bytes, std::size_t offset, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
        value = value << 8 | bytes.at(offset + static_cast<std::size_t>(i));
    }
    return size == 2 ? std::int16_t(value) : std::int32_t(value);
}

Bytes WithCounts(std::int32_t numDetails, std::int32_t numSamples, std::size_t details) {
    Bytes bytes(740, 0);
    AppendI32(bytes, numDetails);
    bytes.resize(bytes.size() + 8 * details, 0xAB);
    AppendI32(bytes, numSamples);
    return bytes;
}

} // namespace

TEST(SoundTable, fieldsStandAtTheirOffsetsAndACompleteFileRoundTrips) {
    const Bytes bytes = SerializeSFX(SampleTable());
    ASSERT_EQ(bytes.size(), 748u + 8 * 3 + 4 * 2);
    const std::tuple<std::size_t, int, std::int64_t> fields[] = {
        {0, 2, 1},   {2, 2, -1},           {14, 2, 0},     {738, 2, 2},    // slots 0, 1, 7 and 369
        {740, 4, 3}, {752, 2, -2},         {754, 1, 0xFF}, {755, 1, 0xE5}, // NumDetails, detail 1
        {756, 1, 1}, {757, 1, 0x80},       {758, 2, -1},  // its chance, pitch, flags
        {768, 4, 2}, {772, 4, 0x01020304}, {776, 4, -1}}; // NumSamples, indices
    for (const auto& [offset, size, value] : fields) {
        EXPECT_EQ(size == 1 ? bytes.at(offset) : At(bytes, offset, size), value) << offset;
    }
    EXPECT_EQ(ParseSFX(bytes), SampleTable());
    EXPECT_EQ(SerializeSFX(ParseSFX(bytes)), bytes);
    EXPECT_EQ(TableBytes(SampleTable()), bytes.size());

    const SoundDetail detail = SampleTable().Details[1];
    EXPECT_EQ(detail.word(1), 0xE5FF);
    EXPECT_EQ(detail.word(2), 0x8001);
}

TEST(SoundTable, countsAreKeptAsReadAndSizeTheArraysUpToTheLimit) {
    const std::tuple<std::int32_t, std::int32_t, std::size_t, std::size_t> cases[] = {
        {0, 0, 0, 0},
        {-1, -1, 0, 0},
        {-2147483647 - 1, 5, 0, 5},
        {2, -7, 2, 0},
        {kMaxTableCount, kMaxTableCount, kMaxTableCount, kMaxTableCount}};
    for (const auto& [numDetails, numSamples, details, samples] : cases) {
        const SoundTable table = ParseSFX(WithCounts(numDetails, numSamples, details));
        EXPECT_EQ(table.NumDetails, numDetails);
        EXPECT_EQ(table.NumSamples, numSamples);
        EXPECT_EQ(table.Details.size(), details);
        EXPECT_EQ(table.SampleIndices.size(), samples);
        // Written back: the same counts, no entries for the empty arrays.
        const Bytes written = SerializeSFX(table);
        EXPECT_EQ(At(written, 740, 4), numDetails);
        EXPECT_EQ(At(written, 744 + 8 * details, 4), numSamples);
        EXPECT_EQ(written.size(), 748 + 8 * details + 4 * samples);
    }
    for (const auto& counts :
         {std::pair{kMaxTableCount + 1, 0}, {2147483647, 0}, {0, kMaxTableCount + 1}}) {
        EXPECT_EQ(FailureOf([&] { ParseSFX(WithCounts(counts.first, counts.second, 0)); }),
                  "failure 1: ReadSFX -> Can't read SFX");
    }
}

TEST(SoundTable, filesAreCreatedWhenMissingReadWhenReadOnlyAndRefusedWhenNoFile) {
    TempDir dir;
    EXPECT_EQ(ReadSFX(dir / "new.sfx"), SoundTable{});
    EXPECT_EQ(fs::file_size(dir / "new.sfx"), 0u);
    WriteAll(dir / "locked.sfx", SerializeSFX(SampleTable()));
    fs::permissions(dir / "locked.sfx", fs::perms::owner_read);
    EXPECT_EQ(ReadSFX(dir / "locked.sfx"), SampleTable());
    fs::create_directory(dir / "folder.sfx");
    for (const fs::path& path : {dir / "folder.sfx", dir / "no-such-folder" / "x.sfx"}) {
        EXPECT_EQ(FailureOf([&] { ReadSFX(path); }), "failure 1: ReadSFX -> Can't read SFX");
    }
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"folder.sfx", "locked.sfx", "new.sfx"}));
    EXPECT_EQ(FailureNumberOf([&] { RequireTable(dir / "gone.sfx"); }), "failure 4");
    EXPECT_EQ(FailureOf([&] { RequireTable(dir / "folder.sfx"); }),
              "failure 4: " + DisplayPath(dir / "folder.sfx") +
                  " is a folder, not a sound table file");
#if !defined(_WIN32)
    ASSERT_EQ(mkfifo((dir / "pipe.sfx").c_str(), 0666), 0);
    EXPECT_EQ(FailureOf([&] { RequireTable(dir / "pipe.sfx"); }),
              "failure 4: " + DisplayPath(dir / "pipe.sfx") +
                  " is a named pipe, not a sound table file");
#endif
    RequireTable(dir / "new.sfx");
}
