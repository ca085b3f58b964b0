#include "app/data_dir.h"

#include <unistd.h>

#include <vector>

namespace orvex::app {

std::string defaultDataDir() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return ORVEX_INSTALL_MODELS_DIR;
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string exe(buffer.data(), static_cast<size_t>(n));
      size_t slash = exe.rfind('/');
      return exe.substr(0, slash) + "/../share/orvex/models";
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace orvex::app
