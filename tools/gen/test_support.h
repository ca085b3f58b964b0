// Helpers for the generator's tests: a scratch directory per test and the real
// orvex-gen binary run as a subprocess.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/gen/polytope.h"
#include "tools/gen/wythoff.h"

namespace orvex::gen::testing {

/// A fresh directory under the system's temporary directory, removed at destruction.
class ScratchDir {
 public:
  explicit ScratchDir(const std::string& tag) {
    static int counter = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("orvex-gen-test-" + tag + "-" + std::to_string(getpid()) + "-" +
              std::to_string(counter++)))
                .string();
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() { std::filesystem::remove_all(path_); }
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

struct RunResult {
  int status = -1;
  std::string out, err;
};

/// Runs the built orvex-gen with args, capturing its exit status and both streams.
inline RunResult runGen(const std::vector<std::string>& args, const ScratchDir& scratch) {
  std::string command = std::string(ORVEX_BIN_DIR) + "/orvex-gen";
  for (const std::string& a : args) {
    std::string quoted = "'";
    for (char c : a) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    command += " " + quoted + "'";
  }
  const std::string out = scratch.file(".stdout"), err = scratch.file(".stderr");
  command += " >" + out + " 2>" + err + " </dev/null";
  RunResult r;
  int raw = std::system(command.c_str());
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = readText(out);
  r.err = readText(err);
  return r;
}

/// The Wythoff polytope of group and ring pattern, which must be valid.
inline Polytope wythoffOf(const std::string& group, const std::string& rings) {
  CoxeterGroup g;
  bool r[4];
  std::string error;
  Polytope p;
  if (!coxeterGroup(group, &g) || !parseRings(rings, r, &error) || !wythoff(g, r, &p, &error)) {
    ADD_FAILURE() << group << " " << rings << ": " << error;
  }
  return p;
}

}  // namespace orvex::gen::testing
