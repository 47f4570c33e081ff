// The player over Qt Multimedia's QAudioSink, on Linux: the WAV file read by formats/wave.cpp,
// its PCM handed to the system's sound output as it is (PulseAudio converts the rate), at a
// linear volume. After the sound comes silence until the output has played the
// sound's last sample out of its buffer, so that no end is cut off, as stopping at once would.
#include "player/sample_player.h"

#include "formats/failure.h"
#include "formats/wave.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <memory>

namespace sondrel {
namespace {

// The sample's PCM, once or over and over, and silence after it: the sink never runs dry.
class PcmSource : public QIODevice {
public:
    PcmSource(std::vector<std::uint8_t> pcm, bool loop, char silence)
        : pcm_(std::move(pcm)), loop_(loop), silence_(silence) {
        open(QIODevice::ReadOnly);
    }

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override { return 1 << 20; } // as much as is asked for

protected:
    qint64 readData(char* data, qint64 length) override {
        auto left = static_cast<std::size_t>(length);
        while (left > 0) {
            if (at_ == pcm_.size() && loop_) {
                at_ = 0;
            }
            if (at_ == pcm_.size()) {
                std::memset(data, silence_, left);
                break;
            }
            const std::size_t part = std::min(left, pcm_.size() - at_);
            std::memcpy(data, pcm_.data() + at_, part);
            at_ += part;
            data += part;
            left -= part;
        }
        return length;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::vector<std::uint8_t> pcm_;
    std::size_t at_ = 0;
    bool loop_;
    char silence_;
};

class QtSamplePlayer : public SamplePlayer {
public:
    QtSamplePlayer() {
        QObject::connect(&watch_, &QTimer::timeout, [this] { checkEnd(); });
        watch_.setInterval(20);
    }
    ~QtSamplePlayer() override { stop(); }

    void play(const std::filesystem::path& file, double gain, bool loop) override {
        stop();
        std::optional<PcmWave> wave;
        try {
            wave = ReadPcmWave(file);
        } catch (const Failure& failure) {
            fail(failure.what());
            return;
        }
        QAudioFormat format;
        format.setSampleRate(wave->Rate);
        format.setChannelCount(wave->Channels);
        format.setSampleFormat(wave->Bits == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
        const QAudioDevice device = QMediaDevices::defaultAudioOutput();
        if (device.isNull()) {
            fail("this computer has no sound output");
            return;
        }
        sounding_ = format.durationForBytes(static_cast<qint32>(wave->Samples.size()));
        loop_ = loop;
        source_ = std::make_unique<PcmSource>(std::move(wave->Samples), loop,
                                              wave->Bits == 8 ? char(0x80) : char(0));
        sink_ = std::make_unique<QAudioSink>(device, format);
        sink_->setVolume(std::clamp(gain, 0.0, 1.0));
        sink_->start(source_.get()); // the server pulls the sound as it plays it
        playing_ = true;
        watch_.start();
        checkEnd();
    }

    void stop() override {
        playing_ = false;
        watch_.stop();
        if (sink_) {
            sink_->stop();
            sink_.reset();
        }
        source_.reset();
    }

    bool playing() const override { return playing_; }

private:
    // The sound is over once the sink has taken it and a buffer of silence after it.
    void checkEnd() {
        if (!sink_) {
            return;
        }
        if (sink_->error() != QAudio::NoError) {
            fail(sink_->error() == QAudio::OpenError ? "the sound system would not take it"
                                                     : "the sound system stopped playing it");
            return;
        }
        const qint64 buffer = sink_->format().durationForBytes(sink_->bufferSize());
        if (!loop_ && sink_->processedUSecs() >= sounding_ + buffer) {
            stop();
            if (finished) {
                finished();
            }
        }
    }

    std::unique_ptr<PcmSource> source_;
    std::unique_ptr<QAudioSink> sink_; // reads source_: goes first
    QTimer watch_;
    qint64 sounding_ = 0; // the sample's length, in microseconds
    bool loop_ = false;
    bool playing_ = false;
};

} // namespace
} // namespace sondrel

// Exported from the module.
extern "C" Q_DECL_EXPORT sondrel::SamplePlayer* SondrelMakeSamplePlayer() {
    return new sondrel::QtSamplePlayer;
}
