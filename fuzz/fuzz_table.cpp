// The table reader on any bytes: it parses or refuses a count, never more.
#include "formats/sound_table.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const sondrel::SoundTable table = sondrel::ParseSFX({data, size});
        if (table.Details.size() !=
                static_cast<std::size_t>(table.NumDetails > 0 ? table.NumDetails : 0) ||
            table.SampleIndices.size() !=
                static_cast<std::size_t>(table.NumSamples > 0 ? table.NumSamples : 0)) {
            __builtin_trap(); // the arrays always match their counts
        }
    } catch (const sondrel::Failure&) {
    }
    return 0;
}
