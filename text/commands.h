// The commands of sondrel-text, each over files named on its command line. A command that
// cannot do its work throws ToolError; RunText says why and ends with its status.
#pragma once

#include "formats/sound_table.h"

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace sondrel {

// A refusal of the tool's own, said in one sentence naming the file and, for a text, its line:
// a command used wrongly, a text that is no table's, a git that failed. It is not a numbered
// Failure: those are what reading or writing a level's files can come to, the same in the
// window and here, and this tool prints them with their numbers ("failure N: ..."); a ToolError
// has no counterpart in the window and nothing to look up.
struct ToolError {
    std::string what;
    int status = 1; // 2 for a command line the tool does not take
};

// Reads a table file as it is, or throws ToolError naming it.
TableFile ReadTableForTool(const std::filesystem::path& path);
// The bytes of a sample list; nothing where there is none, or none that can be read.
std::optional<std::string> ReadSampleListText(const std::filesystem::path& path);

// Prints the text of a table and the sample list beside it; without one, of the table alone,
// saying so on `err`. With `fromGit` (a copy of the table git handed over alone), the sample
// list is SampleListInRepository's. Returns the exit status.
int ExportTable(const std::filesystem::path& table, bool fromGit, std::ostream& out,
                std::ostream& err);
// The sample list of a table git handed over as a copy: the one file of its name that git
// tracks in the repository of the current folder, as it is in the work tree. Nothing where
// git tracks none, or more than one, or cannot say.
std::optional<std::filesystem::path> SampleListInRepository(const std::filesystem::path& table);

// Writes a table and its sample list from a text ("-": standard input), only a pair the editor
// opens.
int ImportText(const std::filesystem::path& text, const std::filesystem::path& table);
// git's merge driver: merges THEIRS into OURS against BASE, naming the sounds of a conflict
// from the sample list beside `path` (OURS where empty).
int MergeTableFiles(const std::filesystem::path& base, const std::filesystem::path& ours,
                    const std::filesystem::path& theirs, const std::filesystem::path& path,
                    std::ostream& err);

// What `list` prints: the sounds the editor lists, with the native ones where `native`, named
// from `objects` (the database beside the program where empty).
struct ListRequest {
    std::filesystem::path table;
    bool native = false;
    std::filesystem::path objects;
};
// Returns 0, or 3 for a table shorter than its counts say (listed all the same).
int ListSounds(const ListRequest& request, std::ostream& out, std::ostream& err);

// set, take and loudness, each from its whole command line (its name first); a command line
// they do not take throws ToolError with status 2. set and take save each table as the editor
// saves it, saying a line per table and one for all; 0 once every table is done.
int SetValues(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int TakeValues(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
int ListLoudness(const std::vector<std::string>& arguments, std::ostream& out);

} // namespace sondrel
