#include <iostream>

#include "cli/command.h"

int main(int argc, char** argv) { return quillon::cli::runCommandLine(argc, argv, std::cout, std::cerr); }
