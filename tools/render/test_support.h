// Helpers shared by the render tests: a scratch directory and child processes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace orvex::offscreen::testing {

/// A fresh directory under the system's temporary directory, removed with its content.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvex-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }
  /// The names of the entries, sorted.
  std::vector<std::string> entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::string path_;
};

inline std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

inline void writeText(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

/// Starts argv[0] (a path) with the given arguments in directory cwd, stdout and stderr
/// going to files there, extra "NAME=value" entries added to the environment and
/// keepFd (when not -1) left open across exec. Returns the child's pid, -1 on failure.
inline pid_t startProcess(const std::vector<std::string>& argv, const std::string& cwd,
                          const std::string& outFile, const std::string& errFile,
                          const std::vector<std::string>& extraEnv = {}, int keepFd = -1) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    bool overridden = false;
    for (const std::string& extra : extraEnv) {
      overridden |= entry.compare(0, extra.find('=') + 1, extra, 0, extra.find('=') + 1) == 0;
    }
    if (!overridden) env.push_back(entry);
  }
  for (const std::string& extra : extraEnv) env.push_back(extra);
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // Child: only async-signal-safe calls from here, apart from building the arrays.
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  if (chdir(cwd.c_str()) != 0) _exit(126);
  const int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (out < 0 || err < 0) _exit(126);
  dup2(out, 1);
  dup2(err, 2);
  if (keepFd >= 0) fcntl(keepFd, F_SETFD, 0);
  execve(args[0], args.data(), envp.data());
  _exit(127);
}

/// The exit status of pid once it has ended: its code, or 128 + signal.
inline int waitForExit(pid_t pid) {
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  return 128 + WTERMSIG(status);
}

inline std::string renderBinary() { return std::string(ORVEX_BIN_DIR) + "/orvex-render"; }
inline std::string viewerBinary() { return std::string(ORVEX_BIN_DIR) + "/orvex"; }

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

/// The environment entry that keeps a sanitized build's leak check out of a child that
/// uses OpenGL: Mesa's driver, unloaded at exit, leaves allocations LSan cannot attribute
/// or suppress. Everything else ASan checks stays on.
inline std::string glChildAsanOptions() {
  const char* existing = std::getenv("ASAN_OPTIONS");
  std::string options = existing != nullptr ? existing : "";
  return "ASAN_OPTIONS=" + options + (options.empty() ? "" : ":") + "detect_leaks=0";
}

/// Runs a program to its end in cwd, which also receives its ".out" and ".err" files.
inline RunResult runProgram(const std::vector<std::string>& argv, const std::string& cwd,
                            std::vector<std::string> extraEnv = {}) {
  const std::string outFile = cwd + "/.out", errFile = cwd + "/.err";
  RunResult r;
  if (argv[0] == renderBinary() || argv[0] == viewerBinary()) {
    extraEnv.push_back(glChildAsanOptions());
  }
  const pid_t pid = startProcess(argv, cwd, outFile, errFile, extraEnv);
  if (pid < 0) return r;
  r.status = waitForExit(pid);
  r.out = readText(outFile);
  r.err = readText(errFile);
  std::remove(outFile.c_str());
  std::remove(errFile.c_str());
  return r;
}


/// Whether the model's vertex file is in the build tree's model directory.
inline bool modelAvailable(const std::string& name) {
  return std::filesystem::exists(std::string(ORVEX_MODELS_DIR) + "/" + name + ".poi");
}

}  // namespace orvex::offscreen::testing
