#include "text/text_tool.h"
#include "text/tool_main.h"

#if defined(_WIN32)
int wmain(int argc, wchar_t* argv[]) {
    return sondrel::RunTool(argc, argv, sondrel::RunText);
}
#else
int main(int argc, char* argv[]) {
    return sondrel::RunTool(argc, argv, sondrel::RunText);
}
#endif
