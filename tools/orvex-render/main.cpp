#include <iostream>
#include <new>

#include "tools/orvex-render/render_tool.h"

int main(int argc, char** argv) {
  try {
    return orvex::render_tool::runRender(argc, argv);
  } catch (const std::bad_alloc&) {
    // A picture too big for the memory at hand is one line, like any other failure.
    std::cerr << "orvex-render: out of memory" << std::endl;
  }
  return 1;
}
