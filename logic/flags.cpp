#include "logic/flags.h"

namespace sondrel {

FlagColours ColoursForFlags(std::uint16_t flags) {
    auto lit = [](bool set) { return set ? kRed : kBlack; };
    const int loopMode = flags & kLoopModeMask;
    FlagColours colours;
    colours.V = lit(flags & kFlagV);
    colours.P = lit(flags & kFlagP);
    colours.N = lit(flags & kFlagN);
    colours.L = lit(loopMode == 1 || loopMode == 3);
    colours.R = lit(loopMode == 2);
    return colours;
}

std::uint16_t FlagsFromColours(std::uint16_t flags, const FlagColours& colours) {
    std::uint16_t stored = flags & kSampleCountMask;
    const struct {
        ColourValue colour;
        std::uint16_t bits;
    } labels[] = {{colours.V, kFlagV},
                  {colours.P, kFlagP},
                  {colours.N, kFlagN},
                  {colours.L, 0x0003},
                  {colours.R, 0x0002}};
    for (const auto& label : labels) {
        if (label.colour == kRed) {
            stored = static_cast<std::uint16_t>(stored | label.bits);
        }
    }
    return stored;
}

} // namespace sondrel
