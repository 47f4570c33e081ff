// The object-database reader on any bytes: names, or a failure, in time linear in the bytes.
#include "formats/object_names.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const sondrel::ObjectNameTable names = sondrel::ParseObjectNames({data, size}, "fuzz.dat");
        for (std::size_t slot = 0; slot < names.size(); ++slot) {
            if (names[slot].size() > size) {
                __builtin_trap(); // a name holds only bytes the file has
            }
        }
    } catch (const sondrel::Failure&) {
    }
    return 0;
}
