// Feeds arbitrary bytes to the model loader as its three files: the vertex file, the
// polygon file and the normals file, split at the first two NUL bytes. Whatever the
// bytes, loading must either succeed or refuse with a message.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "model/loader.h"

namespace {

std::string makeDir() {
  char pattern[] = "/tmp/orvex-fuzz-XXXXXX";
  const char* dir = mkdtemp(pattern);
  if (dir == nullptr) std::abort();
  return dir;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = makeDir();
  std::string input(reinterpret_cast<const char*>(data), size);
  std::string part[3];
  for (int k = 0, start = 0; k < 3; ++k) {
    size_t end = k < 2 ? input.find('\0', start) : std::string::npos;
    part[k] = input.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (end == std::string::npos) break;
    start = static_cast<int>(end) + 1;
  }
  std::ofstream(dir + "/m.poi", std::ios::binary) << part[0] << "\nm.nor\n";
  std::ofstream(dir + "/fm.cel", std::ios::binary) << part[1];
  std::ofstream(dir + "/m.nor", std::ios::binary) << part[2];

  orvex::model::Model model;
  orvex::model::Vec3List projected;
  std::string error;
  if (!orvex::model::loadModel(dir, "m", &model, &projected, &error) && error.empty()) {
    std::abort();  // a refusal must say why
  }
  return 0;
}
