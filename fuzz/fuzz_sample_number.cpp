// The sample-number extraction and the series test on any name.
#include "logic/sample_name.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view name(reinterpret_cast<const char*>(data), size);
    const auto number = sondrel::ExtractSampleNumber(name);
    if (number && size < 11) {
        __builtin_trap(); // no name shorter than 11 characters has a number
    }
    (void)sondrel::HasSeriesPrefix(name);
    return 0;
}
