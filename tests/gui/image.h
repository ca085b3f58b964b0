// A screenshot of a window in window coordinates, and the colour tests the GUI tests use.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace orvex::gui_test {

struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
  bool operator!=(const Rgb& o) const { return !(*this == o); }
};

std::string toString(const Rgb& c);

/// Every channel within tolerance of the other colour's.
bool near(const Rgb& a, const Rgb& b, int tolerance);

/// The clear and fog colour 0.6 grey as an 8-bit framebuffer stores it.
constexpr Rgb kBackground{153, 153, 153};

/// Background within one step of rounding: what "nothing drawn here" looks like.
inline bool isBackground(const Rgb& c) { return near(c, kBackground, 1); }
inline bool isDrawn(const Rgb& c) { return !isBackground(c); }

/// A window's pixels. Only the part of the window that lies on the screen can be read
/// (a window without a window manager may sit at -1,-1), so the image covers window
/// columns [left, left + columns) and rows [top, top + rows).
class Image {
 public:
  Image() = default;
  Image(int windowWidth, int windowHeight, int left, int top, int columns, int rows)
      : windowWidth_(windowWidth),
        windowHeight_(windowHeight),
        left_(left),
        top_(top),
        columns_(columns),
        rows_(rows),
        pixels_(static_cast<size_t>(columns) * rows) {}

  int windowWidth() const { return windowWidth_; }
  int windowHeight() const { return windowHeight_; }
  bool empty() const { return pixels_.empty(); }
  bool contains(int x, int y) const {
    return x >= left_ && x < left_ + columns_ && y >= top_ && y < top_ + rows_;
  }
  /// The pixel at window coordinates (x, y); throws std::out_of_range when unreadable.
  Rgb at(int x, int y) const;
  void set(int x, int y, Rgb c) { pixels_[index(x, y)] = c; }

  bool operator==(const Image& o) const;
  bool operator!=(const Image& o) const { return !(*this == o); }
  /// How many readable pixels are not background.
  int drawnPixels() const;

  using Runs = std::vector<std::pair<int, int>>;
  /// Maximal runs of pixels that pass, along row y, as [first, last] columns.
  Runs runsInRow(int y, bool (*pass)(const Rgb&)) const;
  /// The same along column x, as [first, last] rows.
  Runs runsInColumn(int x, bool (*pass)(const Rgb&)) const;
  /// Runs of drawn (non-background) pixels.
  Runs drawnRunsInRow(int y) const { return runsInRow(y, isDrawn); }
  Runs drawnRunsInColumn(int x) const { return runsInColumn(x, isDrawn); }

  /// Writes a binary PPM, for looking at a failure.
  bool writePpm(const std::string& path) const;

 private:
  size_t index(int x, int y) const;
  int windowWidth_ = 0, windowHeight_ = 0;
  int left_ = 0, top_ = 0, columns_ = 0, rows_ = 0;
  std::vector<Rgb> pixels_;
};

/// For GoogleTest's messages: a summary, not the pixels.
void PrintTo(const Image& image, std::ostream* out);
void PrintTo(const Rgb& c, std::ostream* out);

}  // namespace orvex::gui_test
