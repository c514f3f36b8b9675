#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) { return qc::RunQcard(argc, argv, std::cout, std::cerr); }
