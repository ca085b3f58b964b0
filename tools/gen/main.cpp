// orvex-gen: builds and checks the polytope models the viewer reads.
#include <iostream>
#include <string>
#include <vector>

#include "tools/gen/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return orvex::gen::runCommandLine(args, orvex::gen::defaultModelsDir(), std::cout, std::cerr);
}
