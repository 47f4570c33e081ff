#include "tools/object_database.h"

namespace sondrel {

void AppendI32(Bytes& out, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(bits >> shift));
    }
}

Bytes ObjectDatabase::bytes() const {
    Bytes out;
    auto appendText = [&out](const std::string& text) {
        AppendI32(out, static_cast<std::int32_t>(text.size()));
        out.insert(out.end(), text.begin(), text.end());
    };
    for (std::size_t section = 0; section < skipped.size(); ++section) {
        AppendI32(out, static_cast<std::int32_t>(skipped[section].size()));
        for (const std::string& entry : skipped[section]) {
            appendText(entry);
            if (section >= 2) {
                AppendI32(out, tag);
            }
        }
    }
    AppendI32(out, static_cast<std::int32_t>(names.size()));
    for (const std::string& name : names) {
        appendText(name);
    }
    return out;
}

} // namespace sondrel
