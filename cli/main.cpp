#include <iostream>
#include <string>
#include <vector>

#include "cli/Velcard.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return vel::cli::runVelcard(args, std::cout, std::cerr);
}
