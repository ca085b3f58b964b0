#include "tests/gui/x_client.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <thread>

namespace orvex::gui_test {
namespace {

// A window that vanishes between two requests must fail that request, not end the tests
// (Xlib's default handler exits the process).
int ignoreError(Display*, XErrorEvent*) { return 0; }

int shiftOf(unsigned long mask) {
  int shift = 0;
  while (mask != 0 && (mask & 1) == 0) {
    mask >>= 1;
    ++shift;
  }
  return shift;
}

int channel(unsigned long pixel, unsigned long mask) {
  const unsigned long value = (pixel & mask) >> shiftOf(mask);
  const unsigned long max = mask >> shiftOf(mask);
  return max == 0 ? 0 : static_cast<int>(value * 255 / max);
}

}  // namespace

XClient::XClient(const std::string& display) {
  XSetErrorHandler(ignoreError);
  display_ = XOpenDisplay(display.c_str());
}

XClient::~XClient() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

WindowId XClient::waitForWindow(const std::string& title, Clock::time_point deadline) {
  for (;;) {
    Window root = DefaultRootWindow(display_), parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    WindowId found = 0;
    if (XQueryTree(display_, root, &root, &parent, &children, &count) != 0) {
      for (unsigned int i = 0; i < count && found == 0; ++i) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, children[i], &attributes) == 0) continue;
        if (attributes.map_state != IsViewable) continue;
        if (this->title(children[i]) == title) found = children[i];
      }
      if (children != nullptr) XFree(children);
    }
    if (found != 0) return found;
    if (Clock::now() >= deadline) return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string XClient::title(WindowId window) {
  char* name = nullptr;
  if (XFetchName(display_, window, &name) == 0 || name == nullptr) return "";
  std::string result(name);
  XFree(name);
  return result;
}

bool XClient::geometry(WindowId window, WindowGeometry* out) {
  XWindowAttributes attributes;
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return false;
  Window child = 0;
  if (!XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, &out->x, &out->y,
                             &child)) {
    return false;
  }
  out->width = attributes.width;
  out->height = attributes.height;
  return true;
}

Image XClient::capture(WindowId window) {
  WindowGeometry g;
  if (!geometry(window, &g)) return {};
  // Without backing store only the part on the screen exists; asking for more fails.
  const int screenWidth = DisplayWidth(display_, DefaultScreen(display_));
  const int screenHeight = DisplayHeight(display_, DefaultScreen(display_));
  const int left = std::max(0, -g.x), top = std::max(0, -g.y);
  const int right = std::min(g.width, screenWidth - g.x);
  const int bottom = std::min(g.height, screenHeight - g.y);
  if (right <= left || bottom <= top) return {};
  XImage* shot = XGetImage(display_, window, left, top, static_cast<unsigned>(right - left),
                           static_cast<unsigned>(bottom - top), AllPlanes, ZPixmap);
  if (shot == nullptr) return {};
  Image image(g.width, g.height, left, top, right - left, bottom - top);
  for (int y = top; y < bottom; ++y) {
    for (int x = left; x < right; ++x) {
      const unsigned long p = XGetPixel(shot, x - left, y - top);
      image.set(
          x, y,
          {channel(p, shot->red_mask), channel(p, shot->green_mask), channel(p, shot->blue_mask)});
    }
  }
  XDestroyImage(shot);
  return image;
}

void XClient::watchTopLevelCreation() {
  XSelectInput(display_, DefaultRootWindow(display_), SubstructureNotifyMask);
  XSync(display_, False);
  created_ = 0;
}

int XClient::topLevelWindowsCreated() {
  XSync(display_, False);
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == CreateNotify) ++created_;
  }
  return created_;
}

}  // namespace orvex::gui_test
