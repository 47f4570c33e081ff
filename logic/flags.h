// The five flag labels keep a sound's flags as their text colour, a colour value with red in
// the lowest byte: red (255) means set, black (0) clear. They start in the system's
// button-text colour, which is neither: such a label counts as clear, and its first click
// turns it black.
#pragma once

#include <array>
#include <cstdint>

namespace sondrel {

using ColourValue = std::uint32_t;

inline constexpr ColourValue kBlack = 0;
inline constexpr ColourValue kRed = 255;
inline constexpr ColourValue kButtonTextColour = 0x80000012; // a system colour
inline constexpr ColourValue kSystemColourBit = 0x80000000;
// Grey: a flag set in some of the selected sounds and clear in others. A click turns it black.
inline constexpr ColourValue kMixed = 0x808080;

inline constexpr std::uint16_t kFlagV = 0x4000;
inline constexpr std::uint16_t kFlagP = 0x2000;
inline constexpr std::uint16_t kFlagN = 0x1000;
inline constexpr std::uint16_t kLoopModeMask = 0x0003;
inline constexpr std::uint16_t kSampleCountMask = 0x007C;

struct FlagColours {
    ColourValue V = kButtonTextColour;
    ColourValue P = kButtonTextColour;
    ColourValue N = kButtonTextColour;
    ColourValue L = kButtonTextColour;
    ColourValue R = kButtonTextColour;

    friend bool operator==(const FlagColours&, const FlagColours&) = default;
};

// Each label, left to right as the window shows them: its letter, its colour, its name for a
// screen reader and what the table says of it.
struct FlagInfo {
    char letter;
    ColourValue FlagColours::*colour;
    const char* name;
    const char* meaning;
};
inline constexpr std::array<FlagInfo, 5> kFlagLabels{{
    {'P', &FlagColours::P, "P flag", "flag bit 13 of the sound"},
    {'V', &FlagColours::V, "V flag", "flag bit 14 of the sound"},
    {'R', &FlagColours::R, "Loop mode R", "loop mode 2; excludes loop mode L"},
    {'L', &FlagColours::L, "Loop mode L", "loop mode 3; excludes loop mode R"},
    {'N', &FlagColours::N, "N flag", "flag bit 12 of the sound"},
}};

// The click of V, P or N: black turns red, any other colour black.
inline void ClickFlag(ColourValue& label) {
    label = label == kBlack ? kRed : kBlack;
}

// The click of L or R, which exclude each other: black turns `label` red and `other` black;
// any other colour turns `label` black and leaves `other` as it is.
inline void ClickLoopFlag(ColourValue& label, ColourValue& other) {
    if (label == kBlack) {
        label = kRed;
        other = kBlack;
    } else {
        label = kBlack;
    }
}

// The colours that show a detail's Flags word: V, P and N from their bits; loop mode 2 lights
// R alone, 1 and 3 light L alone, 0 neither.
FlagColours ColoursForFlags(std::uint16_t flags);

// The Flags word stored from the labels: the sample count kept, every other bit rebuilt. Only
// a colour of exactly 255 counts as set.
std::uint16_t FlagsFromColours(std::uint16_t flags, const FlagColours& colours);

} // namespace sondrel
