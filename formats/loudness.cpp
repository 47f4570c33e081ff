#include "formats/loudness.h"

#include "formats/failure.h"

#include <ebur128.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

struct StateDeleter {
    void operator()(ebur128_state* state) const { ebur128_destroy(&state); }
};

} // namespace

SampleLoudness MeasureLoudness(const PcmWave& wave) {
    const auto channels = static_cast<unsigned>(wave.Channels);
    const std::unique_ptr<ebur128_state, StateDeleter> state(
        ebur128_init(channels, static_cast<unsigned long>(wave.Rate), EBUR128_MODE_I));
    if (!state) {
        throw std::bad_alloc();
    }
    const std::size_t bytesPerSample = static_cast<std::size_t>(wave.Bits) / 8;
    const std::size_t samples = wave.Samples.size() / bytesPerSample;
    // One 400 ms block at least, the rest of it silence: four of the library's 100 ms, each
    // rounded to whole frames (1,103 at 11,025 Hz), or it measures no block at all.
    const std::size_t blockSamples =
        4 * ((static_cast<std::size_t>(wave.Rate) + 5) / 10) * channels;
    const std::size_t total = std::max(samples, blockSamples);
    std::vector<short> piece;
    constexpr std::size_t kPiece = 1 << 14; // samples handed over at once, whole frames
    for (std::size_t at = 0; at < total; at += piece.size()) {
        piece.resize(std::min(kPiece - kPiece % channels, total - at));
        const std::size_t held = at < samples ? std::min(piece.size(), samples - at) : 0;
        const std::uint8_t* from = wave.Samples.data() + at * bytesPerSample;
        if (wave.Bits == 16 && std::endian::native == std::endian::little) {
            std::memcpy(piece.data(), from, held * 2); // the file's order is the machine's
        } else {
            for (std::size_t i = 0; i < held; ++i) {
                piece[i] = wave.Bits == 8 ? static_cast<short>((from[i] - 128) * 256)
                                          : static_cast<short>(from[2 * i] | from[2 * i + 1] << 8);
            }
        }
        std::fill(piece.begin() + static_cast<std::ptrdiff_t>(held), piece.end(), short{0});
        if (ebur128_add_frames_short(state.get(), piece.data(), piece.size() / channels) !=
            EBUR128_SUCCESS) {
            throw std::bad_alloc();
        }
    }
    double lufs = -HUGE_VAL;
    if (ebur128_loudness_global(state.get(), &lufs) != EBUR128_SUCCESS || !std::isfinite(lufs)) {
        return {std::nullopt, "silent"};
    }
    return {lufs, {}};
}

SampleLoudness MeasureSampleFile(const fs::path& file) {
    try {
        return MeasureLoudness(ReadPcmWave(file));
    } catch (const Failure& failure) {
        return {std::nullopt, failure.what()};
    }
}

std::optional<double> LoudnessAtVolume(double lufs, int volume) {
    if (volume <= 0) {
        return std::nullopt;
    }
    return lufs + 20 * std::log10(std::min(volume, 100) / 100.0);
}

VolumeForLoudness VolumeFor(double lufs, double target) {
    // Held at the volume nearest the target's loudness: 100 is full gain, and volume 1 the
    // quietest that is heard at all.
    const double wanted = 100 * std::pow(10, (target - lufs) / 20);
    if (!(wanted < 100.5)) {
        return {100, false};
    }
    if (wanted < 0.5) {
        return {1, false};
    }
    return {static_cast<int>(std::lround(wanted)), true};
}

const SampleLoudness& LoudnessCache::measure(const fs::path& file) {
    std::error_code sizeError;
    std::error_code timeError;
    const std::uintmax_t size = fs::file_size(file, sizeError);
    const fs::file_time_type time = fs::last_write_time(file, timeError);
    const auto found = kept_.find(file);
    if (found != kept_.end() && !sizeError && !timeError && found->second.size == size &&
        found->second.time == time) {
        return found->second.loudness;
    }
    Kept& kept = kept_[file];
    kept = {size, time, MeasureSampleFile(file)};
    if (sizeError || timeError) {
        kept.size = static_cast<std::uintmax_t>(-1); // measured again next time
    }
    return kept.loudness;
}

} // namespace sondrel
