#include "formats/sample_list.h"
#include "logic/table_text.h"
#include "logic/text_lines.h"
#include "logic/units.h"

#include <algorithm>
#include <istream>
#include <limits>

namespace sondrel {
namespace {

// The bytes of a sample list as the text gives them, in one block that grows to the largest
// list at once when it outgrows a small one: a large list is never copied whole, as a block
// that doubled would be, so it is never twice in memory.
class ListBytes {
public:
    std::size_t size() const { return bytes_.size(); }
    void add(char byte) {
        if (bytes_.size() == bytes_.capacity()) {
            bytes_.reserve(bytes_.size() < kSmall ? 2 * bytes_.size() + 4096
                                                  : kMaxSampleListFileBytes);
        }
        bytes_ += byte;
    }
    std::string take() { return std::move(bytes_); }

private:
    static constexpr std::size_t kSmall = std::size_t{16} << 20;
    std::string bytes_;
};

// Elements of the table, each given on one line at most: where each was given.
class GivenOnce {
public:
    void resize(std::size_t count) { lines_.assign(count, 0); }
    std::size_t size() const { return lines_.size(); }
    void note(std::size_t index, LineReader& in, const std::string& what) {
        if (lines_[index] != 0) {
            in.fail(what + " is given twice (also on line " + std::to_string(lines_[index]) + ")");
        }
        lines_[index] = static_cast<std::uint32_t>(std::min<std::size_t>(in.number(), UINT32_MAX));
    }
    // The first element not given, if any.
    std::optional<std::size_t> missing() const {
        const auto gap = std::find(lines_.begin(), lines_.end(), 0u);
        return gap == lines_.end() ? std::nullopt
                                   : std::optional<std::size_t>(gap - lines_.begin());
    }
    std::vector<std::uint32_t> take() { return std::move(lines_); }

private:
    std::vector<std::uint32_t> lines_;
};

// Why values are refused that do not say what the bytes store, and which bytes would: "the
// values do not say what the bytes store (range 12, volume 100, ...): volume 60 is byte 96,
// so bytes 00 00 96 0C 00 7E 04 00 store the values written; ...".
std::string WrongValues(const SoundDetail& detail, const EditView& written) {
    const std::string why =
        "the values do not say what the bytes store (" + DetailValues(detail) + ")";
    const EditResult stored = StoreChanges(detail, ViewOfDetail(detail), written);
    if (!stored.stored) {
        return why + ": change the bytes, and the values to match, or delete the values";
    }
    const SoundDetail& as = stored.detail;
    // The detail's bytes as the text writes them, two hexadecimal digits and a blank each.
    const std::string bytes = DetailBytes(as);
    const auto hex = [&bytes](std::size_t at) { return bytes.substr(at * 3, 2); };
    std::string parts;
    for (const FieldInfo& field : kEditFields) {
        if (as.*field.byte != detail.*field.byte) {
            parts += std::string(parts.empty() ? "" : ", ") + field.name + " " +
                     written.Texts.*field.text + " is byte " + hex(field.offset);
        }
    }
    if (as.Flags != detail.Flags) {
        parts += std::string(parts.empty() ? "" : ", ") + "those flags are bytes " + hex(6) + " " +
                 hex(7);
    }
    return why + ": " + parts + ", so bytes " + bytes +
           " store the values written; change the bytes to those, or delete the values";
}

TableWithList Read(TextSource& source, TextPlaces* places) {
    LineReader in(source);
    TableWithList pair;
    SoundTable& table = pair.table.table;
    table.SoundMap.fill(-1);
    GivenOnce slots;
    slots.resize(kSoundSlots);
    GivenOnce details;
    GivenOnce indices;
    std::size_t detailsLine = 0;
    std::size_t samplesLine = 0;
    std::size_t endsLine = 0;
    bool header = false;
    bool lastLine = false;
    ListBytes list;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> listLines; // byte, line

    // A byte-order mark, which some editors put at the start of a text file, is passed over.
    if (source.peek(0) == 0xEF && source.peek(1) == 0xBB && source.peek(2) == 0xBF) {
        source.skip(3);
    }
    while (in.next()) {
        const std::size_t number = in.number();
        if (in.atEnd()) {
            in.skipLine();
            continue;
        }
        if (in.take("#")) {
            in.skipLine();
            continue;
        }
        const auto count = [&](std::size_t& seen, const char* what) {
            if (seen != 0) {
                in.fail(std::string("the number of ") + what + " is given twice (also on line " +
                        std::to_string(seen) + ")");
            }
            seen = number;
            const auto value = static_cast<std::int32_t>(
                in.number(std::numeric_limits<std::int32_t>::min(), kMaxTableCount, "a count"));
            in.end();
            return value;
        };
        const auto counted = [&](std::size_t seen, const char* what) {
            if (seen == 0) {
                in.fail(std::string("the number of ") + what + " must come first");
            }
        };
        if (!header) {
            if (!in.take(kTextFormHeader) || !in.atEnd()) {
                in.fail("a table's text begins with \"" + std::string(kTextFormHeader) + "\"");
            }
            in.end();
            header = true;
        } else if (in.take("details")) {
            table.NumDetails = count(detailsLine, "details");
            table.Details.assign(EntriesFor(table.NumDetails), SoundDetail{});
            details.resize(table.Details.size());
        } else if (in.take("samples")) {
            table.NumSamples = count(samplesLine, "samples");
            table.SampleIndices.assign(EntriesFor(table.NumSamples), 0);
            indices.resize(table.SampleIndices.size());
        } else if (in.take("slot")) {
            const auto slot = static_cast<std::size_t>(in.number(0, kSoundSlots - 1, "a slot"));
            in.expect(":");
            in.expect("detail");
            table.SoundMap[slot] = static_cast<std::int16_t>(
                in.number(std::numeric_limits<std::int16_t>::min(),
                          std::numeric_limits<std::int16_t>::max(), "a slot's detail"));
            in.end();
            slots.note(slot, in, "slot " + std::to_string(slot));
        } else if (in.take("detail")) {
            counted(detailsLine, "details");
            const auto index = static_cast<std::size_t>(
                in.number(0, static_cast<long long>(details.size()) - 1, "a detail's number"));
            in.expect(":");
            if (in.startsQuote()) {
                in.quoted([](char) {}); // the name only shows which sound it is
                in.expect(",");
            }
            std::optional<EditView> values; // as the fields and the labels would show them
            std::string said;               // as the text says them
            if (in.take(kEditFields.front().name)) {
                values.emplace();
                for (const FieldInfo& field : kEditFields) {
                    if (field.field != kEditFields.front().field) {
                        in.expect(",");
                        in.expect(field.name);
                        said += ", ";
                    }
                    values->Texts.*field.text = std::to_string(
                        in.number(0, field.max, ("the " + std::string(field.name)).c_str()));
                    said += std::string(field.name) + " " + values->Texts.*field.text;
                }
                in.expect(",");
                in.expect("flags");
                const std::string letters = in.letters();
                said += ", flags " + letters;
                for (const FlagInfo& label : kFlagLabels) {
                    values->Colours.*label.colour =
                        letters.find(label.letter) != std::string::npos ? kRed : kBlack;
                }
                in.expect(";");
            }
            in.expect("bytes");
            std::uint8_t b[8];
            for (std::uint8_t& byte : b) {
                byte = in.hexByte();
            }
            const SoundDetail detail{
                static_cast<std::int16_t>(b[0] | (b[1] << 8)), b[2], b[3], b[4], b[5],
                static_cast<std::uint16_t>(b[6] | (b[7] << 8))};
            if (values && said != DetailValues(detail)) {
                in.fail(WrongValues(detail, *values));
            }
            in.end();
            details.note(index, in, "detail " + std::to_string(index));
            table.Details[index] = detail;
        } else if (in.take("index")) {
            counted(samplesLine, "samples");
            const auto index = static_cast<std::size_t>(in.number(
                0, static_cast<long long>(indices.size()) - 1, "a sample index's number"));
            in.expect(":");
            table.SampleIndices[index] = static_cast<std::int32_t>(
                in.number(std::numeric_limits<std::int32_t>::min(),
                          std::numeric_limits<std::int32_t>::max(), "a sample index"));
            in.end();
            indices.note(index, in, "sample index " + std::to_string(index));
        } else if (in.take("after the table:")) {
            while (!in.atEnd()) {
                if (pair.table.after.size() >= kMaxBytesAfterTable) {
                    in.fail("more bytes after the table than a table file may hold");
                }
                pair.table.after.push_back(in.hexByte());
            }
            in.end();
        } else if (in.take("the file ends at byte")) {
            if (endsLine != 0) {
                in.fail("where the file ends is given twice (also on line " +
                        std::to_string(endsLine) + ")");
            }
            endsLine = number;
            pair.table.endsAt = static_cast<std::uintmax_t>(
                in.number(0, std::numeric_limits<std::int32_t>::max(), "the file's length"));
            in.end();
        } else if (in.take("sample list")) {
            in.end();
            if (pair.sampleList) {
                in.fail("the sample list is begun twice");
            }
            pair.sampleList.emplace();
        } else if (const int kind = in.take("last line") ? 0
                                    : in.take("lf line") ? 1
                                    : in.take("line")    ? 2
                                                         : -1;
                   kind >= 0) {
            if (!pair.sampleList) {
                in.fail("a line of the sample list before the line \"sample list\"");
            }
            if (lastLine) {
                in.fail("a line of the sample list after its last line");
            }
            listLines.emplace_back(
                static_cast<std::uint32_t>(list.size()),
                static_cast<std::uint32_t>(std::min<std::size_t>(number, UINT32_MAX)));
            const auto keep = [&](char byte) {
                if (list.size() >= kMaxSampleListFileBytes) {
                    in.fail("the sample list is larger than any sample list may be");
                }
                list.add(byte);
            };
            in.quoted(keep);
            in.end();
            for (const char c : std::string_view(kind == 2 ? "\r\n" : kind == 1 ? "\n" : "")) {
                keep(c);
            }
            lastLine = kind == 0;
        } else {
            in.fail("not a line of a table's text");
        }
    }
    if (!header || detailsLine == 0 || samplesLine == 0) {
        throw TextError(in.number(),
                        !header
                            ? "a table's text begins with \"" + std::string(kTextFormHeader) + "\""
                            : std::string("the number of ") +
                                  (detailsLine == 0 ? "details" : "samples") + " is missing");
    }
    if (const auto gap = details.missing()) {
        throw TextError(detailsLine, "detail " + std::to_string(*gap) + " is missing");
    }
    if (const auto gap = indices.missing()) {
        throw TextError(samplesLine, "sample index " + std::to_string(*gap) + " is missing");
    }
    if (pair.table.endsAt &&
        (*pair.table.endsAt >= TableBytes(table) || !pair.table.after.empty())) {
        throw TextError(endsLine, "the file can end early only before the table's " +
                                      std::to_string(TableBytes(table)) +
                                      " bytes, and then has none after them");
    }
    if (pair.sampleList) {
        *pair.sampleList = list.take();
    }
    if (places != nullptr) {
        *places = {samplesLine, details.take(), std::move(listLines), endsLine};
    }
    return pair;
}

} // namespace

std::size_t TextPlaces::lineOfListByte(std::size_t byte) const {
    const auto after =
        std::upper_bound(list.begin(), list.end(), byte,
                         [](std::size_t at, const std::pair<std::uint32_t, std::uint32_t>& line) {
                             return at < line.first;
                         });
    return after == list.begin() ? samples : std::prev(after)->second;
}

TableWithList ReadTableText(std::string_view text, TextPlaces* places) {
    TextSource source(text);
    return Read(source, places);
}

TableWithList ReadTableText(std::istream& in, TextPlaces* places) {
    TextSource source(in);
    return Read(source, places);
}

} // namespace sondrel
