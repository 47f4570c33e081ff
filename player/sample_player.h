// Plays one sample at a time: the small interface between the window and the audio library.
// On Linux the player lives in a module of its own (audio/sondrel-audio.so beside the program),
// loaded at the first Play, so that starting the window loads nothing of the audio stack;
// the Windows build, one program, has it inside.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace sondrel {

class SamplePlayer {
public:
    virtual ~SamplePlayer() = default;

    // Starts playing a WAV file at `gain` (0 silent, 1 full, linear), over and over until
    // stop() when `loop`; returns at once, whatever played before stopped.
    virtual void play(const std::filesystem::path& file, double gain, bool loop) = 0;
    // Stops what plays; `finished` is not called.
    virtual void stop() = 0;
    // From play() until the sound ends, fails or is stopped.
    virtual bool playing() const = 0;

    // Called in the window's thread when a sound has played to its end, or when the library
    // cannot play the file (`failed`, with why in words).
    std::function<void()> finished;
    std::function<void(const std::string& why)> failed;

protected:
    // Stops, and says why through `failed`.
    void fail(const std::string& why) {
        stop();
        if (failed) {
            failed(why);
        }
    }
};

} // namespace sondrel

// The module's one entry point: a new player, owned by the caller. It and what it plays
// must be gone before the application object is.
extern "C" sondrel::SamplePlayer* SondrelMakeSamplePlayer();
