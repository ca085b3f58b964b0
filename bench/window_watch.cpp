// orvex-window-watch: for bench/drag_settle.sh, polls a window's pixels as fast as the X
// server gives them and reports when they last changed.
//
//   orvex-window-watch WINDOW DONE_FILE QUIET_SECONDS
//
// Once DONE_FILE exists and the picture has then stood still for QUIET_SECONDS, prints
// the wall-clock time (seconds since the epoch, like `date +%s.%N`) of the first capture
// that showed the final picture, the mean time between captures and the mean time between
// the pictures seen changing (the frame time, while frames are slower than captures), both
// in milliseconds.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double wallSeconds() {
  return std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
      .count();
}

bool exists(const char* path) {
  struct stat st;
  return stat(path, &st) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: orvex-window-watch WINDOW DONE_FILE QUIET_SECONDS\n");
    return 1;
  }
  const Window window = std::strtoul(argv[1], nullptr, 0);
  const char* doneFile = argv[2];
  const double quiet = std::atof(argv[3]);
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "orvex-window-watch: cannot open the display\n");
    return 1;
  }
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) {
    std::fprintf(stderr, "orvex-window-watch: no window %s\n", argv[1]);
    return 1;
  }
  std::vector<char> last;
  const double start = wallSeconds();
  double changedAt = start;
  double firstChange = 0.0;
  double t = start;
  long captures = 0;
  long changes = 0;
  for (;;) {
    XImage* image = XGetImage(display, window, 0, 0, attributes.width, attributes.height,
                              AllPlanes, ZPixmap);
    t = wallSeconds();
    if (image == nullptr) {
      std::fprintf(stderr, "orvex-window-watch: cannot read window %s\n", argv[1]);
      return 1;
    }
    ++captures;
    const size_t size = static_cast<size_t>(image->bytes_per_line) * image->height;
    if (last.size() != size || std::memcmp(last.data(), image->data, size) != 0) {
      if (!last.empty() && changes++ == 0) firstChange = t;
      last.assign(image->data, image->data + size);
      changedAt = t;
    }
    XDestroyImage(image);
    if (t - changedAt > quiet && exists(doneFile)) break;
  }
  const double frame = changes > 1 ? 1e3 * (changedAt - firstChange) / (changes - 1) : 0.0;
  std::printf("%.6f %.1f %.1f\n", changedAt, 1e3 * (t - start) / captures, frame);
  XCloseDisplay(display);
  return 0;
}
