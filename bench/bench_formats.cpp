// The readers, writers and the editor's plain logic, each beside the plain limit of the
// machine for the same work: one read or write of the same bytes, std::getline over the
// same lines, the sound list searched slot by slot. After the run, each figure is printed as
// a ratio to its limit.
#include "bench/bench_data.h"
#include "bench/ratio_reporter.h"
#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"
#include "logic/series_names.h"
#include "logic/sound_list.h"
#include "logic/units.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <optional>
#include <unistd.h>

using namespace sondrel;
using namespace sondrel::bench;
namespace fs = std::filesystem;

namespace {

constexpr int kTypical = 400;
constexpr int kLargest = 32768;
constexpr int kTenth = 3277;

const BenchFolder& Folder() {
    static const BenchFolder folder;
    return folder;
}

// The table files, written once per size.
struct Files {
    fs::path table;
    fs::path list;
    BenchTable data;
};
const Files& FilesFor(int details) {
    static std::map<int, Files> files;
    auto found = files.find(details);
    if (found == files.end()) {
        const int samples = details == kTypical ? 600 : details * 2;
        Files made{
            Folder() / ("t" + std::to_string(details) + ".sfx"), {}, MakeTable(details, samples)};
        made.list = SampleListPath(made.table);
        WriteSFX(made.table, made.data.table);
        WriteSampleNames(made.list, made.data.names, made.data.table.NumSamples);
        found = files.emplace(details, std::move(made)).first;
    }
    return found->second;
}

void PlainWrite(const fs::path& path, const std::vector<std::uint8_t>& bytes, bool sync) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        (sync && ::fsync(fd) != 0)) {
        std::abort();
    }
    ::close(fd);
}

// The sound list as the slot search once per detail would build it: 370 probes a detail.
std::size_t NaiveSoundListSize(const SoundTable& table, const SampleNames& names,
                               const ObjectNameTable& objects) {
    std::size_t entries = 0;
    std::optional<std::int32_t> number;
    for (std::size_t d = 0; d < table.Details.size(); ++d) {
        const std::string_view name = names[static_cast<std::size_t>(table.Details[d].Sample)];
        if (const auto extracted = ExtractSampleNumber(name)) {
            number = extracted;
        }
        for (int slot = 0; slot < kSoundSlots; ++slot) {
            if (table.SoundMap[static_cast<std::size_t>(slot)] == static_cast<std::int16_t>(d)) {
                const std::string text = HasSeriesPrefix(name)
                                             ? std::string(name.substr(0, 9)) + " " +
                                                   (number ? std::to_string(*number) : "") + " - " +
                                                   std::to_string(slot)
                                             : std::string(objects[static_cast<std::size_t>(slot)]);
                benchmark::DoNotOptimize(text.data());
                ++entries;
                break;
            }
        }
    }
    return entries;
}

void BM_ReadSFX(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSFX(files.table));
    }
}
void BM_PlainReadTable(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainRead(files.table));
    }
}
void BM_WriteSFX(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const fs::path target = Folder() / "written.sfx";
    for (auto _ : state) {
        WriteSFX(target, files.data.table);
    }
}
void BM_PlainWriteTable(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const std::vector<std::uint8_t> bytes = SerializeSFX(files.data.table);
    for (auto _ : state) {
        PlainWrite(Folder() / "plain.sfx", bytes, false);
    }
}
void BM_PlainWriteTableSynced(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const std::vector<std::uint8_t> bytes = SerializeSFX(files.data.table);
    for (auto _ : state) {
        PlainWrite(Folder() / "plain.sfx", bytes, true);
    }
}
void BM_ReadSampleNames(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSampleNames(files.list, files.data.table.NumSamples));
    }
}
void BM_GetlineSampleList(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(files.list, std::ios::binary);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(std::move(line));
        }
        benchmark::DoNotOptimize(lines.data());
    }
}
void BM_WriteSampleNames(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        WriteSampleNames(Folder() / "written.sam", files.data.names, files.data.table.NumSamples);
    }
}
void BM_PlainWriteSampleList(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const std::string text = SerializeSampleNames(files.data.names, files.data.table.NumSamples);
    const std::vector<std::uint8_t> bytes(text.begin(), text.end());
    for (auto _ : state) {
        PlainWrite(Folder() / "plain.sam", bytes, false);
    }
}
void BM_LoadObjectNames(benchmark::State& state) {
    const fs::path database = Folder() / kObjectDatabaseName;
    WriteBytes(database, FullObjectDatabase());
    for (auto _ : state) {
        benchmark::DoNotOptimize(LoadObjectNames(database));
    }
}
void BM_PlainReadObjectDatabase(benchmark::State& state) {
    const fs::path database = Folder() / kObjectDatabaseName;
    WriteBytes(database, FullObjectDatabase());
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlainRead(database));
    }
}
void BM_SoundList(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const ObjectNameTable objects;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ComputeSoundList(files.data.table, files.data.names, objects, true, "x.sam"));
    }
}
void BM_SoundListSlotBySlot(benchmark::State& state) {
    const Files& files = FilesFor(static_cast<int>(state.range(0)));
    const ObjectNameTable objects;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NaiveSoundListSize(files.data.table, files.data.names, objects));
    }
}
void BM_StoreChanges(benchmark::State& state) {
    const SoundDetail detail = TypicalTable().table.Details[0];
    const EditView shown = ViewOfDetail(detail);
    const EditView typed{{"12", "87.5", "1 00", "&H20"}, {kRed, kBlack, kRed, kBlack, kRed}};
    for (auto _ : state) {
        benchmark::DoNotOptimize(StoreChanges(detail, shown, typed));
    }
}

} // namespace

