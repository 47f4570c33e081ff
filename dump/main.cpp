#include "dump/dump.h"

#include <iostream>

int main(int argc, char* argv[]) {
    return sondrel::RunDump(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
