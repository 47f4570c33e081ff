// A sample's WAV file, as the player hands it to the sound system: PCM as a level's samples
// are, 8-bit (unsigned) or 16-bit samples, mono or stereo, at any rate from 1,000 to
// 192,000 Hz. Anything else is refused with Failure(SampleNotPlayed), which says why in words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace sondrel {

// Larger sample files are refused before they are read.
inline constexpr std::size_t kMaxWaveBytes = std::size_t{64} << 20;

struct PcmWave {
    int Rate = 0;
    int Bits = 0; // 8 or 16
    int Channels = 0;
    std::vector<std::uint8_t> Samples; // whole frames, as the file holds them
};

// The sound in a WAV file's bytes; a failure where it is not one of the kind above, saying why
// ("it is compressed (format 85)..."). A data chunk cut short by the file's end gives what
// there is of it.
PcmWave ParsePcmWave(std::span<const std::uint8_t> bytes);
// The same for a file, also refused where it cannot be read or is too large.
PcmWave ReadPcmWave(const std::filesystem::path& file);

// Scales every sample by `gain` (0 silent, 1 as it is), to the nearest value, halves away from
// silence: for a sound system whose output has no volume of the sound's own.
void ApplyGain(PcmWave& wave, double gain);

} // namespace sondrel
