// The tests' own connection to the X server: finding the viewer's window, its geometry
// and title, its pixels, and whether any top-level window was created at all.
#pragma once

#include <string>

#include "tests/gui/child_process.h"
#include "tests/gui/image.h"

typedef struct _XDisplay Display;

namespace orvex::gui_test {

using WindowId = unsigned long;

struct WindowGeometry {
  int x = 0, y = 0;  // top-left corner on the screen
  int width = 0, height = 0;
};

class XClient {
 public:
  /// Connects to display; check connected().
  explicit XClient(const std::string& display);
  ~XClient();
  XClient(const XClient&) = delete;
  XClient& operator=(const XClient&) = delete;

  bool connected() const { return display_ != nullptr; }

  /// The first viewable top-level window whose name is title, polling until deadline;
  /// 0 if none appeared.
  WindowId waitForWindow(const std::string& title, Clock::time_point deadline);
  /// The window's name (WM_NAME), "" if it has none.
  std::string title(WindowId window);
  bool geometry(WindowId window, WindowGeometry* out);
  /// The window's on-screen pixels; an empty image if the window cannot be read.
  Image capture(WindowId window);

  /// From now on, count top-level windows created by any client.
  void watchTopLevelCreation();
  /// How many were created since watchTopLevelCreation (round-trips to the server first).
  int topLevelWindowsCreated();

 private:
  Display* display_ = nullptr;
  int created_ = 0;
};

}  // namespace orvex::gui_test
