// A sample's WAV file, read as the player hands it on, or refused with why.
#include "formats/wave.h"
#include "tests/support/test_files.h"
#include "tools/wave_file.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace sondrel;
using namespace sondrel::testing;
namespace fs = std::filesystem;

TEST(ParsePcmWave, takesWhatALevelUsesAndSaysWhyOfAnythingElse) {
    const Bytes good = MakePcmWave(11025, 8, 2, 0.01, [](double) { return 0.5; });
    const PcmWave wave = ParsePcmWave(good);
    EXPECT_EQ(wave.Rate, 11025);
    EXPECT_EQ(wave.Bits, 8);
    EXPECT_EQ(wave.Channels, 2);
    EXPECT_EQ(Bytes(wave.Samples.begin(), wave.Samples.begin() + 2), (Bytes{192, 192}));
    EXPECT_EQ(wave.Samples.size(), good.size() - 44);
    const auto why = [](const Bytes& bytes) {
        const std::string failure = FailureOf([&] { ParsePcmWave(bytes); });
        return failure == "no failure" ? "" : failure.substr(std::string("failure 50: ").size());
    };
    // Each a change of the good file: where, what, and why it is refused ("" where it is not).
    const struct {
        std::size_t at;
        Bytes put;
        const char* problem;
    } cases[] = {
        {0, {'R', 'I', 'F', 'X'}, "it is not a WAV file"},
        {8, {'W', 'A', 'V', 'F'}, "it is not a WAV file"},
        {20, {2, 0}, "it is compressed (format 2); Sondrel plays uncompressed (PCM) samples"},
        {22, {6, 0}, "it has 6 channels; Sondrel plays mono and stereo"},
        {34, {24, 0}, "it has 24-bit samples; Sondrel plays 8 and 16 bit"},
        {24, {0xE7, 3, 0, 0}, "its rate of 999 Hz is not one a sound system plays"},
        {24, {1, 0xEE, 2, 0}, "its rate of 192001 Hz is not one a sound system plays"},
        {24, {0xE8, 3, 0, 0}, ""},
        {16, {15, 0, 0, 0}, "its format is damaged"},
        {12, {'d', 'a', 't', 'a'}, "its sound comes before its format"},
        {36, {'j', 'u', 'n', 'k'}, "it holds no sound"},
        {40, {1, 0, 0, 0}, "it holds no sound"}, // less than one frame
        {40, {0xFF, 0xFF, 0xFF, 0xFF}, ""},      // cut short: what there is
    };
    for (const auto& c : cases) {
        Bytes bytes = good;
        std::copy(c.put.begin(), c.put.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        EXPECT_EQ(why(bytes), c.problem) << c.at;
    }
    // Chunks before the format, one of odd length, are passed over; truncated files refused.
    Bytes chunked(good.begin(), good.begin() + 12);
    chunked.insert(chunked.end(), {'L', 'I', 'S', 'T', 3, 0, 0, 0, 'a', 'b', 'c', 0});
    chunked.insert(chunked.end(), good.begin() + 12, good.end());
    EXPECT_EQ(why(chunked), "");
    // The extensible form of the format names PCM further on.
    Bytes extensible = good;
    extensible[16] = 40;
    extensible[20] = 0xFE;
    extensible[21] = 0xFF;
    const Bytes more = {22, 0, 8,    0, 4,    0, 0, 0,    1, 0,    0,    0,
                        0,  0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extensible.insert(extensible.begin() + 36, more.begin(), more.end());
    EXPECT_EQ(why(extensible), "");
    for (const std::size_t size : {0, 11, 30, 44}) {
        EXPECT_NE(why(Bytes(good.begin(), good.begin() + size)), "") << size;
    }
    // A file too large, or one that cannot be read, is refused with the same number.
    TempDir dir;
    WriteAll(dir / "large.wav", good);
    fs::resize_file(dir / "large.wav", kMaxWaveBytes + 1);
    EXPECT_EQ(FailureOf([&] { ReadPcmWave(dir / "large.wav"); }),
              "failure 50: it is larger than 64 MiB");
    EXPECT_EQ(FailureNumberOf([&] { ReadPcmWave(dir / "none.wav"); }), "failure 50");
    WriteAll(dir / "good.wav", good);
    EXPECT_EQ(ReadPcmWave(dir / "good.wav").Samples, wave.Samples);
}

TEST(ApplyGain, scalesEverySampleAboutItsSilence) {
    for (const double gain : {0.0, 0.25, 0.5, 1.0}) {
        PcmWave eight{8000, 8, 1, Bytes(256)};
        PcmWave sixteen{8000, 16, 2, Bytes(2 * 65536)};
        for (int value = 0; value < 65536; ++value) {
            eight.Samples[static_cast<std::size_t>(value % 256)] = static_cast<std::uint8_t>(value);
            sixteen.Samples[2 * static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(value);
            sixteen.Samples[2 * static_cast<std::size_t>(value) + 1] =
                static_cast<std::uint8_t>(value >> 8);
        }
        ApplyGain(eight, gain);
        ApplyGain(sixteen, gain);
        for (int value = 0; value < 65536; ++value) {
            const auto at = static_cast<std::size_t>(value);
            const auto signedValue = static_cast<std::int16_t>(value);
            const int heard = static_cast<std::int16_t>(sixteen.Samples[2 * at] |
                                                        sixteen.Samples[2 * at + 1] << 8);
            ASSERT_EQ(heard, std::lround(signedValue * gain)) << gain << " " << signedValue;
            if (value < 256) {
                ASSERT_EQ(eight.Samples[at], 128 + std::lround((value - 128) * gain)) << value;
            }
        }
    }
}
