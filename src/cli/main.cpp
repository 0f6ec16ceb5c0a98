#include <iostream>

#include "cli/Cli.h"

int main(int argc, char** argv) {
    return zarkent::cli::Run(argc, argv, std::cin, std::cout, std::cerr);
}
