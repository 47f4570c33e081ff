#include "bench/bench_data.h"

#include "tools/object_database.h"

#include <algorithm>
#include <fstream>
#include <random>
#include <stdexcept>

namespace sondrel::bench {

namespace fs = std::filesystem;

BenchFolder::BenchFolder() {
    std::random_device seed;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate =
            fs::temp_directory_path() / ("sondrel-bench-" + std::to_string(seed()));
        if (fs::create_directory(candidate)) {
            path_ = candidate;
        }
    }
    if (path_.empty()) {
        throw std::runtime_error("cannot create a temporary folder");
    }
}

BenchFolder::~BenchFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

std::vector<char> PlainRead(const fs::path& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<char> bytes(static_cast<std::size_t>(in.tellg()));
    in.seekg(0);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

BenchTable MakeTable(int details, int samples) {
    static const char* const kPrefixes[] = {"KV1 Sound ", "KV2 Sound ", "KV3 Sound ", "KV5 Sound ",
                                            "Ambient "};
    BenchTable made;
    std::vector<std::string> names;
    for (int k = 0; k < samples; ++k) {
        names.push_back(std::string(kPrefixes[k % 5]) + std::to_string(k) +
                        (k % 7 == 0 ? "-loop.wav" : ".wav"));
    }
    made.names = SampleNames(names);
    SoundTable& table = made.table;
    table.NumDetails = details;
    for (int d = 0; d < details; ++d) {
        // Detail 0 has 31 samples, the longest sound there is; the rest one to three.
        const int count = d == 0 ? 31 : 1 + d % 3;
        // A detail's first sample is a signed 16-bit index: at most 32767.
        const int sample = (d * 2) % (std::min(samples, 32768) - 31);
        table.Details.push_back(
            {.Sample = static_cast<std::int16_t>(sample),
             .Volume = static_cast<std::uint8_t>(d * 7),
             .Radius = static_cast<std::uint8_t>(d % 32),
             .Chance = static_cast<std::uint8_t>(d * 3),
             .Pitch = static_cast<std::uint8_t>(d % 128),
             .Flags = static_cast<std::uint16_t>((count * 4) | (d % 4) | ((d % 8) << 12))});
    }
    // Every slot used, spread over the whole table, a few sharing a detail.
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        table.SoundMap[static_cast<std::size_t>(slot)] = static_cast<std::int16_t>(
            static_cast<long long>(slot - slot % 5 / 4) * details / kSoundSlots);
    }
    table.NumSamples = samples;
    for (int k = 0; k < samples; ++k) {
        table.SampleIndices.push_back(k * 3);
    }
    return made;
}

std::vector<std::uint8_t> FullObjectDatabase() {
    ObjectDatabase database;
    for (auto& section : database.skipped) {
        for (int i = 0; i < 541; ++i) {
            section.push_back("object-" + std::to_string(i) + ".obj");
        }
    }
    for (int i = 0; i < kObjectNameCount; ++i) {
        database.names.push_back("Native sound " + std::to_string(i));
    }
    return database.bytes();
}

} // namespace sondrel::bench
