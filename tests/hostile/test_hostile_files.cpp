// What the largest tables cost in memory, and what running out of it gives: the files go
// through the same readers, in the same order, as the editor's start-up (running out, by way
// of sondrel-dump, which prints the failure). (What each damaged file gives is tested with its
// reader, in tests/formats/.)
#include "text/text_tool.h"
#include "formats/sample_names.h"
#include "formats/table_pair.h"
#include "logic/table_text.h"
#include "tests/support/allocation_tracker.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

using namespace sondrel;
using namespace sondrel::testing;

namespace {

// `details` details and `samples` samples, the first detail a series sound on slot 45, the
// others of no sample.
void WriteTable(const TempDir& dir, std::size_t details, std::int32_t samples) {
    SoundTable table = TableOf({{45, 0}}, std::vector(details, SoundDetail{}), 1);
    table.Details[0].Flags = 4;
    table.NumSamples = samples;
    WriteAll(dir / "t.sfx", SerializeSFX(table));
    WriteText(dir / "t.sam", "KV5 Sound 12.wav\r\n");
}

struct DumpRun {
    int status;
    std::size_t peakBytes; // above what was taken before
    std::string out;
    std::string err;
};

DumpRun Dump(const TempDir& dir) {
    std::ostringstream out;
    std::ostringstream err;
    ResetPeak();
    const std::size_t before = LiveBytes();
    const int status = RunText({"list", (dir / "t.sfx").string()}, out, err);
    return {status, PeakBytes() - before, out.str(), err.str()};
}

} // namespace

TEST(HostileFiles, runningOutOfMemoryIsAFailureOfItsOwn) {
    // A table with many samples, on a machine with little memory left.
    TempDir dir;
    WriteTable(dir, 1, 1000000);
    SetAllocationLimit(LiveBytes() + (9u << 19)); // the table's 4 MB, not its sample list
    const DumpRun run = Dump(dir);
    SetAllocationLimit(0);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("failure 40: there is not enough memory"), std::string::npos) << run.err;
}

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
        SampleListForm form;
        const std::vector<std::string> names =
            ReadSampleNames(dir / "t.sam", table.NumSamples, &form);
        opened = PeakBytes() - before;
        WriteTableAndSampleList(dir / "saved.sfx", table, names, form);
    }
    const std::size_t saved = PeakBytes() - before;
    EXPECT_EQ(ReadAll(dir / "saved.sam"), ReadAll(dir / "t.sam"));
    EXPECT_LT(saved, 350u << 20);
    EXPECT_LT(saved - opened, 16u << 20); // the table's bytes; the list is written in pieces
    // The figures docs/reliability.md quotes.
    std::printf("peak memory for the largest pair: opened %.1f MiB, saved %.1f MiB\n",
                static_cast<double>(opened) / (1 << 20), static_cast<double>(saved) / (1 << 20));
}

TEST(HostileFiles, aTableTextTakesNoMoreMemoryThanTheTableItCouldHold) {
    // The largest counts with nothing behind them, and bytes after the table past the limit.
    std::string after = "sondrel-text 1\ndetails 0\nsamples 0\n";
    for (int line = 0; line < 70000; ++line) {
        after += "after the table: 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n";
    }
    const std::pair<std::string, std::string> texts[] = {
        {"sondrel-text 1\ndetails 1048576\nsamples 1048576\n", "detail 0 is missing"},
        {after, "more bytes after the table than a table file may hold"},
    };
    for (const auto& [text, says] : texts) {
        ResetPeak();
        const std::size_t before = LiveBytes();
        std::string error;
        try {
            ReadTableText(text);
        } catch (const TextError& refused) {
            error = refused.what();
        }
        EXPECT_NE(error.find(says), std::string::npos) << error;
        // The details and sample indices a table may hold (12 MiB), where each was given.
        EXPECT_LT(PeakBytes() - before, std::size_t{24} << 20) << says;
    }
}
