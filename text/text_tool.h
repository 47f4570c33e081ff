// sondrel-text: a table and its sample list as one text that holds every byte of both, the
// pair written back from such a text, the merge driver git calls for tables, and the sound
// list the editor shows, as text.
//
//   sondrel-text export TABLE.sfx
//   sondrel-text import TEXT TABLE.sfx
//   sondrel-text merge BASE OURS THEIRS [PATH]
//   sondrel-text list [--native] [--objects FILE] TABLE.sfx
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sondrel {

// Runs the tool on its arguments (UTF-8, without the program name), writing to `out` and
// `err`. Returns the exit status: 0 done, 1 a merge with conflicts or a failure (nothing
// written), 2 a command line it does not understand, 3 a table that list finds shorter than
// its counts say.
int RunText(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace sondrel
