#include "document/sound_loudness.h"

#include "formats/sample_search.h"

#include <algorithm>
#include <utility>

namespace fs = std::filesystem;

namespace sondrel {

std::optional<std::string> FirstSampleName(const SoundDetail& detail, const SampleNames& names) {
    const std::vector<DetailSample> samples = SamplesOfDetail(detail, names);
    if (samples.empty() || !samples.front().Name) {
        return std::nullopt;
    }
    return std::string(*samples.front().Name);
}

SampleLoudness MeasureNamedSample(const std::optional<std::string>& name,
                                  const std::vector<fs::path>& folders, LoudnessCache& cache) {
    if (!name) {
        return {std::nullopt, "the sample list names no sample of it"};
    }
    const SampleFile file = FindSampleFile(*name, folders);
    switch (file.search) {
    case SampleFile::Search::Found:
        return cache.measure(file.path);
    case SampleFile::Search::Missing:
        return {std::nullopt, "its sample was not found"};
    case SampleFile::Search::Refused:
        break;
    }
    return {std::nullopt, file.why};
}

SampleLoudness FirstSampleLoudness(const SoundDetail& detail, const SampleNames& names,
                                   const std::vector<fs::path>& folders, LoudnessCache& cache) {
    return MeasureNamedSample(FirstSampleName(detail, names), folders, cache);
}

LoudnessMeasurer::LoudnessMeasurer(Deliver deliver) : deliver_(std::move(deliver)) {}

LoudnessMeasurer::~LoudnessMeasurer() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    if (thread_.joinable()) {
        thread_.join();
    }
}

unsigned LoudnessMeasurer::measure(std::vector<Request> requests, std::vector<fs::path> folders) {
    std::reverse(requests.begin(), requests.end()); // taken from the back, in the list's order
    unsigned round = 0;
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(requests);
        folders_ = std::move(folders);
        round = ++round_;
    }
    if (!thread_.joinable()) {
        thread_ = std::thread([this] { run(); });
    }
    wake_.notify_one();
    return round;
}

void LoudnessMeasurer::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        if (stopping_) {
            return;
        }
        const Request request = std::move(pending_.back());
        pending_.pop_back();
        const std::vector<fs::path> folders = folders_;
        const unsigned round = round_;
        lock.unlock();
        Result result{round, request.detail, MeasureNamedSample(request.sample, folders, cache_)};
        deliver_(std::move(result));
        lock.lock();
    }
}

LoudnessMatch MatchLoudness(const OpenTable& open, const std::vector<int>& positions,
                            const std::function<std::optional<double>(std::size_t)>& lufsOf,
                            double target) {
    LoudnessMatch match;
    for (const int position : positions) {
        const std::size_t index = open.list()[static_cast<std::size_t>(position)].detail();
        const SoundDetail& detail = open.table().Details[index];
        const std::optional<double> lufs = lufsOf(index);
        if (!lufs) {
            ++match.unreached;
            continue;
        }
        const VolumeForLoudness volume = VolumeFor(*lufs, target);
        match.unreached += volume.reached ? 0 : 1;
        const EditView shown = ViewOfDetail(detail);
        if (shown.Texts.Volume == "101" && volume.volume == 100) {
            continue; // 101 plays at full volume already
        }
        EditView now = shown;
        now.Texts.Volume = std::to_string(volume.volume);
        const EditResult stored = StoreChanges(detail, shown, now);
        if (!(stored.detail == detail)) {
            match.changes.push_back({index, detail, stored.detail});
        }
    }
    return match;
}

} // namespace sondrel
