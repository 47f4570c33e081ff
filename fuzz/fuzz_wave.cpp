// The WAV reader on any bytes: a sound it takes is whole frames of a kind it plays, taken from
// the bytes given; anything else is refused with a reason.
#include "formats/failure.h"
#include "formats/wave.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const sondrel::PcmWave wave = sondrel::ParsePcmWave({data, size});
        if (wave.Samples.empty() || wave.Samples.size() > size ||
            wave.Samples.size() % static_cast<std::size_t>(wave.Channels * wave.Bits / 8)) {
            __builtin_trap();
        }
    } catch (const sondrel::Failure& failure) {
        if (failure.code() != sondrel::FailureCode::SampleNotPlayed || *failure.what() == '\0') {
            __builtin_trap();
        }
    }
    return 0;
}
