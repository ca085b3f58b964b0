// An OpenGL context with no window and no X server: EGL on Mesa's surfaceless platform,
// drawing into a pbuffer made like the viewer's window (8-bit RGB without alpha, the
// deepest depth buffer, no multisampling), so that it draws the window's very pixels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace orvex::offscreen {

class OffscreenContext {
 public:
  /// Makes a desktop-GL compatibility context current on the calling thread with a
  /// width × height pbuffer and the viewport covering it. On failure returns
  /// null with *error set to one line saying which step failed.
  static std::unique_ptr<OffscreenContext> create(int width, int height, std::string* error);

  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  int width() const { return width_; }
  int height() const { return height_; }
  /// The GL_RENDERER string, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
  std::string renderer() const;

  /// Finishes drawing and returns the picture as RGB bytes, rows top to bottom, the
  /// way a window grab reads them. Alpha is dropped: the viewer's window has none.
  std::vector<std::uint8_t> readRgb() const;

 private:
  OffscreenContext() = default;
  struct Egl;
  std::unique_ptr<Egl> egl_;
  int width_ = 0;
  int height_ = 0;
};

}  // namespace orvex::offscreen
