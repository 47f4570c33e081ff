#include "text/tool_main.h"

#include <iostream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace sondrel {

#if defined(_WIN32)
int RunTool(int argc, wchar_t* argv[], ToolRun run) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, argument.data(), size, nullptr, nullptr);
        arguments.push_back(std::move(argument));
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY); // a text read from standard input, byte for byte
    return run(arguments, std::cout, std::cerr);
}
#else
int RunTool(int argc, char* argv[], ToolRun run) {
    return run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif

} // namespace sondrel
