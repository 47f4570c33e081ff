#include "text/text_tool.h"

#include "formats/failure.h"
#include "text/commands.h"

#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr char kUsage[] =
    "usage: sondrel-text export TABLE.sfx\n"
    "       sondrel-text import TEXT TABLE.sfx\n"
    "       sondrel-text merge BASE OURS THEIRS [PATH]\n"
    "       sondrel-text list [--native] [--objects FILE] TABLE.sfx\n"
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
    "  list    prints the sound list Sondrel shows for TABLE.sfx and the sample list beside\n"
    "          it, one line per entry: the entry, the detail, range, volume, pitch and chance\n"
    "          as the editor shows them, the detail's 8 bytes, its flags (P V R L N) and its\n"
    "          samples; then the counts and the details the list leaves out.\n"
    "          --native        the native sounds too, under the names of the object name\n"
    "                          database (as answering Yes to \"Include KV4 sounds?\")\n"
    "          --objects FILE  the object names from FILE (implies --native)\n"
    "  --help     print this and end\n"
    "  --version  print the version and end\n"
    "\n"
    "Exit status: 0 when done; 1 for a merge with conflicts or a failure (nothing is written);\n"
    "2 for a command line it does not understand; 3 when list finds the table shorter than\n"
    "its counts say (it is listed all the same, what is missing read as zero, as Sondrel\n"
    "reads it).\n";

std::optional<ListRequest> ListArguments(const std::vector<std::string>& arguments) {
    ListRequest request;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--native") {
            request.native = true;
        } else if (argument == "--objects" && i + 1 < arguments.size()) {
            request.native = true;
            request.objects = PathFromUtf8(arguments[++i]);
        } else if (argument.starts_with("-") || !request.table.empty()) {
            return std::nullopt;
        } else {
            request.table = PathFromUtf8(argument);
        }
    }
    return request.table.empty() ? std::nullopt : std::optional(request);
}

int Run(const std::string& command, const std::vector<fs::path>& files,
        const std::optional<ListRequest>& list, std::ostream& out, std::ostream& err) {
    if (command == "export") {
        return ExportTable(files[0], out);
    }
    if (command == "import") {
        return ImportText(files[0], files[1], err);
    }
    if (command == "merge") {
        return MergeTableFiles(files[0], files[1], files[2],
                               files.size() == 4 ? files[3] : fs::path(), err);
    }
    return ListSounds(*list, out, err);
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
    const std::optional<ListRequest> list =
        command == "list" ? ListArguments(arguments) : std::nullopt;
    const bool understood =
        (command == "export" && files.size() == 1) || (command == "import" && files.size() == 2) ||
        (command == "merge" && (files.size() == 3 || files.size() == 4)) || list.has_value();
    if (!understood) {
        err << "sondrel-text: "
            << (command.empty() ? std::string("name a command")
                                : "unexpected command line for '" + command + "'")
            << "\n"
            << kUsage;
        return 2;
    }
    try {
        const int status = Run(command, files, list, out, err);
        // What did not reach its reader (a full disk, a closed pipe) is no success.
        out.flush();
        if (!out) {
            err << "sondrel-text: the output could not be written out\n";
            return 1;
        }
        return status;
    } catch (const ToolError& error) {
        err << "sondrel-text: " << error.what << "\n";
    } catch (const Failure& failure) {
        err << "sondrel-text: failure " << failure.number() << ": " << failure.what() << "\n";
    } catch (const std::bad_alloc&) {
        err << "sondrel-text: failure " << OutOfMemoryFailure().number() << ": "
            << OutOfMemoryFailure().what() << "\n";
    }
    return 1;
}

} // namespace sondrel
