// The files git tracks, for a diff's textconv: asked of git itself, in the current folder.
#include "formats/failure.h"
#include "formats/sample_names.h"
#include "text/commands.h"

#include <cstdio>
#include <string>

namespace fs = std::filesystem;

namespace sondrel {
namespace {

// The most output of git read: the names of about a million files.
constexpr std::size_t kMostGitOutput = std::size_t{64} << 20;

// What `git ARGUMENTS` prints in the current folder; nothing where git cannot be run, fails,
// or prints more than kMostGitOutput. The command line is fixed: no name reaches a shell.
std::optional<std::string> GitOutput(const char* command) {
#if defined(_WIN32)
    FILE* pipe = _popen(command, "rb");
#else
    FILE* pipe = popen(command, "r");
#endif
    if (pipe == nullptr) {
        return std::nullopt;
    }
    std::string output;
    char piece[1 << 16];
    for (std::size_t got = std::fread(piece, 1, sizeof piece, pipe); got > 0;
         got = std::fread(piece, 1, sizeof piece, pipe)) {
        if (output.size() + got > kMostGitOutput) {
            output.clear(); // read on, so that git ends, but keep nothing
            continue;
        }
        output.append(piece, got);
    }
#if defined(_WIN32)
    const int status = _pclose(pipe);
#else
    const int status = pclose(pipe);
#endif
    return status == 0 && !output.empty() ? std::optional(output) : std::nullopt;
}

} // namespace

std::optional<fs::path> SampleListInRepository(const fs::path& table) {
#if defined(_WIN32)
    constexpr char kTop[] = "git rev-parse --show-toplevel 2>NUL";
    constexpr char kFiles[] = "git ls-files -z --full-name :/ 2>NUL";
#else
    constexpr char kTop[] = "git rev-parse --show-toplevel 2>/dev/null";
    constexpr char kFiles[] = "git ls-files -z --full-name :/ 2>/dev/null";
#endif
    std::optional<std::string> top = GitOutput(kTop);
    const std::optional<std::string> files = top ? GitOutput(kFiles) : std::nullopt;
    if (!files) {
        return std::nullopt;
    }
    while (!top->empty() && (top->back() == '\n' || top->back() == '\r')) {
        top->pop_back();
    }
    const std::string name = DisplayPath(SampleListPath(table).filename());
    std::optional<fs::path> found;
    for (std::size_t at = 0; at < files->size();) {
        const std::size_t end = std::min(files->find('\0', at), files->size());
        const std::string_view file = std::string_view(*files).substr(at, end - at);
        at = end + 1;
        const std::size_t slash = file.rfind('/');
        if (file.substr(slash == std::string_view::npos ? 0 : slash + 1) != name) {
            continue;
        }
        if (found) {
            return std::nullopt; // which of them is meant cannot be told
        }
        found = PathFromUtf8(*top) / PathFromUtf8(std::string(file));
    }
    return found;
}

} // namespace sondrel
