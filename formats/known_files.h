// The files an editor has read or written, as they were then: whether another program has
// changed one since, and what a save must therefore ask before it replaces anything.
#pragma once

#include "formats/file_io.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace sondrel {

class KnownFiles {
public:
    // Notes what the file holds now, as it was just read or written.
    void remember(const std::filesystem::path& path);
    // The same with what it held, stamped as it was read.
    void remember(const std::filesystem::path& path, std::optional<FileStamp> stamp);
    // True when the file was read or written here, under this name or another.
    bool knows(const std::filesystem::path& path) const;
    // True when the file is one read or written here and another program has changed it
    // since. A file that is gone, or cannot be read now, counts as unchanged: there is nothing
    // to lose, or the save that follows finds out whether it may replace it.
    bool changedSince(const std::filesystem::path& path) const;

private:
    struct Known {
        std::filesystem::path path;
        std::optional<FileStamp> stamp;
    };
    std::vector<Known>::const_iterator find(const std::filesystem::path& path) const;

    std::vector<Known> files_;
};

// What a save of a table and its sample list beside it must settle before it writes anything.
struct SaveQuestions {
    // The sample list's name is the table's own (a name ending in "sam", or a link to it):
    // the save is refused.
    bool sampleListIsTable = false;
    // The files another program changed since they were read or written here: the table first.
    std::vector<std::filesystem::path> changedByAnother;
    // A sample list is there that was never read or written here: another level's, maybe.
    bool unknownSampleList = false;
    // The table or its sample list is a link that leads out of the table's folder, where it
    // may name any file of the designer's: each, with where a save would write.
    struct Link {
        std::filesystem::path file;
        std::filesystem::path leadsTo;
    };
    std::vector<Link> linksOutside;
};
SaveQuestions QuestionsForSave(const std::filesystem::path& table,
                               const std::filesystem::path& sampleList, const KnownFiles& known);

} // namespace sondrel
