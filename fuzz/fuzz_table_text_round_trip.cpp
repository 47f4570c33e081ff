// Any table file and sample list through the text form and back: byte for byte the same
// files, and the same text again.
#include "logic/table_text.h"

#include <cstddef>
#include <cstdint>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    // The first two bytes give the table file's length; what follows it is the sample list,
    // none when the length's top bit is set.
    const std::size_t length = std::min<std::size_t>((data[0] | (data[1] << 8)) & 0x7FFF, size - 2);
    const std::span<const std::uint8_t> table(data + 2, length);
    sondrel::TableWithList pair;
    try {
        pair.table = sondrel::ParseTableFile(table);
    } catch (const sondrel::Failure&) {
        return 0; // a count above the limit: no table
    }
    if (pair.table.table.Details.size() + pair.table.table.SampleIndices.size() > 4096) {
        return 0; // counts the bytes cannot fill: only zeros to write out, slowly
    }
    if (!(data[1] & 0x80)) {
        pair.sampleList.emplace(reinterpret_cast<const char*>(data + 2 + length),
                                size - 2 - length);
    }
    const std::string text = sondrel::TableText(pair);
    const sondrel::TableWithList read = sondrel::ReadTableText(text); // throws: a finding
    const std::vector<std::uint8_t> bytes = sondrel::SerializeTableFile(read.table);
    if (!std::equal(bytes.begin(), bytes.end(), table.begin(), table.end()) ||
        read.sampleList != pair.sampleList || sondrel::TableText(read) != text) {
        __builtin_trap();
    }
    return 0;
}
