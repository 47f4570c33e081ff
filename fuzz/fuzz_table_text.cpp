// The text form's reader on any text: it reads or refuses, and what it reads is written as a
// text that reads back to the same pair and the same text.
#include "logic/table_text.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    sondrel::TableWithList pair;
    try {
        pair = sondrel::ReadTableText(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const sondrel::TextError&) {
        return 0;
    }
    const std::string text = sondrel::TableText(pair);
    const sondrel::TableWithList again = sondrel::ReadTableText(text); // throws: a finding
    if (!(again == pair) || sondrel::TableText(again) != text) {
        __builtin_trap();
    }
    return 0;
}
