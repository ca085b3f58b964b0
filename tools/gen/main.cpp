// orvex-gen: builds and checks the polytope models the viewer reads.
#include <iostream>
#include <string>
#include <vector>

#include "model/data_dir.h"
#include "tools/gen/cli.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  return orvex::gen::runCommandLine(args, orvex::model::defaultDataDir(), std::cout, std::cerr);
}
