#include <iostream>
#include <unistd.h>

#include "cli/command.h"

int main(int argc, char** argv) {
    tobu::cli::Io io{std::cout, std::cerr, isatty(STDOUT_FILENO) == 1};
    return tobu::cli::RunTool(std::vector<std::string>(argv + 1, argv + argc), io);
}
