#include "formats/wave.h"

#include "formats/file_io.h"
#include "formats/little_endian.h"

#include <algorithm>
#include <string_view>

namespace sondrel {
namespace {

std::string_view Id(std::span<const std::uint8_t> bytes, std::size_t at) {
    return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

} // namespace

std::optional<PcmWave> ParsePcmWave(std::span<const std::uint8_t> bytes, std::string& problem) {
    if (bytes.size() < 12 || Id(bytes, 0) != "RIFF" || Id(bytes, 8) != "WAVE") {
        problem = "it is not a WAV file";
        return std::nullopt;
    }
    std::optional<PcmWave> wave;
    // The chunks, each an id, a size and that many bytes, padded to an even length.
    for (std::size_t at = 12; at + 8 <= bytes.size();) {
        const std::string_view id = Id(bytes, at);
        const std::size_t size = Le32(bytes.data() + at + 4);
        const std::size_t start = at + 8;
        const std::size_t held = std::min(size, bytes.size() - start);
        if (id == "fmt ") {
            if (held < 16) {
                problem = "its format is damaged";
                return std::nullopt;
            }
            const std::uint8_t* format = bytes.data() + start;
            std::uint16_t tag = Le16(format);
            if (tag == 0xFFFE && held >= 26) { // the extensible form names its format further on
                tag = Le16(format + 24);
            }
            wave.emplace();
            wave->Channels = Le16(format + 2);
            wave->Rate = static_cast<int>(Le32(format + 4));
            wave->Bits = Le16(format + 14);
            if (tag != 1) {
                problem = "it is compressed (format " + std::to_string(tag) +
                          "); Sondrel plays uncompressed (PCM) samples";
            } else if (wave->Bits != 8 && wave->Bits != 16) {
                problem = "it has " + std::to_string(wave->Bits) +
                          "-bit samples; Sondrel plays 8 and 16 bit";
            } else if (wave->Channels != 1 && wave->Channels != 2) {
                problem = "it has " + std::to_string(wave->Channels) +
                          " channels; Sondrel plays mono and stereo";
            } else if (Le32(format + 4) < 1000 || Le32(format + 4) > 192000) {
                problem = "its rate of " + std::to_string(Le32(format + 4)) +
                          " Hz is not one a sound system plays";
            }
            if (!problem.empty()) {
                return std::nullopt;
            }
        } else if (id == "data") {
            if (!wave) {
                problem = "its sound comes before its format";
                return std::nullopt;
            }
            const std::size_t frame = static_cast<std::size_t>(wave->Channels * wave->Bits / 8);
            wave->Samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                 bytes.begin() +
                                     static_cast<std::ptrdiff_t>(start + held / frame * frame));
            if (wave->Samples.empty()) {
                problem = "it holds no sound";
                return std::nullopt;
            }
            return wave;
        }
        at = start + size + (size & 1);
        if (at < start) { // a size that wraps around
            break;
        }
    }
    problem = wave ? "it holds no sound" : "it is a WAV file without a format";
    return std::nullopt;
}

std::optional<PcmWave> ReadPcmWave(const std::filesystem::path& file, std::string& problem) {
    try {
        const std::vector<std::uint8_t> bytes = ReadFileHead(file, kMaxWaveBytes + 1);
        if (bytes.size() > kMaxWaveBytes) {
            problem = "it is larger than 64 MiB";
            return std::nullopt;
        }
        return ParsePcmWave(bytes, problem);
    } catch (const FileError& error) {
        problem = error.what();
        return std::nullopt;
    }
}

} // namespace sondrel
