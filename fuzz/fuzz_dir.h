// A scratch directory for fuzz targets that must hand their input to a reader of files,
// made once per process and on a memory file system when there is one.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvex::fuzz {

inline const std::string& scratchDir() {
  // Never destroyed, so the removal at exit can still read it.
  static const std::string* const dir = [] {
    std::string pattern =
        (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/orvex-fuzz-XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    return new std::string(pattern);
  }();
  static const bool removedAtExit = std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(*dir, ignored);
  }) == 0;
  (void)removedAtExit;
  return *dir;
}

/// Replaces the file name in the scratch directory with bytes; returns its path.
inline std::string writeScratch(const std::string& name, const std::string& bytes) {
  const std::string path = scratchDir() + "/" + name;
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  return path;
}

}  // namespace orvex::fuzz
