// merge: git's merge driver for tables, and the account of its conflicts.
#include "formats/safe_save.h"
#include "formats/sample_list.h"
#include "logic/table_merge.h"
#include "logic/table_text.h"
#include "text/commands.h"

namespace fs = std::filesystem;

namespace sondrel {
namespace {

std::string Conflict(const MergeConflict& conflict, const TableFile* sides[3],
                     const std::vector<std::string>& names) {
    static constexpr const char* kSides[] = {"base:", "ours:", "theirs:"};
    static constexpr const char* kAligned[] = {"base:   ", "ours:   ", "theirs: "};
    // One value a side, as "base: 1, ours: 2, theirs: 3".
    const auto each = [](const auto& value) {
        std::string text;
        for (int side = 0; side < 3; ++side) {
            text += std::string(side == 0 ? " " : ", ") + kSides[side] + " " + value(side);
        }
        return text + "\n";
    };
    const std::size_t i = conflict.index;
    switch (conflict.kind) {
    case MergeConflict::Kind::Detail: {
        std::string text = "detail " + std::to_string(i) +
                           (i < names.size() && !names[i].empty() ? " (" + names[i] + ")" : "") +
                           " was changed on both branches:\n";
        for (int side = 0; side < 3; ++side) {
            const auto& details = sides[side]->table.Details;
            text += std::string("    ") + kAligned[side] +
                    (i < details.size() ? DetailLine(i, details[i], {}) : "(none)") + "\n";
        }
        return text;
    }
    case MergeConflict::Kind::Slot:
        return "slot " + std::to_string(i) +
               " was given another detail on both branches:" + each([&](int side) {
                   return "detail " + std::to_string(sides[side]->table.SoundMap[i]);
               });
    case MergeConflict::Kind::Index:
        return "sample index " + std::to_string(i) +
               " was changed on both branches:" + each([&](int side) {
                   const auto& indices = sides[side]->table.SampleIndices;
                   return i < indices.size() ? std::to_string(indices[i]) : "(none)";
               });
    case MergeConflict::Kind::Count:
        return "the numbers of details and samples do not agree:" + each([&](int side) {
                   return std::to_string(sides[side]->table.NumDetails) + " and " +
                          std::to_string(sides[side]->table.NumSamples);
               });
    case MergeConflict::Kind::End:
        return "the bytes after the table's end were changed on both branches\n";
    }
    return {};
}

} // namespace

int MergeTableFiles(const fs::path& base, const fs::path& ours, const fs::path& theirs,
                    const fs::path& path, std::ostream& err) {
    const TableFile files[3] = {ReadTableForTool(base), ReadTableForTool(ours),
                                ReadTableForTool(theirs)};
    const MergeResult result = MergeTables(files[0], files[1], files[2]);
    // The sounds are named from our side, with the sample list in the work tree.
    const fs::path named = path.empty() ? ours : path;
    if (result.conflicts.empty()) {
        const std::vector<std::uint8_t> merged = SerializeTableFile(result.merged);
        if (const std::optional<Failure> why = WhyNotATable(merged)) {
            err << "sondrel-text: " << DisplayPath(named)
                << ": the merge would make a table Sondrel does not open (failure " << why->number()
                << ": " << why->what() << "); the table is left as it was on this branch\n";
            return 1;
        }
        try {
            SaveSafely(ours, merged);
        } catch (const FileError& error) {
            throw ToolError{error.what()};
        }
        return 0;
    }
    std::vector<std::string> names;
    if (std::optional<std::string> list = ReadSampleListText(SampleListPath(named))) {
        names = DetailNames({files[1], std::move(list)});
    }
    const TableFile* sides[3] = {&files[0], &files[1], &files[2]};
    err << "sondrel-text: " << DisplayPath(named) << ": " << result.conflicts.size()
        << (result.conflicts.size() == 1 ? " conflict" : " conflicts")
        << "; the table is left as it was on this branch:\n";
    for (const MergeConflict& conflict : result.conflicts) {
        err << "  " << Conflict(conflict, sides, names);
    }
    return 1;
}

} // namespace sondrel
