#include "tests/gui/image.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace orvex::gui_test {

std::string toString(const Rgb& c) {
  return "(" + std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b) + ")";
}

bool near(const Rgb& a, const Rgb& b, int tolerance) {
  return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
         std::abs(a.b - b.b) <= tolerance;
}

size_t Image::index(int x, int y) const {
  if (!contains(x, y)) {
    throw std::out_of_range("pixel (" + std::to_string(x) + "," + std::to_string(y) +
                            ") is not on the screen");
  }
  return static_cast<size_t>(y - top_) * columns_ + (x - left_);
}

Rgb Image::at(int x, int y) const { return pixels_[index(x, y)]; }

bool Image::operator==(const Image& o) const {
  return windowWidth_ == o.windowWidth_ && windowHeight_ == o.windowHeight_ && left_ == o.left_ &&
         top_ == o.top_ && columns_ == o.columns_ && rows_ == o.rows_ && pixels_ == o.pixels_;
}

int Image::drawnPixels() const {
  int n = 0;
  for (const Rgb& c : pixels_) n += isBackground(c) ? 0 : 1;
  return n;
}

namespace {

template <typename Pixel>
Image::Runs runs(int from, int to, bool (*pass)(const Rgb&), Pixel pixel) {
  Image::Runs out;
  for (int i = from; i < to; ++i) {
    if (!pass(pixel(i))) continue;
    if (!out.empty() && out.back().second == i - 1) {
      out.back().second = i;
    } else {
      out.push_back({i, i});
    }
  }
  return out;
}

}  // namespace

Image::Runs Image::runsInRow(int y, bool (*pass)(const Rgb&)) const {
  return runs(left_, left_ + columns_, pass, [&](int x) { return at(x, y); });
}

Image::Runs Image::runsInColumn(int x, bool (*pass)(const Rgb&)) const {
  return runs(top_, top_ + rows_, pass, [&](int y) { return at(x, y); });
}

bool Image::writePpm(const std::string& path) const {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << columns_ << " " << rows_ << "\n255\n";
  for (const Rgb& c : pixels_) {
    out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
  }
  return static_cast<bool>(out);
}

void PrintTo(const Image& image, std::ostream* out) {
  *out << image.windowWidth() << "x" << image.windowHeight() << " picture with "
       << image.drawnPixels() << " drawn pixels";
}

void PrintTo(const Rgb& c, std::ostream* out) { *out << toString(c); }

}  // namespace orvex::gui_test
