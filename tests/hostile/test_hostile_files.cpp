// What the largest pair costs in memory, read in the editor start-up's order and saved as the
// editor saves it, then exported and imported as sondrel-text does it.
#include "formats/sample_list.h"
#include "formats/table_pair.h"
#include "tests/support/allocation_tracker.h"
#include "tests/support/test_files.h"
#include "text/text_tool.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

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
        // The table's reader holds the details and the indices, 12 MiB, read straight into
        // them: no second copy.
        EXPECT_LT(PeakBytes() - before, 13u << 20);
        RecordProperty("readerPeakBytesForAMillionDetails", std::to_string(PeakBytes() - before));
        const SampleNames names = ReadSampleNames(dir / "t.sam", table.NumSamples);
        opened = PeakBytes() - before;
        WriteTableAndSampleList(dir / "saved.sfx", table, names);
    }
    const std::size_t saved = PeakBytes() - before;
    EXPECT_EQ(ReadAll(dir / "saved.sam"), ReadAll(dir / "t.sam"));
    // Every path holds the pair's files and a bounded rest: their size and 64 MiB at most.
    const std::size_t bound =
        fs::file_size(dir / "t.sfx") + fs::file_size(dir / "t.sam") + (std::size_t{64} << 20);
    EXPECT_LT(saved, bound);
    EXPECT_LT(saved - opened, 16u << 20); // the table's bytes; the list is written in pieces

    // Through the text form and back, as sondrel-text exports and imports it.
    const auto peakOf = [&](const std::vector<std::string>& arguments, std::ostream& out) {
        std::ostringstream err;
        ResetPeak();
        const std::size_t start = LiveBytes();
        EXPECT_EQ(RunText(arguments, out, err), 0) << err.str();
        return PeakBytes() - start;
    };
    std::size_t exported = 0;
    {
        std::ofstream text(dir / "t.txt", std::ios::binary);
        exported = peakOf({"export", (dir / "t.sfx").string()}, text);
    }
    std::ostringstream none;
    const std::size_t imported =
        peakOf({"import", (dir / "t.txt").string(), (dir / "back.sfx").string()}, none);
    EXPECT_EQ(ReadAll(dir / "back.sfx"), ReadAll(dir / "t.sfx"));
    EXPECT_EQ(ReadAll(dir / "back.sam"), ReadAll(dir / "t.sam"));
    EXPECT_LT(exported, bound);
    EXPECT_LT(imported, bound);
    const auto mib = [](std::size_t bytes) { return static_cast<double>(bytes) / (1 << 20); };
    std::printf("peak memory for the largest pair: opened %.1f MiB, saved %.1f MiB, exported "
                "%.1f MiB, imported %.1f MiB, against %.1f MiB\n",
                mib(opened), mib(saved), mib(exported), mib(imported), mib(bound));
}
