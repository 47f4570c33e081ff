// Where a sample's file lies. A sample list names files ("KV5 Sound 12.wav"); the level editor
// finds them in the table's own folder, and Sondrel also in a samples folder the designer
// chose. Names are matched as the level editor's own (Windows) file system matches them,
// without regard to capitals, on every system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace sondrel {

struct SampleFile {
    enum class Search {
        Found,   // `path` is the file
        Missing, // no folder holds it
        Refused, // never read: the name leaves the folders ("..", a drive, a path from the root)
                 // or holds a NUL, or the file is reached through a link that leaves them or
                 // that another user planted in a shared folder
    };
    Search search = Search::Missing;
    std::filesystem::path path;
    std::string why; // of a refusal, in words: "the name leads out of the folders ..."
};

// The file `name` (the sample list's bytes, one character each) names in the first of
// `folders` that holds it. A name may name a file in a folder below ("Bells\Bell 2.wav", with
// "\" or "/"); each part is matched without regard to capitals, an exact match first. Only a
// regular file is found, through links only as a save would follow them: within the folder it
// is looked for in, and never another user's in a shared folder.
SampleFile FindSampleFile(std::string_view name, const std::vector<std::filesystem::path>& folders);

// A sample's name as the level editor's file system compares it: capitals as small letters,
// "/" as a backslash. Two names that name the same file give the same key.
std::u32string SampleNameKey(std::string_view name);

} // namespace sondrel
