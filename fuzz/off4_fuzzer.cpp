// 4OFF import: parse arbitrary text, then build the polytope (cell normals from the
// vertices) as the generator's import does.
#include <cstdlib>
#include <string>

#include "tools/orvex-gen/off4.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  const std::string text(reinterpret_cast<const char*>(data), size);
  gen::Off4 off;
  std::string error;
  if (!gen::parseOff4(text, "in.off", &off, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  gen::Polytope polytope;
  if (!gen::polytopeFromOff4(off, "in.off", &polytope, &error) && error.empty()) std::abort();
  return 0;
}
