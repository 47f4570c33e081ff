// How loud the sounds are heard: the list's Loudness column, measured in the background, and
// "Match loudness", which sets the volumes of the sounds picked by it.
#include "editor/prompts.h"
#include "editor/sondrel.h"
#include "editor/sound_list_box.h"

#include <cmath>

namespace sondrel {
namespace {

// How long a round measures before the status line says how far it is, and how often after.
constexpr qint64 kProgressAfterMs = 500;

} // namespace

void Sondrel::measureLoudness() {
    SndLst->sounds()->forgetLoudness();
    std::vector<LoudnessMeasurer::Request> requests;
    for (const SoundListEntry& entry : open_.list()) {
        requests.push_back({entry.detail(), FirstSampleName(open_.table().Details[entry.detail()],
                                                            open_.sampleNames())});
    }
    toMeasure_ = requests.size();
    measured_ = 0;
    saidProgress_ = false;
    measuringFor_.start();
    measuring_ = measurer_.measure(std::move(requests), sampleFolders());
}

void Sondrel::loudnessMeasured(const LoudnessMeasurer::Result& result) {
    if (result.round != measuring_) {
        return; // of a list since replaced
    }
    SndLst->sounds()->setLoudness(result.detail, result.loudness);
    ++measured_;
    if (measured_ == toMeasure_) {
        if (saidProgress_) {
            showStatus(QStringLiteral("Measured the loudness of %1 sounds").arg(measured_));
        }
    } else if (measuringFor_.elapsed() >= kProgressAfterMs) {
        showStatus(QStringLiteral("Measuring the loudness: %1 of %2 sounds")
                       .arg(measured_)
                       .arg(toMeasure_));
        saidProgress_ = true;
        measuringFor_.start();
    }
}

void Sondrel::matchLoudness() {
    const std::vector<int> picked = view_.positions();
    if (picked.empty() || !mayLeaveShownSound()) {
        return;
    }
    if (measured_ < toMeasure_) {
        // Matched now, the sounds not yet measured would keep their volumes unasked.
        showStatus(QStringLiteral("The loudness is being measured (%1 of %2 sounds): Match "
                                  "loudness once it is done")
                       .arg(measured_)
                       .arg(toMeasure_));
        return;
    }
    const SoundListModel* sounds = SndLst->sounds();
    const QModelIndex cursor = SndLst->currentIndex();
    // The sound under the cursor offers its loudness; without one, EBU R128's own target.
    double offered = -23.0;
    QString under;
    if (const std::optional<double> heard =
            cursor.isValid() ? sounds->heardLoudness(sounds->positionAt(cursor.row()))
                             : std::nullopt) {
        offered = std::round(heard.value() * 10.0) / 10.0;
        under =
            QStringLiteral(" (the sound under the cursor plays at %1)").arg(LoudnessText(offered));
    }
    const QString count = picked.size() == 1
                              ? QStringLiteral("the sound picked")
                              : QStringLiteral("the %1 sounds picked").arg(picked.size());
    const std::optional<double> target = prompts_.askLoudness(
        this, QStringLiteral("The loudness, in LUFS, at which %1 should play%2:").arg(count, under),
        offered);
    if (!target) {
        return;
    }
    LoudnessMatch match = MatchLoudness(
        open_, picked, [sounds](std::size_t detail) { return sounds->sampleLoudness(detail); },
        *target);
    const std::size_t changed = match.changes.size();
    storeChanges(std::move(match.changes));
    showStatus(QStringLiteral("Set the volume of %1 %2 for %3%4")
                   .arg(changed)
                   .arg(changed == 1 ? QStringLiteral("sound") : QStringLiteral("sounds"))
                   .arg(LoudnessText(*target))
                   .arg(match.unreached > 0
                            ? QStringLiteral("; %1 could not reach it").arg(match.unreached)
                            : QString()));
}

} // namespace sondrel
