#include "text/text_tool.h"

#include <iostream>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

// On Windows the arguments come as UTF-16, so that any file name reaches the tool, and the
// text is written as it is on Linux, with LF line ends.
int wmain(int argc, wchar_t* argv[]) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string argument(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
        WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, argument.data(), size, nullptr, nullptr);
        arguments.push_back(std::move(argument));
    }
    _setmode(_fileno(stdout), _O_BINARY);
    return sondrel::RunText(arguments, std::cout, std::cerr);
}
#else
int main(int argc, char* argv[]) {
    return sondrel::RunText(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
