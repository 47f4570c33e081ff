// The table reader on any bytes: it parses or refuses a count, never more, and its arrays
// match their counts. Any bytes that read as a table write back as the same bytes: exactly the
// complete table's length of them, the missing ones as zeros.
#include "formats/sound_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sondrel::SoundTable table;
    try {
        table = sondrel::ParseSFX({data, size});
    } catch (const sondrel::Failure&) {
        return 0;
    }
    if (table.Details.size() != static_cast<std::size_t>(std::max(table.NumDetails, 0)) ||
        table.SampleIndices.size() != static_cast<std::size_t>(std::max(table.NumSamples, 0))) {
        __builtin_trap();
    }
    // The byte-exact promise is about the bytes a file holds. A tiny input whose counts ask for
    // megabytes of zeros is the table reader's target's business: here it would only slow
    // the search down.
    if (table.Details.size() * 8 + table.SampleIndices.size() * 4 > 4 * size + 65536) {
        return 0;
    }
    const std::vector<std::uint8_t> written = sondrel::SerializeSFX(table);
    const std::size_t common = std::min(size, written.size());
    if (!std::equal(data, data + common, written.begin()) ||
        !std::all_of(written.begin() + static_cast<std::ptrdiff_t>(common), written.end(),
                     [](std::uint8_t byte) { return byte == 0; })) {
        __builtin_trap();
    }
    if (sondrel::ParseSFX(written) != table) {
        __builtin_trap();
    }
    return 0;
}
