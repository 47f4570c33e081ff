// How loud the listed sounds are heard: each one's first sample found as Play finds it and
// measured, on a thread of its own for the window so that a long list never holds it up; and
// "Match loudness", the volume at which each plays as loud as asked.
#pragma once

#include "document/open_table.h"
#include "formats/loudness.h"

#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace sondrel {

// The name of a detail's first sample, where the sample list holds one.
std::optional<std::string> FirstSampleName(const SoundDetail& detail, const SampleNames& names);

// The loudness at its own level of the sample named `name` (a sound's first), found in
// `folders`; nothing, with why, where there is no name, it cannot be found or read, or is
// silent.
SampleLoudness MeasureNamedSample(const std::optional<std::string>& name,
                                  const std::vector<std::filesystem::path>& folders,
                                  LoudnessCache& cache);

// The same for a detail's first sample.
SampleLoudness FirstSampleLoudness(const SoundDetail& detail, const SampleNames& names,
                                   const std::vector<std::filesystem::path>& folders,
                                   LoudnessCache& cache);

// Measures on a thread of its own, started at the first request and stopped, after the sample
// it is measuring, when it goes.
class LoudnessMeasurer {
public:
    // A detail, and its first sample's name.
    struct Request {
        std::size_t detail = 0;
        std::optional<std::string> sample;
    };
    // One detail measured, of the round that asked for it.
    struct Result {
        unsigned round = 0;
        std::size_t detail = 0;
        SampleLoudness loudness;
    };
    // Called on the measuring thread, once a sample is measured.
    using Deliver = std::function<void(Result)>;

    explicit LoudnessMeasurer(Deliver deliver);
    ~LoudnessMeasurer();
    LoudnessMeasurer(const LoudnessMeasurer&) = delete;
    LoudnessMeasurer& operator=(const LoudnessMeasurer&) = delete;

    // Measures these, in place of what an earlier round had left; returns the new round's
    // number. Files measured before, unchanged, are not read again.
    unsigned measure(std::vector<Request> requests, std::vector<std::filesystem::path> folders);

private:
    void run();

    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::vector<Request> pending_; // the last one first measured
    std::vector<std::filesystem::path> folders_;
    unsigned round_ = 0;
    bool stopping_ = false;
    LoudnessCache cache_; // the measuring thread's alone
    std::thread thread_;
};

// "Match loudness" for the list positions `positions`: each sound's volume set so that it
// plays at `target` LUFS, its first sample's loudness given by `lufsOf(detail)`, held at 1 and
// 100. `unreached` counts those held, and those without a loudness (which keep their volume).
struct LoudnessMatch {
    std::vector<DetailChange> changes;
    int unreached = 0;
};
LoudnessMatch MatchLoudness(const OpenTable& open, const std::vector<int>& positions,
                            const std::function<std::optional<double>(std::size_t)>& lufsOf,
                            double target);

} // namespace sondrel
