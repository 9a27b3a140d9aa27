#include <iostream>
#include <string>
#include <vector>

#include "catalogue/CatalogueTool.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return morvik::RunCatalogueTool(args, std::cin, std::cout, std::cerr);
}
