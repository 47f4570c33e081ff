// The entry of the command-line tools: their arguments as UTF-8 and their standard output as
// on Linux, on every system.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace sondrel {

using ToolRun = int (*)(const std::vector<std::string>& arguments, std::ostream& out,
                        std::ostream& err);

// Runs a tool on the program's arguments (without its name). On Windows they come as UTF-16,
// so that any file name reaches the tool, and the output is binary, with LF line ends.
#if defined(_WIN32)
int RunTool(int argc, wchar_t* argv[], ToolRun run);
#else
int RunTool(int argc, char* argv[], ToolRun run);
#endif

} // namespace sondrel
