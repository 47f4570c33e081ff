#include "text/text_tool.h"

#include "formats/file_io.h"
#include "formats/sample_names.h"
#include "formats/sound_table.h"
#include "logic/table_text.h"

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr char kUsage[] =
    "usage: sondrel-text export TABLE.sfx\n"
    "       sondrel-text import TEXT TABLE.sfx\n"
    "       sondrel-text merge BASE OURS THEIRS [PATH]\n"
    "\n"
    "A sound table and the sample list beside it as one text that holds every byte of both:\n"
    "one line per slot that has a sound, one per detail (its sound's name as Sondrel lists it,\n"
    "its values and flags, and its eight bytes), one per sample index, then the sample list\n"
    "line by line.\n"
    "\n"
    "  export  prints the text of TABLE.sfx and its sample list. Where there is no sample list\n"
    "          beside the table (git hands a copy of the table alone to a diff's textconv), the\n"
    "          one of that name below the current folder is taken, if there is exactly one;\n"
    "          failing that the text holds the table alone, its sounds without names.\n"
    "  import  writes TABLE.sfx and, beside it, its sample list from TEXT, as Sondrel saves\n"
    "          them: nothing is written unless all of TEXT is right. A detail's bytes are\n"
    "          what is stored; values that do not say what the bytes do are refused.\n"
    "  merge   the merge driver for git (%O %A %B %P): merges the tables BASE, OURS and\n"
    "          THEIRS slot by slot, detail by detail and sample index by sample index, and\n"
    "          writes the result over OURS. What both branches changed differently is a\n"
    "          conflict: OURS is left as it was, the conflicts are listed, naming the sounds\n"
    "          from the sample list beside PATH, and the exit status is 1.\n"
    "  --help     print this and end\n"
    "  --version  print the version and end\n"
    "\n"
    "Exit status: 0 when done; 1 for a merge with conflicts or a failure (nothing is written);\n"
    "2 for a command line it does not understand.\n";

// A failure of the tool, said in one sentence naming the file.
struct ToolError {
    std::string what;
};

std::string ReadText(const fs::path& path, std::size_t limit) {
    try {
        const std::vector<std::uint8_t> bytes = ReadFileHead(path, limit + 1);
        if (bytes.size() > limit) {
            throw ToolError{DisplayPath(path) + " is larger than any table's text"};
        }
        return std::string(bytes.begin(), bytes.end());
    } catch (const FileError& error) {
        throw ToolError{error.what()};
    }
}

TableFile ReadTable(const fs::path& path) {
    try {
        return ReadTableFile(path);
    } catch (const Failure& failure) {
        throw ToolError{DisplayPath(path) + ": " + failure.what()};
    }
}

// The sample list of a table: beside it, or else the one of that name below the current
// folder, where there is exactly one.
std::optional<fs::path> FindSampleList(const fs::path& table) {
    const fs::path beside = SampleListPath(table);
    std::error_code ec;
    if (fs::is_regular_file(beside, ec)) {
        return beside;
    }
    // A repository's folders, not a whole disk: a walk that goes on longer finds nothing.
    constexpr int kMostEntries = 100000;
    std::optional<fs::path> found;
    fs::recursive_directory_iterator walk(".", fs::directory_options::skip_permission_denied, ec);
    for (int seen = 0; !ec && walk != fs::recursive_directory_iterator(); walk.increment(ec)) {
        if (++seen > kMostEntries) {
            return std::nullopt;
        }
        if (walk->path().filename() == ".git") {
            walk.disable_recursion_pending();
        } else if (std::error_code unreadable; walk->path().filename() == beside.filename() &&
                                               walk->is_regular_file(unreadable)) {
            if (found) {
                return std::nullopt; // which of them is meant cannot be told
            }
            found = walk->path();
        }
    }
    return found;
}

TablePair ReadPair(const fs::path& table, const std::optional<fs::path>& sampleList) {
    TablePair pair{ReadTable(table), std::nullopt};
    if (sampleList) {
        pair.sampleList = ReadText(*sampleList, kMaxSampleListNameBytes);
    }
    return pair;
}

int Export(const fs::path& table, std::ostream& out) {
    RequireTable(table); // a viewer creates nothing
    out << TableText(ReadPair(table, FindSampleList(table)));
    return 0;
}

int Import(const fs::path& textFile, const fs::path& table, std::ostream& err) {
    TablePair pair;
    try {
        pair = ReadTableText(ReadText(textFile, kMaxTableTextBytes));
    } catch (const TextError& error) {
        throw ToolError{DisplayPath(textFile) + ", " + error.what() + "; nothing was written"};
    }
    const std::vector<std::uint8_t> tableBytes = SerializeTableFile(pair.table);
    try {
        if (!pair.sampleList) {
            SaveSafely(table, tableBytes);
            err << "sondrel-text: the text has no sample list; " << DisplayPath(table)
                << " was written alone\n";
            return 0;
        }
        const fs::path sampleList = SampleListPath(table);
        if (SameFile(table, sampleList)) {
            throw ToolError{"the sample list of " + DisplayPath(table) +
                            " would be that same file; nothing was written"};
        }
        const auto* list = reinterpret_cast<const std::uint8_t*>(pair.sampleList->data());
        SavePair(table, AllOf(tableBytes), sampleList,
                 AllOf(std::span(list, pair.sampleList->size())));
    } catch (const FileError& error) {
        throw ToolError{std::string(error.what()) + "; both files are as they were"};
    }
    return 0;
}

