// A level's loudness, and set and take over a game's levels, each beside what it cannot be
// faster than: the loudness library's own time on the same samples already decoded, plus one
// plain read of their files; and the editor's own read and save of the same pairs, with no
// edit. After the run, each figure is printed as a ratio to its limit.
#include "bench/bench_data.h"
#include "bench/ratio_reporter.h"
#include "document/open_table.h"
#include "document/sound_loudness.h"
#include "formats/sample_list.h"
#include "formats/table_pair.h"
#include "formats/wave.h"
#include "text/commands.h"
#include "tools/wave_file.h"

#include <benchmark/benchmark.h>
#include <ebur128.h>

#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <numbers>
#include <sstream>

using namespace sondrel;
using namespace sondrel::bench;
namespace fs = std::filesystem;

namespace {

constexpr int kSamples = 1200; // a level's
constexpr int kTables = 50;    // a game's levels

const BenchFolder& Folder() {
    static const BenchFolder folder;
    return folder;
}

// The level's samples, about a second each, of every kind a level uses: 11,025 to 44,100 Hz,
// 8 and 16 bits, mono and stereo. Written once.
const std::vector<fs::path>& SampleFiles() {
    static const std::vector<fs::path> files = [] {
        std::vector<fs::path> made;
        for (int k = 0; k < kSamples; ++k) {
            const int rate = (k % 3 == 0 ? 11025 : k % 3 == 1 ? 22050 : 44100);
            const double pitch = 200 + 7 * (k % 100);
            made.push_back(Folder() / ("Sound " + std::to_string(k) + ".wav"));
            WriteBytes(made.back(),
                       MakePcmWave(rate, k % 2 == 0 ? 16 : 8, 1 + k % 4 / 3,
                                   0.8 + 0.4 * (k % 5) / 4, [=](double t) {
                                       return 0.5 * std::exp(-2 * t) *
                                              std::sin(2 * std::numbers::pi * pitch * t);
                                   }));
        }
        return made;
    }();
    return files;
}

// What the window does: every sample found and measured on the measuring thread, from a cache
// that holds none of them.
void BM_MeasureLevel(benchmark::State& state) {
    const std::vector<fs::path>& files = SampleFiles();
    for (auto _ : state) {
        std::mutex mutex;
        std::condition_variable done;
        int measured = 0;
        LoudnessMeasurer measurer([&](const LoudnessMeasurer::Result& result) {
            benchmark::DoNotOptimize(result.loudness.lufs);
            const std::lock_guard lock(mutex);
            if (++measured == kSamples) {
                done.notify_one();
            }
        });
        std::vector<LoudnessMeasurer::Request> requests;
        for (std::size_t k = 0; k < files.size(); ++k) {
            requests.push_back({k, files[k].filename().string()});
        }
        measurer.measure(std::move(requests), {files.front().parent_path()});
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return measured == kSamples; });
    }
}

// The library alone, on the samples decoded before the clock starts.
void BM_LibraryOnDecoded(benchmark::State& state) {
    struct Decoded {
        unsigned channels;
        unsigned long rate;
        std::vector<short> frames;
    };
    std::vector<Decoded> decoded;
    for (const fs::path& file : SampleFiles()) {
        const PcmWave wave = ReadPcmWave(file);
        Decoded& d = decoded.emplace_back();
        d.channels = static_cast<unsigned>(wave.Channels);
        d.rate = static_cast<unsigned long>(wave.Rate);
        for (std::size_t i = 0; i < wave.Samples.size(); i += wave.Bits / 8) {
            d.frames.push_back(
                wave.Bits == 8 ? static_cast<short>((wave.Samples[i] - 128) * 256)
                               : static_cast<short>(wave.Samples[i] | wave.Samples[i + 1] << 8));
        }
    }
    for (auto _ : state) {
        for (const Decoded& d : decoded) {
            ebur128_state* meter = ebur128_init(d.channels, d.rate, EBUR128_MODE_I);
            ebur128_add_frames_short(meter, d.frames.data(), d.frames.size() / d.channels);
            double lufs = 0;
            ebur128_loudness_global(meter, &lufs);
            benchmark::DoNotOptimize(lufs);
            ebur128_destroy(&meter);
        }
    }
}

