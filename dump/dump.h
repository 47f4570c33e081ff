// sondrel-dump: a text view of a sound table, one line per entry of the editor's list, for
// reading, diffing and version control.
//
//   sondrel-dump [--native] [--objects FILE] TABLE.sfx
//   sondrel-dump --raw TABLE.sfx
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sondrel {

// Runs the tool on its arguments (UTF-8, without the program name), writing the view to `out` and
// any failure to `err`. Returns the exit status: 0, 1 for a failure the editor would report,
// 2 for a command line it does not understand, 3 for a table shorter than its counts say
// (whose view is printed all the same).
int RunDump(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

} // namespace sondrel
