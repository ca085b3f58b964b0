// The hull's point reader on an arbitrary file: a point count and rows, or 4OFF.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_dir.h"
#include "polytope/hull.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvex;
  const std::string path =
      fuzz::writeScratch("points.txt", std::string(reinterpret_cast<const char*>(data), size));
  std::vector<polytope::Vec4> points;
  std::string error;
  if (!polytope::readPointsFile(path, &points, &error) && error.empty()) std::abort();
  return 0;
}
