// The sample-list reader on any text and count, and the writer's promise: every list of names
// the reader produces, with what followed them, is written so that it reads back the same.
#include "formats/sample_list.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes choose the count, from -2 to 65533.
    const std::int32_t count = static_cast<std::int32_t>(data[0] | (data[1] << 8)) - 2;
    const std::string text(reinterpret_cast<const char*>(data + 2), size - 2);
    try {
        const sondrel::SampleNames names = sondrel::ParseSampleNames(text, count, "fuzz.sam");
        const std::string written = sondrel::SerializeSampleNames(names, count);
        if (!(sondrel::ParseSampleNames(written, count, "fuzz.sam") == names) ||
            !(sondrel::ViewSampleNames(text, count, "fuzz.sam") == names)) {
            __builtin_trap();
        }
    } catch (const sondrel::Failure&) {
        // refused: nothing to write
    }
    return 0;
}
