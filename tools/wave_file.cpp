#include "tools/wave_file.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace sondrel {
namespace {

void Put(std::vector<std::uint8_t>& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void Put(std::vector<std::uint8_t>& bytes, std::string_view text) {
    bytes.insert(bytes.end(), text.begin(), text.end());
}

} // namespace

std::vector<std::uint8_t> MakePcmWave(int rate, int bits, int channels, double seconds,
                                      const std::function<double(double)>& wave) {
    const auto frames = static_cast<std::uint32_t>(std::lround(rate * seconds));
    const std::uint32_t frameBytes = static_cast<std::uint32_t>(channels * bits / 8);
    const std::uint32_t dataBytes = frames * frameBytes;
    std::vector<std::uint8_t> bytes;
    Put(bytes, "RIFF");
    Put(bytes, 36 + dataBytes, 4);
    Put(bytes, "WAVEfmt ");
    Put(bytes, 16, 4);
    Put(bytes, 1, 2); // PCM
    Put(bytes, static_cast<std::uint32_t>(channels), 2);
    Put(bytes, static_cast<std::uint32_t>(rate), 4);
    Put(bytes, static_cast<std::uint32_t>(rate) * frameBytes, 4);
    Put(bytes, frameBytes, 2);
    Put(bytes, static_cast<std::uint32_t>(bits), 2);
    Put(bytes, "data");
    Put(bytes, dataBytes, 4);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const double value = std::clamp(wave(frame / static_cast<double>(rate)), -1.0, 1.0);
        for (int channel = 0; channel < channels; ++channel) {
            if (bits == 8) { // unsigned, 128 the silence
                Put(bytes, static_cast<std::uint32_t>(std::lround(128 + 127 * value)), 1);
            } else {
                Put(bytes, static_cast<std::uint32_t>(std::lround(32767 * value)) & 0xFFFF, 2);
            }
        }
    }
    return bytes;
}

} // namespace sondrel
