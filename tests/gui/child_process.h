// A subprocess the GUI tests own: started with its own cwd and environment, always
// killed and reaped when the owner goes away, even when a test fails half-way.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace orvex::gui_test {

using Clock = std::chrono::steady_clock;

struct ChildOptions {
  std::string workingDir;                                // empty: the test's own
  std::vector<std::pair<std::string, std::string>> env;  // added to the inherited ones
  std::string stdoutPath = "/dev/null";
  std::string stderrPath = "/dev/null";
  int extraFd = -1;  // kept open (not close-on-exec) in the child, for -displayfd
};

class ChildProcess {
 public:
  /// Starts argv[0] (a path, not looked up on PATH). On failure returns a process that
  /// is not running and sets *error.
  static ChildProcess start(const std::vector<std::string>& argv, const ChildOptions& options,
                            std::string* error);

  ChildProcess() = default;
  ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { kill(); }

  pid_t pid() const { return pid_; }
  /// True while the process has not exited (reaps it if it has, keeping the status).
  bool running();
  /// Waits until the process exits or the deadline passes; true with the raw wait status
  /// in *status if it exited.
  bool waitForExit(Clock::time_point deadline, int* status);
  /// SIGKILL and reap; harmless when already gone.
  void kill();
  /// User plus system CPU time of all its threads so far, in seconds; -1 if unreadable.
  double cpuSeconds() const;

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_ = -1;
  bool exited_ = false;
  int status_ = 0;
};

/// Runs argv to completion (at most until deadline, then kills it); returns the wait
/// status, or -1 when it could not be started or timed out (with *error set).
int runToCompletion(const std::vector<std::string>& argv, const ChildOptions& options,
                    Clock::time_point deadline, std::string* error);

/// The absolute path of an executable found on PATH, or "".
std::string findOnPath(const std::string& name);

/// Whole file as text ("" if it cannot be read).
std::string readFile(const std::string& path);

}  // namespace orvex::gui_test
