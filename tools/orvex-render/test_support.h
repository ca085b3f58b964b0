// Helpers shared by the render tests: the shared scratch directory and program runner.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_program.h"
#include "tests/temp_dir.h"
#include "offscreen/mesa_leak_pause.h"

namespace orvex::render_tool::testing {

using ::orvex::offscreen::testing::MesaLeakPause;

using TempDir = ::orvex::testing::TempDir;

using ::orvex::testing::readText;
using ::orvex::testing::writeText;

inline std::string renderBinary() { return std::string(ORVEX_BIN_DIR) + "/orvex-render"; }

struct RunResult {
  int status = -1;  // the exit code, -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// Runs argv[0] (a path) with the rest of argv in cwd, as the shared test runner does.
inline RunResult runProgram(const std::vector<std::string>& argv, const std::string& cwd,
                            const std::vector<std::string>& extraEnv = {}) {
  const ::orvex::testing::ProgramResult r = ::orvex::testing::runProgram(
      argv[0], std::vector<std::string>(argv.begin() + 1, argv.end()), cwd, extraEnv);
  return {r.exitStatus, r.out, r.err};
}

/// Whether the model's vertex file is in the build tree's model directory.
inline bool modelAvailable(const std::string& name) {
  return std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/" + name + ".poi");
}

}  // namespace orvex::render_tool::testing
