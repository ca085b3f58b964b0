// 4OFF import: parse arbitrary text, then build the polytope (cell normals from the
// vertices) as the generator's import does.
#include <cstdlib>
#include <string>

#include "polytope/off4.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  const std::string text(reinterpret_cast<const char*>(data), size);
  polytope::Off4 off;
  std::string error;
  if (!polytope::parseOff4(text, "in.off", &off, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  polytope::Polytope polytope;
  if (!polytope::polytopeFromOff4(off, "in.off", &polytope, &error) && error.empty()) std::abort();
  return 0;
}
