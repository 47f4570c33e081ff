// export and import: a table and its sample list as one text, and back.
#include "formats/safe_save.h"
#include "formats/sample_names.h"
#include "logic/table_text.h"
#include "text/commands.h"

#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

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

} // namespace

TableFile ReadTableForTool(const fs::path& path) {
    try {
        return ReadTableFile(path);
    } catch (const Failure& failure) {
        throw ToolError{DisplayPath(path) + ": " + failure.what()};
    }
}

std::optional<std::string> ReadSampleListText(const fs::path& path) {
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    try {
        return ReadText(path, kMaxSampleListNameBytes);
    } catch (const ToolError&) {
        return std::nullopt; // a sample list that cannot be read names nothing
    }
}

int ExportTable(const fs::path& table, std::ostream& out) {
    RequireTable(table); // a viewer creates nothing
    TablePair pair{ReadTableForTool(table), std::nullopt};
    if (const std::optional<fs::path> sampleList = FindSampleList(table)) {
        pair.sampleList = ReadText(*sampleList, kMaxSampleListNameBytes);
    }
    out << TableText(pair);
    return 0;
}

int ImportText(const fs::path& textFile, const fs::path& table, std::ostream& err) {
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

} // namespace sondrel
