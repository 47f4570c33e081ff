// The tables the benchmarks run on, made here: a typical level and the largest table the
// format can meaningfully hold.
#pragma once

#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"

#include <filesystem>
#include <string>
#include <vector>

namespace sondrel::bench {

// A folder of the benchmark's own, removed with what it holds when the benchmark ends.
class BenchFolder {
public:
    BenchFolder();
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Reads a whole file, as a program does that checks nothing: the plain limit of a read.
std::vector<char> PlainRead(const std::filesystem::path& path);

// Writes a whole file.
void WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);

struct BenchTable {
    SoundTable table;
    SampleNames names;
};

// `details` details over `samples` samples, every slot used; sounds taken over from each of
// the series' games mixed with native ones, with one to three samples each; detail 0 has 31.
BenchTable MakeTable(int details, int samples);

// A typical level: 400 details, 600 samples.
inline BenchTable TypicalTable() {
    return MakeTable(400, 600);
}
// The largest meaningful table: 32,768 details (all a 16-bit slot can name), 65,536 samples.
inline BenchTable LargestTable() {
    return MakeTable(32768, 65536);
}

// An object name database with 541 names and full sections 1 to 6.
std::vector<std::uint8_t> FullObjectDatabase();

} // namespace sondrel::bench
