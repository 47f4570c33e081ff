#include "text/text_tool.h"

#include "formats/failure.h"
#include "text/commands.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

constexpr char kUsage[] =
    "usage: sondrel-text export [--from-git] TABLE.sfx\n"
    "       sondrel-text import TEXT TABLE.sfx\n"
    "       sondrel-text merge BASE OURS THEIRS [PATH]\n"
    "       sondrel-text list [--native] [--objects FILE] TABLE.sfx\n"
    "       sondrel-text set [--native] [--objects FILE] [--match TEXT] [--samples DIR]\n"
    "                        [--dry-run] FIELD=VALUE... TABLE.sfx...\n"
    "       sondrel-text take FROM.sfx [--fields range,volume,pitch,chance,flags] [--native]\n"
    "                         [--dry-run] TABLE.sfx...\n"
    "       sondrel-text loudness [--samples DIR] TABLE.sfx\n"
    "\n"
    "A sound table and the sample list beside it as one text that holds every byte of both:\n"
    "one line per slot that has a sound, one per detail (its sound's name as Sondrel lists it,\n"
    "its values and flags, and its eight bytes), one per sample index, then the sample list\n"
    "line by line.\n"
    "\n"
    "  export  prints the text of TABLE.sfx and the sample list beside it. Without a sample\n"
    "          list there, the text holds the table alone, its sounds without names, and\n"
    "          standard error says so.\n"
    "          --from-git  for git's textconv, which hands over a copy of the table alone:\n"
    "                      the sample list is the one file of its name git tracks in the\n"
    "                      repository of the current folder, as it is in the work tree\n"
    "                      (for an old commit too). Where git tracks none or several, or\n"
    "                      lists more than about a million files, the sounds have no names,\n"
    "                      on both sides of a diff alike.\n"
    "  import  writes TABLE.sfx and, beside it, its sample list from TEXT (- for standard\n"
    "          input), as Sondrel saves them, and only a pair Sondrel opens: nothing is\n"
    "          written unless all of TEXT is right, a sample list is there with the names the\n"
    "          table's samples count asks for, and every sound a slot uses starts at one of\n"
    "          them. A detail's bytes are what is stored; values that do not say what the\n"
    "          bytes do are refused. A refusal names the line of TEXT and why.\n"
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
    "  set     stores values into every sound each table lists, as Update stores what the\n"
    "          window's fields hold, and saves each table as Sondrel saves it. FIELD is\n"
    "          range, volume, pitch or chance, and VALUE as the field takes it: 60, or a\n"
    "          change of each sound's own value, 80% (of it), 10+ (10 more) or 10- (10\n"
    "          less), held within the field's range; for the volume also a loudness,\n"
    "          -23LUFS: each sound's volume so that its first sample plays that loud. The\n"
    "          flags are P, V, N, L and R, each =on or =off (L and R exclude each other).\n"
    "          --match TEXT   only the sounds the window's filter keeps for TEXT\n"
    "          --samples DIR  where the samples are, after the table's folder\n"
    "          --native, --objects FILE  as for list\n"
    "          --dry-run      say what would change and write nothing\n"
    "  take    each listed sound of each TABLE takes the values of the sound of FROM whose\n"
    "          first sample has the same name, capitals or not: the stored bits of the\n"
    "          fields named (all five by default), every other bit kept. A sound matching\n"
    "          several there whose values differ is left as it is, and named.\n"
    "  loudness  prints each listed sound's loudness as it plays at its volume (EBU R128,\n"
    "          its first sample's, found as Play finds it): the LUFS with one decimal, or -\n"
    "          and why at the end of the line; the sound's name; its first sample's name.\n"
    "          Separated by tabs, so that sort -n orders them. A sample shorter than\n"
    "          400 ms is measured as heard once in 400 ms, silence after it.\n"
    "  --help     print this and end\n"
    "  --version  print the version and end\n"
    "\n"
    "Exit status: 0 when done; 1 for a merge with conflicts or a failure (nothing is written);\n"
    "2 for a command line it does not understand; 3 when list finds the table shorter than\n"
    "its counts say (it is listed all the same, what is missing read as zero, as Sondrel\n"
    "reads it). set and take say a line per table and one for all, and end with 1 where a\n"
    "table could not be opened or saved, or a sound's loudness could not be measured (it\n"
    "keeps its volume; the other tables and sounds are done all the same).\n";

// The table of `export [--from-git] TABLE`, and whether the option is given.
std::optional<std::pair<fs::path, bool>>
ExportArguments(const std::vector<std::string>& arguments) {
    if (arguments.size() == 2 && !arguments[1].starts_with("-")) {
        return std::pair{PathFromUtf8(arguments[1]), false};
    }
    if (arguments.size() == 3 && arguments[1] == "--from-git") {
        return std::pair{PathFromUtf8(arguments[2]), true};
    }
    return std::nullopt;
}

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

// Whether a command line is one the tool understands.
bool Understood(const std::vector<std::string>& arguments) {
    const std::string& command = arguments[0];
    const std::size_t files = arguments.size() - 1;
    return (command == "export" && ExportArguments(arguments)) ||
           (command == "import" && files == 2) ||
           (command == "merge" && (files == 3 || files == 4)) ||
           (command == "list" && ListArguments(arguments)) || command == "set" ||
           command == "take" || command == "loudness";
}

int Run(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::string& command = arguments[0];
    std::vector<fs::path> files;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        files.push_back(PathFromUtf8(arguments[i]));
    }
    if (command == "export") {
        const auto [table, fromGit] = *ExportArguments(arguments);
        return ExportTable(table, fromGit, out, err);
    }
    if (command == "import") {
        return ImportText(files[0], files[1]);
    }
    if (command == "merge") {
        return MergeTableFiles(files[0], files[1], files[2],
                               files.size() == 4 ? files[3] : fs::path(), err);
    }
    if (command == "set") {
        return SetValues(arguments, out, err);
    }
    if (command == "take") {
        return TakeValues(arguments, out, err);
    }
    if (command == "loudness") {
        return ListLoudness(arguments, out);
    }
    return ListSounds(*ListArguments(arguments), out, err);
}

// Whether what the tool printed reached its reader (a full disk, a closed pipe); says why not.
bool Delivered(std::ostream& out, std::ostream& err) {
    errno = 0;
    out.flush();
    if (out) {
        return true;
    }
    err << "sondrel-text: the output could not be written out"
        << (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string()) << "\n";
    return false;
}

} // namespace

int RunText(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
    const std::string command = arguments.empty() ? "" : arguments[0];
    if (command == "--help" || command == "-h" || command == "--version") {
        out << (command == "--version" ? "sondrel-text " SONDREL_VERSION "\n" : kUsage);
        return Delivered(out, err) ? 0 : 1;
    }
    if (command.empty() || !Understood(arguments)) {
        err << "sondrel-text: "
            << (command.empty() ? std::string("name a command")
                                : "unexpected command line for '" + command + "'")
            << "\n"
            << kUsage;
        return 2;
    }
    try {
        const int status = Run(arguments, out, err);
        return Delivered(out, err) ? status : 1;
    } catch (const ToolError& error) {
        err << "sondrel-text: " << error.what << "\n";
        if (error.status == 2) {
            err << kUsage;
            return 2;
        }
    } catch (const Failure& failure) {
        err << "sondrel-text: failure " << failure.number() << ": " << failure.what() << "\n";
    } catch (const std::bad_alloc&) {
        err << "sondrel-text: failure " << OutOfMemoryFailure().number() << ": "
            << OutOfMemoryFailure().what() << "\n";
    }
    return 1;
}

} // namespace sondrel
