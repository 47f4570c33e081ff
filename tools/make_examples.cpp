// Makes the example set: city.sfx with its sample list city.sam, a few of the samples it
// names (generated tones and noise, so that Play has something to play), and an object name
// database KV4Objects.dat for the program's folder.
//
// The table mixes what a designer meets in a real level: sounds taken over from each of the
// series' other games, native sounds, a detail that several slots share, one that no slot
// uses, a series name without a number, and sounds with one to three samples.
//
//   make_examples EXAMPLES_FOLDER PROGRAM_FOLDER
#include "formats/object_names.h"
#include "formats/safe_save.h"
#include "formats/sample_list.h"
#include "formats/sound_table.h"
#include "tools/object_database.h"
#include "tools/wave_file.h"

#include <cmath>
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

using namespace sondrel;
namespace fs = std::filesystem;

namespace {

struct ExampleSound {
    std::vector<std::string> samples;
    std::vector<int> slots;
    std::uint8_t volume, radius, chance, pitch;
    std::uint16_t flags; // without the sample count
};

const std::vector<ExampleSound> kSounds = {
    {{"KV5 Sound 12.wav"}, {45}, 250, 12, 0, 126, 0x0000},
    {{"KV3 Sound 45-bell.wav", "KV3 Sound 46-bell.wav"}, {12, 13}, 200, 20, 10, 100, 0x4001},
    {{"Waterfall loop.wav"}, {3}, 180, 31, 0, 126, 0x0003},
    {{"KV1 Sound 007.wav"}, {60}, 128, 8, 40, 63, 0x2000},
    {{"KV2 Sound ab.wav"}, {61}, 100, 5, 0, 126, 0x1000},
    {{"Crow caw 1.wav", "Crow caw 2.wav", "Crow caw 3.wav"}, {120}, 160, 16, 120, 126, 0x0000},
    {{"KV5 Sound 301.wav", "KV5 Sound 302.wav"}, {7, 9, 200}, 254, 24, 0, 127, 0x6002},
    {{"KV5 Sound 88.wav"}, {}, 90, 10, 0, 126, 0x0000}, // no slot uses it
    {{"Torch crackle.wav"}, {121}, 60, 4, 0, 126, 0x0001},
    {{"KV3 Sound 17.wav"}, {250}, 210, 14, 200, 110, 0x5000},
    {{"KV1 Sound 5 .wav"}, {251}, 40, 2, 0, 90, 0x0000},
    {{"Mill wheel.wav"}, {0}, 230, 28, 0, 126, 0x0003},
    {{"KV2 Sound 64.wav", "KV2 Sound 65.wav"}, {252}, 150, 18, 60, 120, 0x2002},
    {{"KV5 Sound 1000.wav"}, {369}, 8, 1, 4, 5, 0x7003},
};

const char* const kObjectNames[] = {
    "Mill wheel",   "Wind in trees", "Crickets",     "Waterfall",     "Campfire",
    "Rain on roof", "Thunder",       "Market crowd", "Blacksmith",    "Church bell",
    "Owl",          "Wolf howl",     "Sea waves",    "Gulls",         "Creaking ship",
    "Tavern",       "Forge bellows", "Chickens",     "Dripping cave", "Lava bubbling",
};

// Samples of each kind a level uses: 8 and 16 bit, mono and stereo, 11,025 to 44,100 Hz.
struct ExampleSample {
    const char* name;
    int rate, bits, channels;
    double seconds;
    double (*wave)(double t);
};

constexpr double kTau = 6.283185307179586;

const ExampleSample kSamples[] = {
    {"KV5 Sound 12.wav", 22050, 16, 1, 0.5,
     [](double t) { return 0.5 * std::sin(kTau * 440 * t) * std::exp(-4 * t); }},
    {"KV3 Sound 45-bell.wav", 44100, 16, 2, 0.6,
     [](double t) {
         return 0.4 * std::exp(-3 * t) *
                (std::sin(kTau * 660 * t) + 0.5 * std::sin(kTau * 1580 * t));
     }},
    {"Waterfall loop.wav", 11025, 8, 1, 1.0,
     [](double t) { // a rushing that repeats without a click: whole periods in the second
         return 0.25 * (std::sin(kTau * 97 * t) * std::sin(kTau * 1013 * t) +
                        std::sin(kTau * 211 * t) * 0.5);
     }},
    {"Crow caw 1.wav", 11025, 8, 2, 0.3,
     [](double t) {
         return 0.6 * std::sin(kTau * (700 - 900 * t) * t) * std::sin(kTau * 1.6 * t);
     }},
};

ObjectDatabase MakeObjectDatabase() {
    ObjectDatabase database;
    // Sections the editor passes over, with a little of everything.
    database.skipped = {
        {{"tree.obj", "rock.obj"}, {}, {"house"}, {"mill", "bridge"}, {}, {"well"}}};
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const std::size_t kinds = std::size(kObjectNames);
        const std::string name = kObjectNames[static_cast<std::size_t>(slot) % kinds];
        database.names.push_back(static_cast<std::size_t>(slot) < kinds
                                     ? name
                                     : name + " " + std::to_string(slot / kinds + 1));
    }
    return database;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_examples EXAMPLES_FOLDER PROGRAM_FOLDER\n");
        return 2;
    }
    try {
        const fs::path examples = argv[1];
        const fs::path program = argv[2];
        fs::create_directories(examples);
        fs::create_directories(program);

        SoundTable table;
        table.SoundMap.fill(-1);
        std::vector<std::string> names;
        for (const ExampleSound& sound : kSounds) {
            const auto detail = static_cast<std::int16_t>(table.Details.size());
            table.Details.push_back(
                {.Sample = static_cast<std::int16_t>(names.size()),
                 .Volume = sound.volume,
                 .Radius = sound.radius,
                 .Chance = sound.chance,
                 .Pitch = sound.pitch,
                 .Flags = static_cast<std::uint16_t>(sound.flags | (sound.samples.size() * 4))});
            names.insert(names.end(), sound.samples.begin(), sound.samples.end());
            for (const int slot : sound.slots) {
                table.SoundMap[static_cast<std::size_t>(slot)] = detail;
            }
        }
        table.NumDetails = static_cast<std::int32_t>(table.Details.size());
        table.NumSamples = static_cast<std::int32_t>(names.size());
        for (std::size_t k = 0; k < names.size(); ++k) {
            table.SampleIndices.push_back(static_cast<std::int32_t>(1000 + k));
        }

        WriteSFX(examples / "city.sfx", table);
        WriteSampleNames(examples / "city.sam", SampleNames(names), table.NumSamples);
        for (const ExampleSample& sample : kSamples) {
            SaveSafely(examples / sample.name,
                       MakePcmWave(sample.rate, sample.bits, sample.channels, sample.seconds,
                                   sample.wave));
        }
        SaveSafely(program / kObjectDatabaseName, MakeObjectDatabase().bytes());
    } catch (const std::exception& error) {
        std::fprintf(stderr, "make_examples: %s\n", error.what());
        return 1;
    }
    return 0;
}
