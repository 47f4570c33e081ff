#include "logic/sound_columns.h"

#include "logic/digits.h"
#include "logic/flags.h"
#include "logic/units.h"

#include <algorithm>
#include <array>

namespace sondrel {
namespace {

// The 8-bit names are Latin-1: its capitals, A to Z and À to Þ less ×, fold to small letters.
unsigned char Folded(char c) {
    const auto byte = static_cast<unsigned char>(c);
    const bool capital =
        (byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7);
    return capital ? static_cast<unsigned char>(byte + 0x20) : byte;
}

// Names compared as a designer reads them: "Sound 9" before "Sound 12", "door" beside "Door".
int CompareNames(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            const std::size_t startA = i;
            const std::size_t startB = j;
            while (i < a.size() && IsDigit(a[i])) {
                ++i;
            }
            while (j < b.size() && IsDigit(b[j])) {
                ++j;
            }
            std::string_view runA = a.substr(startA, i - startA);
            std::string_view runB = b.substr(startB, j - startB);
            runA.remove_prefix(std::min(runA.find_first_not_of('0'), runA.size()));
            runB.remove_prefix(std::min(runB.find_first_not_of('0'), runB.size()));
            if (runA.size() != runB.size()) {
                return runA.size() < runB.size() ? -1 : 1;
            }
            if (const int order = runA.compare(runB); order != 0) {
                return order;
            }
            continue;
        }
        if (Folded(a[i]) != Folded(b[j])) {
            return Folded(a[i]) < Folded(b[j]) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

bool ContainsFolded(std::string_view text, std::string_view needle) {
    return std::search(text.begin(), text.end(), needle.begin(), needle.end(),
                       [](char a, char b) { return Folded(a) == Folded(b); }) != text.end();
}

int ColumnNumber(const SoundDetail& detail, SoundColumn column) {
    const ShownValues shown = ShowDetail(detail);
    switch (column) {
    case SoundColumn::Range:
        return shown.Range;
    case SoundColumn::Volume:
        return shown.Volume;
    case SoundColumn::Pitch:
        return shown.Pitch;
    case SoundColumn::Chance:
        return shown.Chance;
    default:
        return detail.sampleCount();
    }
}

} // namespace

const char* HeadingOf(SoundColumn column) {
    static constexpr std::array<const char*, kSoundColumns> kHeadings = {
        "Sound", "Range",   "Volume", "Pitch",        "Chance",
        "Flags", "Samples", "Slots",  "Sample names", "Loudness"};
    return kHeadings[static_cast<std::size_t>(column)];
}

std::string FlagLetters(std::uint16_t flags, char clear) {
    const FlagColours colours = ColoursForFlags(flags);
    std::string letters;
    for (const FlagInfo& label : kFlagLabels) {
        if (colours.*label.colour == kRed) {
            letters += label.letter;
        } else if (clear != '\0') {
            letters += clear;
        }
    }
    return letters;
}

std::string ColumnText(const SoundListEntry& entry, const SoundDetail& detail,
                       const SampleNames& names, SoundColumn column) {
    switch (column) {
    case SoundColumn::Sound:
        return entry.Text;
    case SoundColumn::Flags:
        return FlagLetters(detail.Flags);
    case SoundColumn::Slots: {
        std::string slots;
        for (const std::int16_t slot : entry.Slots) {
            slots += (slots.empty() ? "" : ", ") + std::to_string(slot);
        }
        return slots;
    }
    case SoundColumn::SampleNames: {
        std::string text;
        for (const DetailSample& sample : SamplesOfDetail(detail, names)) {
            if (sample.Name) { // a damaged table names what there is
                text += (text.empty() ? "" : ", ") + std::string(*sample.Name);
            }
        }
        return text;
    }
    case SoundColumn::Loudness:
        return {};
    default:
        return std::to_string(ColumnNumber(detail, column));
    }
}

std::vector<int> SortedOrder(const std::vector<SoundListEntry>& entries, const SoundTable& table,
                             const SampleNames& names, SoundColumn column, bool descending,
                             const std::vector<std::optional<double>>& loudness) {
    const auto detailOf = [&](int position) -> const SoundDetail& {
        return table.Details[entries[static_cast<std::size_t>(position)].detail()];
    };
    // Negative, zero or positive as entry a comes before, with or after entry b.
    const auto compare = [&](int a, int b) -> int {
        const SoundListEntry& entryA = entries[static_cast<std::size_t>(a)];
        const SoundListEntry& entryB = entries[static_cast<std::size_t>(b)];
        switch (column) {
        case SoundColumn::Sound:
            return CompareNames(entryA.Text, entryB.Text);
        case SoundColumn::Flags:
            return FlagLetters(detailOf(a).Flags).compare(FlagLetters(detailOf(b).Flags));
        case SoundColumn::Slots:
            return entryA.Slots < entryB.Slots ? -1 : entryB.Slots < entryA.Slots ? 1 : 0;
        case SoundColumn::SampleNames:
            return CompareNames(ColumnText(entryA, detailOf(a), names, column),
                                ColumnText(entryB, detailOf(b), names, column));
        case SoundColumn::Loudness: {
            const auto heard = [&](int position) {
                const auto at = static_cast<std::size_t>(position);
                return at < loudness.size() ? loudness[at] : std::nullopt;
            };
            const std::optional<double> heardA = heard(a);
            const std::optional<double> heardB = heard(b);
            return heardA < heardB ? -1 : heardB < heardA ? 1 : 0;
        }
        default:
            return ColumnNumber(detailOf(a), column) - ColumnNumber(detailOf(b), column);
        }
    };
    std::vector<int> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = static_cast<int>(i);
    }
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int order = compare(a, b);
        return descending ? order > 0 : order < 0;
    });
    return order;
}

bool MatchesFilter(const SoundListEntry& entry, const SoundDetail& detail,
                   const SampleNames& sampleNames, std::string_view needle) {
    if (ContainsFolded(entry.Text, needle)) {
        return true;
    }
    for (const std::int16_t slot : entry.Slots) {
        if (std::to_string(slot).find(needle) != std::string::npos) {
            return true;
        }
    }
    for (const DetailSample& sample : SamplesOfDetail(detail, sampleNames)) {
        if (sample.Name && ContainsFolded(*sample.Name, needle)) {
            return true;
        }
    }
    return false;
}

} // namespace sondrel