BENCHMARK(BM_ReadSFX)->Arg(kTypical)->Arg(kTenth)->Arg(kLargest);
BENCHMARK(BM_PlainReadTable)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_WriteSFX)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_PlainWriteTable)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_PlainWriteTableSynced)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_ReadSampleNames)->Arg(kTypical)->Arg(kTenth)->Arg(kLargest);
BENCHMARK(BM_GetlineSampleList)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_WriteSampleNames)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_PlainWriteSampleList)->Arg(kTypical)->Arg(kLargest);
BENCHMARK(BM_LoadObjectNames);
BENCHMARK(BM_PlainReadObjectDatabase);
BENCHMARK(BM_SoundList)->Arg(kTypical)->Arg(kTenth)->Arg(kLargest);
BENCHMARK(BM_SoundListSlotBySlot)->Arg(kLargest);
BENCHMARK(BM_StoreChanges);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-48s %8s   %s\n", "ratio", "measured", "target");
    for (const int size : {kTypical, kLargest}) {
        const std::string n = "/" + std::to_string(size);
        reporter.printRatio("ReadSFX : one plain read" + n, "BM_ReadSFX" + n,
                            "BM_PlainReadTable" + n, "<= 2");
        reporter.printRatio("WriteSFX : one plain write" + n, "BM_WriteSFX" + n,
                            "BM_PlainWriteTable" + n, "<= 2");
        reporter.printRatio("WriteSFX : one plain write and fsync" + n, "BM_WriteSFX" + n,
                            "BM_PlainWriteTableSynced" + n, "");
        reporter.printRatio("ReadSampleNames : getline" + n, "BM_ReadSampleNames" + n,
                            "BM_GetlineSampleList" + n, "<= 2");
        reporter.printRatio("WriteSampleNames : one plain write" + n, "BM_WriteSampleNames" + n,
                            "BM_PlainWriteSampleList" + n, "");
    }
    reporter.printRatio("LoadObjectNames : one plain read", "BM_LoadObjectNames",
                        "BM_PlainReadObjectDatabase", "<= 2");
    reporter.printRatio("slot by slot : sound list /32768", "BM_SoundListSlotBySlot/32768",
                        "BM_SoundList/32768", ">= 50");
    const std::string tenth = "/" + std::to_string(kTenth);
    const std::string largest = "/" + std::to_string(kLargest);
    reporter.printRatio("sound list 32768 : 3277 details", "BM_SoundList" + largest,
                        "BM_SoundList" + tenth, "<= 12");
    reporter.printRatio("ReadSFX 32768 : 3277 details", "BM_ReadSFX" + largest,
                        "BM_ReadSFX" + tenth, "<= 12");
    reporter.printRatio("ReadSampleNames 65536 : 6554 names", "BM_ReadSampleNames" + largest,
                        "BM_ReadSampleNames" + tenth, "<= 12");
    if (const double list = reporter.time("BM_SoundList" + largest); list > 0) {
        // Times are kept in the runs' unit, nanoseconds.
        std::printf("%-48s %8.3f   < 5 ms\n", "sound list of 32768 details, ms", list / 1e6);
    }
    benchmark::Shutdown();
    return 0;
}
