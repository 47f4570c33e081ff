// The sample-list reader on any text and count, split into pieces as the file reader splits a
// file, against the same text read at once; and the writer's promise: every list of names the
// reader produces, with what followed them, is written so that it reads back the same.
#include "formats/sample_names.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    // The first two bytes choose the count, from -2 to 65533; the third the pieces' size.
    const std::int32_t count = static_cast<std::int32_t>(data[0] | (data[1] << 8)) - 2;
    const std::size_t piece = std::size_t{data[2]} + 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 3), size - 3);
    std::vector<std::string> inPieces;
    sondrel::SampleListForm piecesForm;
    bool piecesFailed = false;
    try {
        sondrel::SampleListReader reader(count, "fuzz.sam");
        for (std::size_t at = 0; at < text.size(); at += piece) {
            reader.feed(text.substr(at, piece));
        }
        inPieces = reader.finish();
        piecesForm = reader.takeForm();
    } catch (const sondrel::Failure&) {
        piecesFailed = true;
    }
    try {
        sondrel::SampleListForm form;
        const std::vector<std::string> names =
            sondrel::ParseSampleNames(text, count, "fuzz.sam", &form);
        if (piecesFailed || inPieces != names || piecesForm != form) {
            __builtin_trap();
        }
        const std::string written = sondrel::SerializeSampleNames(names, count, form);
        sondrel::SampleListForm again;
        if (sondrel::ParseSampleNames(written, count, "fuzz.sam", &again) != names ||
            again != form) {
            __builtin_trap();
        }
    } catch (const sondrel::Failure&) {
        if (!piecesFailed) {
            __builtin_trap();
        }
    }
    return 0;
}
