// Runs one of the built programs as a subprocess and collects what it printed.
#pragma once

#include <string>
#include <vector>

namespace orvex::testing {

struct ProgramResult {
  int exitStatus = -1;  // -1 when it did not exit normally
  std::string out;
  std::string err;
};

/// Runs the program with args in directory cwd, with DISPLAY removed from its
/// environment so that nothing can open a window, leak checks off (GL drivers leak at
/// exit where no suppression reaches) and the "NAME=value" entries of extraEnv added.
/// Standard input is empty. With timeoutSeconds > 0 a program still running after that
/// long is killed (exitStatus -1), so that a hang fails the test instead of stalling it.
ProgramResult runProgram(const std::string& program, const std::vector<std::string>& args,
                         const std::string& cwd, const std::vector<std::string>& extraEnv = {},
                         int timeoutSeconds = 0);

/// The extraEnv entries that preload the test fault shim into a program and make its
/// `call` ("RENAME", "LINK", "CLOSE" or "WRITE") fail for files whose path contains pathPart;
/// ("THREAD", "1") makes every thread start fail.
inline std::vector<std::string> failing(const std::string& call, const std::string& pathPart) {
  return {std::string("LD_PRELOAD=") + ORVEX_FAULT_SHIM, "ORVEX_FAIL_" + call + "=" + pathPart};
}

}  // namespace orvex::testing