std::string Conflict(const MergeConflict& conflict, const TableFile* sides[3],
                     const std::vector<std::string>& names) {
    static constexpr const char* kSides[] = {"base:", "ours:", "theirs:"};
    static constexpr const char* kAligned[] = {"base:   ", "ours:   ", "theirs: "};
    std::string text;
    const std::size_t i = conflict.index;
    switch (conflict.kind) {
    case MergeConflict::Kind::Detail:
        text = "detail " + std::to_string(i) +
               (i < names.size() && !names[i].empty() ? " (" + names[i] + ")" : "") +
               " was changed on both branches:\n";
        for (int side = 0; side < 3; ++side) {
            const auto& details = sides[side]->table.Details;
            text += std::string("    ") + kAligned[side] +
                    (i < details.size() ? DetailLine(i, details[i], {}) : "(none)") + "\n";
        }
        return text;
    case MergeConflict::Kind::Slot:
        text = "slot " + std::to_string(i) + " was given another detail on both branches:";
        for (int side = 0; side < 3; ++side) {
            text += std::string(side == 0 ? " " : ", ") + kSides[side] + " detail " +
                    std::to_string(sides[side]->table.SoundMap[i]);
        }
        return text + "\n";
    case MergeConflict::Kind::Index:
        text = "sample index " + std::to_string(i) + " was changed on both branches:";
        for (int side = 0; side < 3; ++side) {
            const auto& indices = sides[side]->table.SampleIndices;
            text += std::string(side == 0 ? " " : ", ") + kSides[side] + " " +
                    (i < indices.size() ? std::to_string(indices[i]) : "(none)");
        }
        return text + "\n";
    case MergeConflict::Kind::Count:
        text = "the numbers of details and samples do not agree:";
        for (int side = 0; side < 3; ++side) {
            text += std::string(side == 0 ? " " : ", ") + kSides[side] + " " +
                    std::to_string(sides[side]->table.NumDetails) + " and " +
                    std::to_string(sides[side]->table.NumSamples);
        }
        return text + "\n";
    case MergeConflict::Kind::End:
        return "the bytes after the table's end were changed on both branches\n";
    }
    return text;
}

int Merge(const fs::path& base, const fs::path& ours, const fs::path& theirs, const fs::path& path,
          std::ostream& err) {
    const TableFile files[3] = {ReadTable(base), ReadTable(ours), ReadTable(theirs)};
    const MergeResult result = MergeTables(files[0], files[1], files[2]);
    if (result.conflicts.empty()) {
        try {
            SaveSafely(ours, SerializeTableFile(result.merged));
        } catch (const FileError& error) {
            throw ToolError{error.what()};
        }
        return 0;
    }
    // The sounds are named from our side, with the sample list in the work tree.
    std::vector<std::string> names;
    const fs::path sampleList = SampleListPath(path.empty() ? ours : path);
    std::error_code ec;
    if (fs::is_regular_file(sampleList, ec)) {
        try {
            names = DetailNames({files[1], ReadText(sampleList, kMaxSampleListNameBytes)});
        } catch (const ToolError&) {
            // a sample list that cannot be read names nothing
        }
    }
    const TableFile* sides[3] = {&files[0], &files[1], &files[2]};
    err << "sondrel-text: " << DisplayPath(path.empty() ? ours : path) << ": "
        << result.conflicts.size() << (result.conflicts.size() == 1 ? " conflict" : " conflicts")
        << "; the table is left as it was on this branch:\n";
    for (const MergeConflict& conflict : result.conflicts) {
        err << "  " << Conflict(conflict, sides, names);
    }
    return 1;
}

} // namespace

int RunText(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::string command = arguments.empty() ? "" : arguments[0];
    if (command == "--help" || command == "-h" || command == "--version") {
        out << (command == "--version" ? "sondrel-text " SONDREL_VERSION "\n" : kUsage);
        out.flush();
        return out ? 0 : 1;
    }
    std::vector<fs::path> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        files.push_back(PathFromUtf8(arguments[i]));
    }
    const bool understood = (command == "export" && files.size() == 1) ||
                            (command == "import" && files.size() == 2) ||
                            (command == "merge" && (files.size() == 3 || files.size() == 4));
    if (!understood) {
        err << "sondrel-text: "
            << (command.empty() ? std::string("name a command")
                                : "unexpected command line for '" + command + "'")
            << "\n"
            << kUsage;
        return 2;
    }
    try {
        int status = 0;
        if (command == "export") {
            status = Export(files[0], out);
        } else if (command == "import") {
            status = Import(files[0], files[1], err);
        } else {
            status =
                Merge(files[0], files[1], files[2], files.size() == 4 ? files[3] : fs::path(), err);
        }
        out.flush();
        if (!out) {
            err << "sondrel-text: the text could not be written out\n";
            return 1;
        }
        return status;
    } catch (const ToolError& error) {
        err << "sondrel-text: " << error.what << "\n";
    } catch (const Failure& failure) {
        err << "sondrel-text: failure " << failure.number() << ": " << failure.what() << "\n";
    } catch (const std::bad_alloc&) {
        err << "sondrel-text: there is not enough memory\n";
    }
    return 1;
}

} // namespace sondrel
