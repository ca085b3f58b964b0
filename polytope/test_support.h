// Helpers for the generator's tests: a scratch directory per test, the real orvex-gen
// binary run as a subprocess, and Wythoff polytopes by name.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/temp_dir.h"
#include "polytope/library.h"
#include "polytope/polytope.h"
#include "polytope/wythoff.h"

namespace orvex::polytope::testing {

using ScratchDir = ::orvex::testing::TempDir;
using ::orvex::testing::readText;
using ::orvex::testing::writeText;

/// Runs the built orvex-gen with args in the scratch directory; a run that has not ended
/// within two minutes is killed and reported with exit status -1.
inline orvex::testing::ProgramResult runGen(const std::vector<std::string>& args,
                                            const ScratchDir& scratch) {
  return orvex::testing::runProgram(std::string(ORVEX_BIN_DIR) + "/orvex-gen", args,
                                    scratch.path(), {}, 120);
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

/// The rows of the shipped library table, data/polytopes.tsv.
inline std::vector<LibraryEntry> tableRows() {
  std::vector<LibraryEntry> rows;
  std::string error;
  if (!readLibraryTable(std::string(ORVEX_SOURCE_DIR) + "/data/polytopes.tsv", &rows, &error)) {
    ADD_FAILURE() << error;
  }
  return rows;
}

}  // namespace orvex::polytope::testing
