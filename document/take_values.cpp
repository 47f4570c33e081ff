#include "document/take_values.h"

#include "formats/sample_search.h"
#include "logic/flags.h"

#include <optional>
#include <unordered_map>

namespace sondrel {
namespace {

// The flag bits a take carries: P, V, N and the loop mode.
constexpr std::uint16_t kTakenFlags = kFlagV | kFlagP | kFlagN | kLoopModeMask;

// The key of a detail's first sample, where the sample list names one.
std::optional<std::u32string> FirstSampleKey(const SoundDetail& detail, const SampleNames& names) {
    const std::vector<DetailSample> samples = SamplesOfDetail(detail, names);
    if (samples.empty() || !samples.front().Name) {
        return std::nullopt;
    }
    return SampleNameKey(*samples.front().Name);
}

// Counted in words: "1 sound", "2 sounds".
std::string Counted(int count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

SoundDetail TakeBits(const SoundDetail& into, const SoundDetail& from, const TakenValues& values) {
    SoundDetail taken = into;
    for (const FieldInfo& field : kEditFields) {
        if (values[static_cast<std::size_t>(field.field)]) {
            const std::uint8_t bits = field.shownBits;
            taken.*field.byte =
                static_cast<std::uint8_t>((into.*field.byte & ~bits) | (from.*field.byte & bits));
        }
    }
    if (values[static_cast<std::size_t>(TakenValue::Flags)]) {
        taken.Flags =
            static_cast<std::uint16_t>((into.Flags & ~kTakenFlags) | (from.Flags & kTakenFlags));
    }
    return taken;
}

TakePlan PlanTake(const OpenTable& open, const std::vector<int>& positions,
                  const ValueSource& source, const TakenValues& values) {
    // What each first sample there gives: one detail's bits, or nothing where several differ.
    std::unordered_map<std::u32string, std::optional<SoundDetail>> given;
    for (const SoundListEntry& entry : source.list) {
        const SoundDetail& detail = source.table.Details[entry.detail()];
        if (const std::optional<std::u32string> key = FirstSampleKey(detail, source.sampleNames)) {
            const SoundDetail bits = TakeBits({}, detail, values);
            const auto [at, added] = given.try_emplace(*key, bits);
            if (!added && at->second && !(*at->second == bits)) {
                at->second.reset();
            }
        }
    }
    std::vector<int> asked = positions;
    if (asked.empty()) {
        for (std::size_t at = 0; at < open.list().size(); ++at) {
            asked.push_back(static_cast<int>(at));
        }
    }
    TakePlan plan;
    for (const int position : asked) {
        const SoundListEntry& entry = open.list()[static_cast<std::size_t>(position)];
        const SoundDetail& detail = open.table().Details[entry.detail()];
        ++plan.considered;
        const std::optional<std::u32string> key = FirstSampleKey(detail, open.sampleNames());
        const auto found = key ? given.find(*key) : given.end();
        if (found == given.end()) {
            ++plan.unmatched;
        } else if (!found->second) {
            plan.ambiguous.push_back(entry.Text);
        } else {
            ++plan.matched;
            const SoundDetail after = TakeBits(detail, *found->second, values);
            if (!(after == detail)) {
                plan.changes.push_back({entry.detail(), detail, after});
            }
        }
    }
    return plan;
}

std::string TakePlan::words(const std::string& source) const {
    std::string words = "Of " + Counted(considered, "sound", "sounds") + ", " +
                        std::to_string(matched) + (matched == 1 ? " matches" : " match") +
                        " a sound of " + source + ", " + std::to_string(changes.size()) +
                        " of which would change; " + std::to_string(unmatched) +
                        (unmatched == 1 ? " has" : " have") + " no match";
    if (!ambiguous.empty()) {
        const bool one = ambiguous.size() == 1;
        words += "; " + std::to_string(ambiguous.size()) + (one ? " matches" : " match") +
                 " several sounds there whose values differ and " +
                 (one ? "is left as it is: " : "are left as they are: ");
        for (std::size_t i = 0; i < ambiguous.size(); ++i) {
            words += (i == 0 ? "" : ", ") + ambiguous[i];
        }
    }
    return words;
}

std::string TakenWords(const TakenValues& values) {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kTakenValues; ++i) {
        if (values[i]) {
            names.emplace_back(kTakenValueNames[i]);
        }
    }
    std::string words;
    for (std::size_t i = 0; i < names.size(); ++i) {
        words += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
    }
    return words;
}

} // namespace sondrel
