#include "tests/gui/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace orvex::gui_test {

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    kill();
    pid_ = std::exchange(other.pid_, -1);
    exited_ = other.exited_;
    status_ = other.status_;
  }
  return *this;
}

ChildProcess ChildProcess::start(const std::vector<std::string>& argv, const ChildOptions& options,
                                 std::string* error) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  // An exec failure is reported through a close-on-exec pipe: EOF means exec succeeded.
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    *error = std::string("pipe: ") + std::strerror(errno);
    return {};
  }
  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::string("fork: ") + std::strerror(errno);
    close(report[0]);
    close(report[1]);
    return {};
  }
  if (pid == 0) {
    close(report[0]);
    // The test process has one thread, so setenv and open are safe between fork and exec.
    auto fail = [&] {
      const int e = errno;
      ssize_t ignored = write(report[1], &e, sizeof e);
      (void)ignored;
      _exit(127);
    };
    // Dies with the test program, even when that crashes before its destructors run.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (!options.workingDir.empty() && chdir(options.workingDir.c_str()) != 0) fail();
    for (const auto& [name, value] : options.env) setenv(name.c_str(), value.c_str(), 1);
    const int out = open(options.stdoutPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(options.stderrPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || err < 0 || in < 0) fail();
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (options.extraFd >= 0) fcntl(options.extraFd, F_SETFD, 0);
    execv(args[0], args.data());
    fail();
  }
  close(report[1]);
  int childErrno = 0;
  const ssize_t n = read(report[0], &childErrno, sizeof childErrno);
  close(report[0]);
  if (n > 0) {
    waitpid(pid, nullptr, 0);
    *error = "cannot start " + argv[0] + ": " + std::strerror(childErrno);
    return {};
  }
  return ChildProcess(pid);
}

bool ChildProcess::running() {
  if (pid_ < 0 || exited_) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    exited_ = true;
    status_ = status;
    return false;
  }
  return true;
}

bool ChildProcess::waitForExit(Clock::time_point deadline, int* status) {
  for (;;) {
    if (!running()) {
      if (pid_ < 0) return false;
      *status = status_;
      return true;
    }
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ChildProcess::kill() {
  if (pid_ < 0) return;
  if (!exited_) {
    // A polite end first: an X server killed outright leaves its lock file behind, and
    // two servers starting at once can both claim such a stale display.
    ::kill(pid_, SIGTERM);
    const auto deadline = Clock::now() + std::chrono::seconds(2);
    while (waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (Clock::now() >= deadline) {
        ::kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  pid_ = -1;
  exited_ = false;
}

double ChildProcess::cpuSeconds() const {
  if (pid_ < 0 || exited_) return -1;
  std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The command name may hold spaces and parentheses; the fields resume after the last ')'.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return -1;
  std::istringstream fields(stat.substr(close + 2));
  std::string field;
  // Fields 3..13 come before utime (14) and stime (15).
  for (int i = 3; i <= 13; ++i) fields >> field;
  long long utime = 0, stime = 0;
  if (!(fields >> utime >> stime)) return -1;
  return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

int runToCompletion(const std::vector<std::string>& argv, const ChildOptions& options,
                    Clock::time_point deadline, std::string* error) {
  ChildProcess child = ChildProcess::start(argv, options, error);
  if (child.pid() < 0) return -1;
  int status = 0;
  if (!child.waitForExit(deadline, &status)) {
    *error = argv[0] + " did not finish in time";
    return -1;
  }
  return status;
}

std::string findOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::istringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace orvex::gui_test
