// Values taken from another table: a sound of the open table takes the values of the other
// table's sound whose first sample has the same name, as the level editor's file system
// compares names. Only the stored bits of the fields taken change; a sound either list does
// not show neither gives nor takes.
#pragma once

#include "document/open_table.h"

#include <array>
#include <string>
#include <vector>

namespace sondrel {

// What a take may carry over: the four fields, then the flags (P, V, N and the loop mode).
enum class TakenValue { Range, Volume, Pitch, Chance, Flags };
inline constexpr std::size_t kTakenValues = 5;
inline constexpr std::array<const char*, kTakenValues> kTakenValueNames = {
    "range", "volume", "pitch", "chance", "flags"};
using TakenValues = std::array<bool, kTakenValues>;
inline constexpr TakenValues kAllValues = {true, true, true, true, true};

// The sounds of another table that give values: its details, its sample names, and the list of
// what it shows.
struct ValueSource {
    const SoundTable& table;
    const SampleNames& sampleNames;
    const std::vector<SoundListEntry>& list;
};

// What a take would do, before anything is stored.
struct TakePlan {
    int considered = 0; // the sounds listed here that were asked to take values
    int matched = 0;    // those with a sound there to take from (`ambiguous` not among them)
    int unmatched = 0;  // those whose first sample no sound there has
    // Those matching several sounds there whose values differ: left as they are.
    std::vector<std::string> ambiguous;
    std::vector<DetailChange> changes; // of the matched, those whose bytes change

    // The counts in words, in the names' 8-bit text: "Of 12 sounds, 10 match a sound of
    // B.sfx, 4 of which would change; 1 has no match; 1 matches several sounds there whose
    // values differ and is left as it is: KV5 Sound 12 - 45".
    std::string words(const std::string& source) const;
};

// The plan for the list positions `positions` of `open` (every listed sound where empty),
// taking `values` from `source`.
TakePlan PlanTake(const OpenTable& open, const std::vector<int>& positions,
                  const ValueSource& source, const TakenValues& values);

// `into` with the bits of `values` that `from` holds; every other bit as `into` holds it.
SoundDetail TakeBits(const SoundDetail& into, const SoundDetail& from, const TakenValues& values);

// The values taken, in words: "range, volume and flags".
std::string TakenWords(const TakenValues& values);

} // namespace sondrel
