// The files git tracks, for a diff's textconv: asked of git itself, in the current folder.
#include "formats/failure.h"
#include "formats/file_io.h"
#include "formats/sample_list.h"
#include "text/commands.h"
#include "text/git_command.h"

#include <string>

namespace fs = std::filesystem;

namespace sondrel {

std::optional<fs::path> SampleListInRepository(const fs::path& table) {
    std::optional<std::string> top = GitOutput({"rev-parse", "--show-toplevel"});
    const std::optional<std::string> files =
        top ? GitOutput({"ls-files", "-z", "--full-name", ":/"}) : std::nullopt;
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
    // A tracked link is followed only to a file of the repository's own: a cloned one may
    // carry a link to any file of the designer's.
    std::error_code ec;
    if (found && fs::is_symlink(*found, ec) && !LiesWithin(*found, PathFromUtf8(*top))) {
        return std::nullopt;
    }
    return found;
}

} // namespace sondrel
