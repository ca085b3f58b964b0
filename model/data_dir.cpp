#include "model/data_dir.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

namespace orvex::model {

std::string defaultDataDir() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return ORVEX_INSTALL_MODELS_DIR;
    if (static_cast<size_t>(n) < buffer.size()) {
      // The link is already resolved, so dropping "bin/.." lexically is exact.
      const std::filesystem::path exe(std::string(buffer.data(), static_cast<size_t>(n)));
      return (exe.parent_path() / ".." / "share" / "orvex" / "models").lexically_normal();
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace orvex::model
