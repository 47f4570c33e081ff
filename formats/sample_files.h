// Where a sample's file lies. A sample list names files ("KV5 Sound 12.wav"); the level editor
// finds them in the table's own folder, and Sondrel also in a samples folder the designer
// chose. Names are matched as the level editor's own (Windows) file system matches them,
// without regard to capitals, on every system.
#pragma once

#include <filesystem>
#include <string_view>
#include <vector>

namespace sondrel {

struct SampleFile {
    enum class Search {
        Found,   // `path` is the file
        Missing, // no folder holds it
        Refused, // the name leaves the folders ("..", a drive, a path from the root): never read
    };
    Search search = Search::Missing;
    std::filesystem::path path;
};

// The file `name` (the sample list's bytes, one character each) names in the first of
// `folders` that holds it. A name may name a file in a folder below ("Bells\Bell 2.wav", with
// "\" or "/"); each part is matched without regard to capitals, an exact match first. Only a
// regular file (or a link to one) is found.
SampleFile FindSampleFile(std::string_view name, const std::vector<std::filesystem::path>& folders);

} // namespace sondrel
