#include "cli/tool_main.h"
#include "dump/dump.h"

#if defined(_WIN32)
int wmain(int argc, wchar_t* argv[]) {
    return sondrel::RunTool(argc, argv, sondrel::RunDump);
}
#else
int main(int argc, char* argv[]) {
    return sondrel::RunTool(argc, argv, sondrel::RunDump);
}
#endif
