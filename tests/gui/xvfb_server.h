// A private X server for one test program, so tests never share or need a real display.
#pragma once

#include <memory>
#include <string>

#include "tests/gui/child_process.h"

namespace orvex::gui_test {

class XvfbServer {
 public:
  /// Starts Xvfb on a free display (chosen by the server itself through -displayfd) and
  /// waits, at most until deadline, until it accepts clients. nullptr with *error on failure.
  static std::unique_ptr<XvfbServer> start(const std::string& xvfbPath, Clock::time_point deadline,
                                           std::string* error);

  /// ":N", for DISPLAY.
  const std::string& display() const { return display_; }
  bool running() { return process_.running(); }

 private:
  XvfbServer(ChildProcess process, std::string display)
      : process_(std::move(process)), display_(std::move(display)) {}
  ChildProcess process_;
  std::string display_;
};

}  // namespace orvex::gui_test
