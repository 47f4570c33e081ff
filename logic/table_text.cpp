#include "logic/table_text.h"

#include "formats/object_names.h"
#include "formats/sample_list.h"
#include "logic/sound_columns.h"
#include "logic/sound_list.h"
#include "logic/units.h"

#include <algorithm>
#include <sstream>

namespace sondrel {

namespace {

constexpr std::string_view kNoFlags = "-";
constexpr std::size_t kHexPerLine = 16;

void AppendHex(std::string& text, std::uint8_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0xF];
}

// 8-bit text between double quotes, each byte the character of its code.
std::string Quoted(std::string_view bytes) {
    std::string text = "\"";
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"':
            text += "\\\"";
            break;
        case '\\':
            text += "\\\\";
            break;
        case '\r':
            text += "\\r";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        default:
            if (byte < 0x20 || (byte >= 0x7F && byte < 0xA0)) {
                text += "\\x";
                AppendHex(text, byte);
            } else if (byte < 0x80) {
                text += c;
            } else { // U+00A0 to U+00FF in UTF-8
                text += static_cast<char>(0xC0 | (byte >> 6));
                text += static_cast<char>(0x80 | (byte & 0x3F));
            }
        }
    }
    return text + "\"";
}

} // namespace

std::string DetailValues(const SoundDetail& detail) {
    const ShownValues shown = ShowDetail(detail);
    std::string values;
    for (const FieldInfo& field : kEditFields) {
        values += field.name + (" " + std::to_string(shown.*field.value)) + ", ";
    }
    const std::string flags = FlagLetters(detail.Flags);
    return values + "flags " + (flags.empty() ? std::string(kNoFlags) : flags);
}

std::string DetailLine(std::size_t index, const SoundDetail& detail, const std::string& name) {
    std::string line = "detail " + std::to_string(index) + ": ";
    if (!name.empty()) {
        line += Quoted(name) + ", ";
    }
    return line + DetailValues(detail) + "; bytes " + DetailBytes(detail);
}

std::string DetailBytes(const SoundDetail& detail) {
    std::string text;
    for (int word = 0; word < 4; ++word) {
        for (const int byte : {detail.word(word) & 0xFF, detail.word(word) >> 8}) {
            if (!text.empty()) {
                text += ' ';
            }
            AppendHex(text, static_cast<std::uint8_t>(byte));
        }
    }
    return text;
}

std::vector<std::string> DetailNames(const TableWithList& pair) {
    const SoundTable& table = pair.table.table;
    std::vector<std::string> names(table.Details.size());
    if (!pair.sampleList) {
        return names;
    }
    try {
        const SampleNames samples =
            ViewSampleNames(*pair.sampleList, table.NumSamples, "the sample list");
        for (SoundListEntry& entry :
             ComputeSoundList(table, samples, ObjectNameTable{}, true, "the sample list")) {
            names[entry.detail()] = std::move(entry.Text);
        }
        for (std::string& name : names) {
            if (name.empty()) {
                name = "(no slot)";
            }
        }
    } catch (const Failure&) {
        std::fill(names.begin(), names.end(), std::string());
    }
    return names;
}

void WriteTableText(const TableWithList& pair, std::ostream& out) {
    const SoundTable& table = pair.table.table;
    out << kTextFormHeader << "\n"
        << "# A sound table and the sample list beside it, every byte of both. A detail's bytes\n"
           "# are what the table stores; its name and values only show them. To change a sound\n"
           "# by hand, change its bytes, and its values to match or delete them.\n"
        << "details " << table.NumDetails << "\n"
        << "samples " << table.NumSamples << "\n";
    for (int slot = 0; slot < kSoundSlots; ++slot) {
        const std::int16_t detail = table.SoundMap[static_cast<std::size_t>(slot)];
        if (detail != -1) {
            out << "slot " << slot << ": detail " << detail << "\n";
        }
    }
    const std::vector<std::string> names = DetailNames(pair);
    for (std::size_t d = 0; d < table.Details.size(); ++d) {
        out << DetailLine(d, table.Details[d], names[d]) << "\n";
    }
    for (std::size_t k = 0; k < table.SampleIndices.size(); ++k) {
        out << "index " << k << ": " << table.SampleIndices[k] << "\n";
    }
    for (std::size_t at = 0; at < pair.table.after.size(); at += kHexPerLine) {
        std::string line = "after the table:";
        for (std::size_t i = at; i < std::min(at + kHexPerLine, pair.table.after.size()); ++i) {
            line += ' ';
            AppendHex(line, pair.table.after[i]);
        }
        out << line << "\n";
    }
    if (pair.table.endsAt) {
        out << "the file ends at byte " << *pair.table.endsAt << "\n";
    }
    if (pair.sampleList) {
        out << "sample list\n";
        std::string_view list = *pair.sampleList;
        for (std::size_t end = list.find('\n'); end != std::string_view::npos;
             end = list.find('\n')) {
            const bool crlf = end > 0 && list[end - 1] == '\r';
            out << (crlf ? "line " : "lf line ") << Quoted(list.substr(0, crlf ? end - 1 : end))
                << "\n";
            list.remove_prefix(end + 1);
        }
        if (!list.empty()) {
            out << "last line " << Quoted(list) << "\n";
        }
    }
}

std::string TableText(const TableWithList& pair) {
    std::ostringstream text;
    WriteTableText(pair, text);
    return std::move(text).str();
}

} // namespace sondrel
