#include "tests/gui/xvfb_server.h"

#include <poll.h>
#include <unistd.h>

#include <chrono>

namespace orvex::gui_test {

std::unique_ptr<XvfbServer> XvfbServer::start(const std::string& xvfbPath,
                                              Clock::time_point deadline, std::string* error) {
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "pipe for -displayfd failed";
    return nullptr;
  }
  ChildOptions options;
  options.extraFd = fds[1];
  // -noreset: the server would otherwise reset whenever the last viewer of a test
  // disconnects. -br: a black root, so a window not yet drawn never looks like the
  // grey of a cleared frame.
  ChildProcess process =
      ChildProcess::start({xvfbPath, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                           "1024x768x24", "-nolisten", "tcp", "-noreset", "-br"},
                          options, error);
  close(fds[1]);
  if (process.pid() < 0) {
    close(fds[0]);
    return nullptr;
  }
  // The server writes the display number and a newline once it is ready for clients.
  std::string number;
  while (number.empty() || number.back() != '\n') {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      *error = "Xvfb did not report a display in time";
      close(fds[0]);
      return nullptr;
    }
    char c;
    if (read(fds[0], &c, 1) != 1) {
      *error = "Xvfb exited before reporting a display";
      close(fds[0]);
      return nullptr;
    }
    number.push_back(c);
  }
  close(fds[0]);
  number.pop_back();
  return std::unique_ptr<XvfbServer>(new XvfbServer(std::move(process), ":" + number));
}

}  // namespace orvex::gui_test
