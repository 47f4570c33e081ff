// PCM WAV files made from a function of time, for the example set and the player's tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace sondrel {

// The bytes of a PCM WAV file of `seconds` at `rate` frames a second, `bits` 8 or 16,
// `channels` 1 or 2: each frame's samples are `wave(t)` at its time t in seconds, -1 to 1
// (clipped), the same in every channel.
std::vector<std::uint8_t> MakePcmWave(int rate, int bits, int channels, double seconds,
                                      const std::function<double(double)>& wave);

} // namespace sondrel
