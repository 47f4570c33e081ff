// How loud a sample is heard: its EBU R128 integrated loudness, in LUFS, measured with
// libebur128; and the volume at which it plays at a loudness asked for.
//
// The integrated measure needs one 400 ms block: a sample shorter than that is measured as
// heard once in such a block, silence after it, so that a short click reads quieter than a
// tone as long as the block, as the ear hears it.
#pragma once

#include "formats/wave.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace sondrel {

// A sample's loudness at its own level, or why there is none ("silent", or why it could not
// be read).
struct SampleLoudness {
    std::optional<double> lufs;
    std::string why;
};

// The loudness of the sound in `wave`; nothing, with "silent", for a silent one.
SampleLoudness MeasureLoudness(const PcmWave& wave);
// The same for a sample's file; a file that is no WAV Sondrel plays gives its failure's words.
SampleLoudness MeasureSampleFile(const std::filesystem::path& file);

// The loudness heard at a volume as Play plays it (a linear gain: 100 and 101 full, 50 half):
// the sample's loudness plus 20 log10 of the gain; nothing at volume 0.
std::optional<double> LoudnessAtVolume(double lufs, int volume);

// The volume at which a sample of `lufs` plays nearest to `target`: `reached` is false where
// it is held, at 100 for a sample too quiet even at full volume, at 1 for a target below what
// volume 1 gives (0 would not be heard at all).
struct VolumeForLoudness {
    int volume = 0;
    bool reached = false;
};
VolumeForLoudness VolumeFor(double lufs, double target);

// Loudness measured once per file: kept by path, size and modification time, measured again
// where either changes.
class LoudnessCache {
public:
    const SampleLoudness& measure(const std::filesystem::path& file);

private:
    struct Kept {
        std::uintmax_t size = 0;
        std::filesystem::file_time_type time;
        SampleLoudness loudness;
    };
    std::map<std::filesystem::path, Kept> kept_;
};

} // namespace sondrel
