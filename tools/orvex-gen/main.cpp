// orvex-gen: builds and checks the polytope models the viewer reads.
#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "model/data_dir.h"
#include "model/file_batch.h"
#include "tools/orvex-gen/cli.h"

int main(int argc, char** argv) {
  // Past a file size limit a write then fails with EFBIG, which the writer reports and
  // cleans up after, instead of the signal ending the program with temporaries left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  // Ctrl-C or a kill while models are written leaves no temporaries and no mixed model.
  orvex::model::settleBatchesOnSignals();
  std::vector<std::string> args(argv + 1, argv + argc);
  return orvex::gen::runCommandLine(args, orvex::model::defaultDataDir(), std::cout, std::cerr);
}