void BM_PlainReadSamples(benchmark::State& state) {
    for (auto _ : state) {
        for (const fs::path& file : SampleFiles()) {
            benchmark::DoNotOptimize(PlainRead(file));
        }
    }
}

// A game's levels: 50 typical pairs, and two tables to take from whose values differ, so that
// every run changes every level.
struct Levels {
    std::vector<std::string> tables;
    std::array<std::string, 2> sources;
};
const Levels& GameLevels() {
    static const Levels levels = [] {
        Levels made;
        const BenchTable level = TypicalTable();
        const auto write = [&](const std::string& name, int volumeShift) {
            BenchTable pair = level;
            for (SoundDetail& detail : pair.table.Details) {
                detail.Volume = static_cast<std::uint8_t>(detail.Volume + volumeShift);
            }
            const fs::path table = Folder() / name;
            WriteSFX(table, pair.table);
            WriteSampleNames(SampleListPath(table), pair.names, pair.table.NumSamples);
            return table.string();
        };
        for (int t = 0; t < kTables; ++t) {
            made.tables.push_back(write("level" + std::to_string(t) + ".sfx", 0));
        }
        made.sources = {write("from-a.sfx", 2), write("from-b.sfx", 4)};
        return made;
    }();
    return levels;
}

void RunTool(int (*command)(const std::vector<std::string>&, std::ostream&, std::ostream&),
             std::vector<std::string> arguments) {
    arguments.insert(arguments.end(), GameLevels().tables.begin(), GameLevels().tables.end());
    std::ostringstream out;
    std::ostringstream err;
    if (command(arguments, out, err) != 0) {
        std::fprintf(stderr, "%s%s", out.str().c_str(), err.str().c_str());
        std::abort();
    }
}

void BM_SetOverLevels(benchmark::State& state) {
    int run = 0;
    for (auto _ : state) {
        RunTool(SetValues, {"set", ++run % 2 == 0 ? "volume=50" : "volume=60"});
    }
}

void BM_TakeOverLevels(benchmark::State& state) {
    int run = 0;
    for (auto _ : state) {
        RunTool(TakeValues, {"take", GameLevels().sources[++run % 2], "--fields", "volume"});
    }
}

// The editor's own read and save of each pair, with no edit: what set and take cannot avoid.
class Saying : public SaveAsker {
    void refuseSampleListAsTable(const fs::path&) override {}
    bool replaceThroughLink(const SaveQuestions::Link&, bool) override { return false; }
    bool replaceChanged(const fs::path&) override { return false; }
    bool replaceUnknownSampleList(const fs::path&) override { return false; }
};
void BM_ReadAndSaveLevels(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& name : GameLevels().tables) {
            const fs::path table = name;
            OpenTable open(table, ReadTablePair(table), {}, false);
            Saying asker;
            if (!open.save(table, asker)) {
                std::abort();
            }
        }
    }
}

} // namespace

BENCHMARK(BM_MeasureLevel)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LibraryOnDecoded)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainReadSamples)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetOverLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TakeOverLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndSaveLevels)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n%-48s %8s   %s\n", "ratio", "measured", "target");
    reporter.printRatio("loudness of 1200 samples : library + plain read",
                        reporter.time("BM_MeasureLevel/real_time"),
                        reporter.time("BM_LibraryOnDecoded") + reporter.time("BM_PlainReadSamples"),
                        "<= 1.2");
    reporter.printRatio("set over 50 tables : read and save", "BM_SetOverLevels",
                        "BM_ReadAndSaveLevels", "<= 1.5");
    reporter.printRatio("take over 50 tables : read and save", "BM_TakeOverLevels",
                        "BM_ReadAndSaveLevels", "<= 1.5");
    benchmark::Shutdown();
    return 0;
}
