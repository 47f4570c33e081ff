// The player over Windows' own audio, winmm's waveOut: the WAV file read by formats/wave.cpp,
// its samples scaled by the volume's gain and handed to Windows as the file holds them (8 or
// 16 bit, mono or stereo, at the sample's own rate), which converts them for the device. It
// needs nothing beyond Windows: no Media Foundation, which Windows' "N" editions lack. A loop
// is the sample queued in several buffers, each queued again as it comes back, so that it
// never runs dry; the window's thread looks at them every 20 ms and is never kept waiting.
#include "player/sample_player.h"

#include "formats/failure.h"
#include "formats/wave.h"

#include <QTimer>

#include <windows.h>

#include <mmsystem.h>

#include <algorithm>
#include <vector>

namespace sondrel {
namespace {

// What a loop keeps queued at least, so that a buffer that comes back between two looks at
// it is queued again before the others have played.
constexpr double kLoopQueueSeconds = 0.2;
constexpr std::size_t kMostBuffers = 64;

class WinmmSamplePlayer : public SamplePlayer {
public:
    WinmmSamplePlayer() {
        QObject::connect(&watch_, &QTimer::timeout, [this] { checkEnd(); });
        watch_.setInterval(20);
    }
    ~WinmmSamplePlayer() override { stop(); }

    void play(const std::filesystem::path& file, double gain, bool loop) override {
        stop();
        PcmWave wave;
        try {
            wave = ReadPcmWave(file);
        } catch (const Failure& failure) {
            fail(failure.what());
            return;
        }
        ApplyGain(wave, gain);
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(wave.Channels);
        format.nSamplesPerSec = static_cast<DWORD>(wave.Rate);
        format.wBitsPerSample = static_cast<WORD>(wave.Bits);
        format.nBlockAlign = static_cast<WORD>(wave.Channels * wave.Bits / 8);
        format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
        if (waveOutGetNumDevs() == 0) {
            fail("this computer has no sound output");
            return;
        }
        const MMRESULT opened = waveOutOpen(&out_, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL);
        if (opened != MMSYSERR_NOERROR) {
            out_ = nullptr;
            fail(opened == MMSYSERR_NODRIVER || opened == MMSYSERR_BADDEVICEID
                     ? "this computer has no sound output"
                     : "the sound system would not take it");
            return;
        }
        pcm_ = std::move(wave.Samples);
        blockAlign_ = format.nBlockAlign;
        loop_ = loop;
        std::size_t buffers = 1;
        if (loop) {
            const double seconds = static_cast<double>(pcm_.size()) / format.nAvgBytesPerSec;
            buffers = std::clamp<std::size_t>(
                static_cast<std::size_t>(kLoopQueueSeconds / seconds) + 2, 2, kMostBuffers);
        }
        headers_.assign(buffers, WAVEHDR{});
        for (WAVEHDR& header : headers_) {
            header.lpData = reinterpret_cast<LPSTR>(pcm_.data());
            header.dwBufferLength = static_cast<DWORD>(pcm_.size());
            if (waveOutPrepareHeader(out_, &header, sizeof header) != MMSYSERR_NOERROR ||
                waveOutWrite(out_, &header, sizeof header) != MMSYSERR_NOERROR) {
                fail("the sound system would not take it");
                return;
            }
        }
        playing_ = true;
        watch_.start();
    }

    void stop() override {
        playing_ = false;
        watch_.stop();
        if (out_ != nullptr) {
            waveOutReset(out_); // every buffer comes back, done
            for (WAVEHDR& header : headers_) {
                if ((header.dwFlags & WHDR_PREPARED) != 0) {
                    waveOutUnprepareHeader(out_, &header, sizeof header);
                }
            }
            waveOutClose(out_);
            out_ = nullptr;
        }
        headers_.clear();
        pcm_.clear();
    }

    bool playing() const override { return playing_; }

private:
    // A loop queues each buffer that came back again; a sound played once is over when its
    // one buffer is back, played to its last sample. The output stays open until the next
    // sound or stop(), so that what the system's mixer still holds of the end is heard.
    void checkEnd() {
        if (out_ == nullptr || !playing_) {
            return;
        }
        bool done = true;
        for (WAVEHDR& header : headers_) {
            if ((header.dwFlags & WHDR_DONE) == 0) {
                done = false;
            } else if (loop_ && waveOutWrite(out_, &header, sizeof header) != MMSYSERR_NOERROR) {
                fail("the sound system stopped playing it");
                return;
            }
        }
        if (done && !loop_ && playedOut()) {
            playing_ = false;
            watch_.stop();
            if (finished) {
                finished();
            }
        }
    }

    // True once the output has played the sample's last byte, as far as it says.
    bool playedOut() {
        MMTIME played{};
        played.wType = TIME_BYTES;
        if (waveOutGetPosition(out_, &played, sizeof played) != MMSYSERR_NOERROR) {
            return true;
        }
        if (played.wType == TIME_BYTES) {
            return played.u.cb >= pcm_.size();
        }
        if (played.wType == TIME_SAMPLES) {
            return std::uint64_t{played.u.sample} * blockAlign_ >= pcm_.size();
        }
        return true;
    }

    HWAVEOUT out_ = nullptr;
    std::size_t blockAlign_ = 1;
    std::vector<std::uint8_t> pcm_;
    std::vector<WAVEHDR> headers_; // over pcm_, handed to winmm: never moved while it has them
    QTimer watch_;
    bool loop_ = false;
    bool playing_ = false;
};

} // namespace
} // namespace sondrel

// Inside the one Windows program, an ordinary function.
extern "C" sondrel::SamplePlayer* SondrelMakeSamplePlayer() {
    return new sondrel::WinmmSamplePlayer;
}
