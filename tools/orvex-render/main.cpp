#include <csignal>
#include <iostream>
#include <new>

#include "model/file_batch.h"
#include "tools/orvex-render/render_tool.h"

int main(int argc, char** argv) {
  // Past a file size limit a write fails with EFBIG, reported like a full disk, instead
  // of the signal ending the program with a temporary left behind.
  std::signal(SIGXFSZ, SIG_IGN);
  // Ctrl-C or a kill while a picture, a GIF or a video is written leaves no temporary.
  orvex::model::settleBatchesOnSignals();
  try {
    return orvex::render_tool::runRender(argc, argv);
  } catch (const std::bad_alloc&) {
    // A picture too big for the memory at hand is one line, like any other failure.
    std::cerr << "orvex-render: out of memory" << std::endl;
  }
  return 1;
}
