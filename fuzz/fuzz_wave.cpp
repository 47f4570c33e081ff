// The WAV reader on any bytes: a sound it takes is whole frames of a kind it plays, taken from
// the bytes given; anything else is refused with a reason.
#include "formats/wave.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string problem;
    const std::optional<sondrel::PcmWave> wave = sondrel::ParsePcmWave({data, size}, problem);
    if (wave ? !problem.empty() || wave->Samples.empty() || wave->Samples.size() > size ||
                   wave->Samples.size() % static_cast<std::size_t>(wave->Channels * wave->Bits / 8)
             : problem.empty()) {
        __builtin_trap();
    }
    return 0;
}
