// What the largest pair costs in memory: the files go through the same readers, in the same
// order, as the editor's start-up, and are saved as the editor saves them. (What each damaged
// file gives is tested with its reader, in tests/formats/.)
#include "formats/sample_names.h"
#include "formats/table_pair.h"
#include "tests/support/allocation_tracker.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

using namespace sondrel;
using namespace sondrel::testing;

TEST(HostileFiles, theLargestPairOpensAndSavesWithinTheBound) {
    // A million details, and a million names filling the sample list's 256 MiB limit.
    TempDir dir;
    SoundTable largest =
        TableOf({{45, 0}}, std::vector(std::size_t{kMaxTableCount}, SoundDetail{}), kMaxTableCount);
    largest.Details[0].Flags = 4;
    WriteAll(dir / "t.sfx", SerializeSFX(largest));
    {
        std::ofstream list(dir / "t.sam", std::ios::binary);
        const std::string line = std::string(kMaxSampleListNameBytes / kMaxTableCount - 2, 'n') +
                                 "\r\n"; // 254 bytes of name a line
        for (std::int32_t k = 0; k < kMaxTableCount; ++k) {
            list << line;
        }
        list << "spare.wav\r\n";
    }
    largest = {};
    ResetPeak();
    const std::size_t before = LiveBytes();
    std::size_t opened = 0;
    {
        // As the editor opens it and saves it under a new name.
        const SoundTable table = ReadSFX(dir / "t.sfx");
        // The table's reader holds the file's 12 MiB, the details and the indices, little more.
        EXPECT_LT(PeakBytes() - before, 25u << 20);
        RecordProperty("readerPeakBytesForAMillionDetails", std::to_string(PeakBytes() - before));
        const SampleNames names = ReadSampleNames(dir / "t.sam", table.NumSamples);
        opened = PeakBytes() - before;
        WriteTableAndSampleList(dir / "saved.sfx", table, names);
    }
    const std::size_t saved = PeakBytes() - before;
    EXPECT_EQ(ReadAll(dir / "saved.sam"), ReadAll(dir / "t.sam"));
    EXPECT_LT(saved, 350u << 20);
    EXPECT_LT(saved - opened, 16u << 20); // the table's bytes; the list is written in pieces
    // The figures docs/reliability.md quotes.
    std::printf("peak memory for the largest pair: opened %.1f MiB, saved %.1f MiB\n",
                static_cast<double>(opened) / (1 << 20), static_cast<double>(saved) / (1 << 20));
}
