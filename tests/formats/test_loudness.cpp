#include "formats/loudness.h"
#include "tests/support/test_files.h"
#include "tools/wave_file.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace sondrel;
using namespace sondrel::testing;

namespace {

// A 1 kHz sine of `seconds` at `amplitude` of full scale.
Bytes Tone(int bits, int channels, double seconds, double amplitude, int rate = 48000) {
    return MakePcmWave(rate, bits, channels, seconds, [=](double t) {
        return amplitude * std::sin(2 * std::numbers::pi * 1000 * t);
    });
}

} // namespace

TEST(MeasureLoudness, readsTonesOfKnownLevelAndMeasuresAShortSampleInAWholeBlock) {
    // A full-scale 1 kHz sine in one channel reads -3.01 LUFS; in two, 3.01 dB louder; half
    // the amplitude 6.02 dB quieter; 100 ms of it, heard in a 400 ms block, 6.02 dB quieter
    // (also at 11,025 Hz, whose 100 ms are no whole number of frames).
    const struct {
        int bits, channels;
        double seconds, amplitude, lufs;
        int rate = 48000;
    } tones[] = {
        {16, 1, 1.0, 1.0, -3.01},   {16, 2, 1.0, 1.0, 0.0},         {8, 1, 1.0, 1.0, -3.01},
        {16, 1, 1.0, 0.5, -9.03},   {16, 1, 0.1, 1.0, -9.03},       {16, 1, 0.4, 1.0, -3.01},
        {16, 2, 2.5, 0.25, -12.04}, {8, 2, 0.1, 1.0, -6.02, 11025},
    };
    for (const auto& tone : tones) {
        const SampleLoudness measured = MeasureLoudness(
            ParsePcmWave(Tone(tone.bits, tone.channels, tone.seconds, tone.amplitude, tone.rate)));
        ASSERT_TRUE(measured.lufs) << measured.why;
        EXPECT_NEAR(*measured.lufs, tone.lufs, 0.1) // 8 bits reach only 127/128
            << tone.bits << " bits, " << tone.channels << " channels, " << tone.seconds << " s, "
            << tone.amplitude;
    }
    for (const int bits : {8, 16}) {
        EXPECT_EQ(MeasureLoudness(ParsePcmWave(Tone(bits, 1, 0.5, 0))).why, "silent");
    }
    TempDir dir;
    EXPECT_NE(MeasureSampleFile(dir / "none.wav").why.find("Cannot open"), std::string::npos)
        << MeasureSampleFile(dir / "none.wav").why;
}

TEST(LoudnessAtVolume, followsPlaysGainAndVolumeForFindsEveryVolumeAgain) {
    EXPECT_DOUBLE_EQ(*LoudnessAtVolume(-3, 100), -3);
    EXPECT_DOUBLE_EQ(*LoudnessAtVolume(-3, 101), -3);
    EXPECT_NEAR(*LoudnessAtVolume(-3, 50), -9.0206, 1e-4);
    EXPECT_EQ(LoudnessAtVolume(-3, 0), std::nullopt);
    for (const double lufs : {-40.0, -3.0}) {
        for (int volume = 1; volume <= 100; ++volume) {
            const VolumeForLoudness found = VolumeFor(lufs, *LoudnessAtVolume(lufs, volume));
            ASSERT_EQ(found.volume, volume) << lufs;
            ASSERT_TRUE(found.reached) << volume;
        }
        // Beyond full gain, and below what volume 1 gives: held at the nearest.
        EXPECT_EQ(VolumeFor(lufs, lufs + 0.1).volume, 100);
        EXPECT_FALSE(VolumeFor(lufs, lufs + 0.1).reached);
        EXPECT_EQ(VolumeFor(lufs, lufs - 47).volume, 1);
        EXPECT_FALSE(VolumeFor(lufs, lufs - 47).reached);
    }
}

TEST(LoudnessCache, measuresAgainOnlyAFileThatChanged) {
    TempDir dir;
    WriteAll(dir / "a.wav", Tone(16, 1, 1, 1));
    LoudnessCache cache;
    const double first = *cache.measure(dir / "a.wav").lufs;
    WriteAll(dir / "a.wav", Tone(16, 1, 1, 0.5)); // the same size: the time tells
    std::filesystem::last_write_time(
        dir / "a.wav", std::filesystem::last_write_time(dir / "a.wav") + std::chrono::seconds(2));
    EXPECT_NEAR(*cache.measure(dir / "a.wav").lufs, first - 6.02, 0.05);
    WriteAll(dir / "a.wav", Tone(16, 1, 2, 1)); // another size
    EXPECT_NEAR(*cache.measure(dir / "a.wav").lufs, first, 0.05);
}
