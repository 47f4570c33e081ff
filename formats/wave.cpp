#include "formats/wave.h"

#include "formats/failure.h"
#include "formats/file_io.h"
#include "formats/little_endian.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace sondrel {
namespace {

std::string_view Id(std::span<const std::uint8_t> bytes, std::size_t at) {
    return {reinterpret_cast<const char*>(bytes.data() + at), 4};
}

[[noreturn]] void Refuse(const std::string& why) {
    throw Failure(FailureCode::SampleNotPlayed, why);
}

} // namespace

PcmWave ParsePcmWave(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 12 || Id(bytes, 0) != "RIFF" || Id(bytes, 8) != "WAVE") {
        Refuse("it is not a WAV file");
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
                Refuse("its format is damaged");
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
                Refuse("it is compressed (format " + std::to_string(tag) +
                       "); Sondrel plays uncompressed (PCM) samples");
            }
            if (wave->Bits != 8 && wave->Bits != 16) {
                Refuse("it has " + std::to_string(wave->Bits) +
                       "-bit samples; Sondrel plays 8 and 16 bit");
            }
            if (wave->Channels != 1 && wave->Channels != 2) {
                Refuse("it has " + std::to_string(wave->Channels) +
                       " channels; Sondrel plays mono and stereo");
            }
            if (Le32(format + 4) < 1000 || Le32(format + 4) > 192000) {
                Refuse("its rate of " + std::to_string(Le32(format + 4)) +
                       " Hz is not one a sound system plays");
            }
        } else if (id == "data") {
            if (!wave) {
                Refuse("its sound comes before its format");
            }
            const std::size_t frame = static_cast<std::size_t>(wave->Channels * wave->Bits / 8);
            wave->Samples.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                 bytes.begin() +
                                     static_cast<std::ptrdiff_t>(start + held / frame * frame));
            if (wave->Samples.empty()) {
                Refuse("it holds no sound");
            }
            return std::move(*wave);
        }
        at = start + size + (size & 1);
        if (at < start) { // a size that wraps around
            break;
        }
    }
    Refuse(wave ? "it holds no sound" : "it is a WAV file without a format");
}

PcmWave ReadPcmWave(const std::filesystem::path& file) {
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadFileHead(file, kMaxWaveBytes + 1);
    } catch (const FileError& error) {
        Refuse(error.what());
    }
    if (bytes.size() > kMaxWaveBytes) {
        Refuse("it is larger than 64 MiB");
    }
    return ParsePcmWave(bytes);
}

void ApplyGain(PcmWave& wave, double gain) {
    gain = std::clamp(gain, 0.0, 1.0);
    if (gain == 1.0) {
        return;
    }
    std::vector<std::uint8_t>& bytes = wave.Samples;
    if (wave.Bits == 8) { // unsigned, silence at 128
        for (std::uint8_t& sample : bytes) {
            sample = static_cast<std::uint8_t>(128 + std::lround((sample - 128) * gain));
        }
        return;
    }
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) { // little-endian
        const auto sample = static_cast<std::int16_t>(bytes[at] | bytes[at + 1] << 8);
        const auto scaled = static_cast<std::uint16_t>(std::lround(sample * gain));
        bytes[at] = static_cast<std::uint8_t>(scaled);
        bytes[at + 1] = static_cast<std::uint8_t>(scaled >> 8);
    }
}

} // namespace sondrel
