// Helpers for the generator's tests: a scratch directory per test, the real orvex-gen
// binary run as a subprocess, and Wythoff polytopes by name.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/temp_dir.h"
#include "tools/gen/polytope.h"
#include "tools/gen/wythoff.h"

namespace orvex::gen::testing {

/// A fresh directory for one test, removed with everything in it afterwards.
class ScratchDir : public orvex::testing::TempDir {
 public:
  std::string file(const std::string& name) const { return path() + "/" + name; }
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

/// Runs the built orvex-gen with args in the scratch directory.
inline orvex::testing::ProgramResult runGen(const std::vector<std::string>& args,
                                            const ScratchDir& scratch) {
  return orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen", args,
                                    scratch.path());
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
