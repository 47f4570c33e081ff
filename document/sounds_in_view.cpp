#include "document/sounds_in_view.h"

#include <algorithm>
#include <cmath>

namespace sondrel {
namespace {

// The names the sample list gives of a detail's samples.
std::vector<std::string_view> NamedSamples(const SoundDetail& detail, const SampleNames& names) {
    std::vector<std::string_view> named;
    for (const DetailSample& sample : SamplesOfDetail(detail, names)) {
        if (sample.Name) {
            named.push_back(*sample.Name);
        }
    }
    return named;
}

// A field's change in words: "the volume", "80% of each volume", "each range plus 10".
std::string ChangeWords(const FieldInfo& field, const FieldChange& change, bool many) {
    const std::string name = std::string(many ? "each " : "the ") + field.name;
    const auto number = std::to_string(static_cast<long long>(change.number));
    switch (change.kind) {
    case FieldChange::Kind::Set:
        break;
    case FieldChange::Kind::Percent:
        return number + "% of " + name;
    case FieldChange::Kind::Plus:
        return name + " plus " + number;
    case FieldChange::Kind::Minus:
        return name + " minus " + number;
    }
    return std::string("the ") + field.name;
}

std::string Joined(const std::vector<std::string>& parts, const char* last) {
    std::string joined;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        joined += (i == 0 ? "" : i + 1 == parts.size() ? last : ", ") + parts[i];
    }
    return joined;
}

// How many sounds' changes were held at an end: "3 held at 0"; with several fields held, each
// named: "the volume: 3 held at 0; the range: 1 held at 31".
std::string HeldWords(const BatchResult& batch, bool many) {
    std::vector<std::string> fields;
    for (const FieldInfo& field : kEditFields) {
        const BatchResult::HeldCount& held = batch.held[static_cast<std::size_t>(field.field)];
        std::vector<std::string> ends;
        for (const auto& [count, at] : {std::pair{held.atLeast, 0}, {held.atMost, field.max}}) {
            if (count > 0) {
                ends.push_back((many ? std::to_string(count) + " " : std::string()) + "held at " +
                               std::to_string(at));
            }
        }
        if (!ends.empty()) {
            fields.push_back(std::string("the ") + field.name + ": " + Joined(ends, ", "));
        }
    }
    if (fields.size() == 1) {
        return "; " + fields.front().substr(fields.front().find(": ") + 2);
    }
    std::string words;
    for (const std::string& field : fields) {
        words += "; " + field;
    }
    return words;
}

} // namespace

std::string PlayChoice::words() const {
    const int heard = static_cast<int>(std::lround(playback.Gain * 100));
    return "Playing " + std::string(sample) + " at volume " + std::to_string(volume) +
           (heard == volume ? ""
                            : ", heard as " + std::to_string(heard) + ", the sample's own level") +
           (playback.Loop ? ", looping until stopped" : "");
}

SoundsInView::SoundsInView(const OpenTable& open, std::vector<int> positions)
    : open_(&open), positions_(std::move(positions)) {
    std::erase_if(positions_, [&](int position) {
        return position < 0 || static_cast<std::size_t>(position) >= open.list().size();
    });
    if (positions_.empty()) {
        return;
    }
    std::vector<EditView> views;
    const std::vector<std::size_t> chosen = details();
    for (const std::size_t detail : chosen) {
        views.push_back(ViewOfDetail(open.table().Details[detail]));
    }
    shown_ = SharedView(views);
    const SoundDetail& first = open.table().Details[chosen.front()];
    const bool sameSamples = std::all_of(chosen.begin(), chosen.end(), [&](std::size_t detail) {
        const SoundDetail& other = open.table().Details[detail];
        return other.Sample == first.Sample && other.sampleCount() == first.sampleCount();
    });
    if (sameSamples) {
        boxNames_ = NamedSamples(first, open.sampleNames());
    }
}

std::vector<std::size_t> SoundsInView::details() const {
    std::vector<std::size_t> details;
    for (const int position : positions_) {
        details.push_back(open_->list()[static_cast<std::size_t>(position)].detail());
    }
    return details;
}

std::vector<std::string> SoundsInView::texts() const {
    std::vector<std::string> texts;
    for (const int position : positions_) {
        texts.push_back(open_->list()[static_cast<std::size_t>(position)].Text);
    }
    return texts;
}

std::optional<PlayChoice> SoundsInView::play(int index, const EditView& now) const {
    if (empty()) {
        return std::nullopt;
    }
    const SoundDetail& first = open_->table().Details[details().front()];
    // The box lists the first sound's samples where it lists any.
    const std::vector<std::string_view> names =
        boxNames_.empty() ? NamedSamples(first, open_->sampleNames()) : boxNames_;
    if (names.empty()) {
        return std::nullopt;
    }
    if (boxNames_.empty() || index < 0 || static_cast<std::size_t>(index) >= names.size()) {
        index = 0;
    }
    const EditResult edited = StoreChanges(first, shown_, now);
    const SoundDetail& played = edited.stored ? edited.detail : first;
    return PlayChoice{names[static_cast<std::size_t>(index)], PlaybackOf(played),
                      ShowDetail(played).Volume};
}

UpdateOutcome SoundsInView::update(const EditView& now) const {
    UpdateOutcome outcome;
    if (empty() || now == shown_) {
        return outcome;
    }
    outcome.batch = StoreIntoAll(open_->table().Details, details(), shown_, now);
    if (outcome.batch.failed) {
        return outcome;
    }
    const bool many = positions_.size() > 1;
    std::vector<std::string> parts;
    for (const FieldInfo& field : kEditFields) {
        if (now.Texts.*field.text != shown_.Texts.*field.text) {
            parts.push_back(
                ChangeWords(field, *ReadFieldChange(field.field, now.Texts.*field.text), many));
        }
    }
    if (now.Colours != shown_.Colours) {
        parts.push_back("the flags");
    }
    outcome.words = "Stored " + Joined(parts, " and ") + " into " +
                    (many ? std::to_string(positions_.size()) + " sounds"
                          : open_->list()[static_cast<std::size_t>(positions_.front())].Text) +
                    HeldWords(outcome.batch, many);
    return outcome;
}

} // namespace sondrel
