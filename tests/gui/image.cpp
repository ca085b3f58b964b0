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
  return windowWidth_ == o.windowWidth_ && windowHeight_ == o.windowHeight_ &&
         left_ == o.left_ && top_ == o.top_ && columns_ == o.columns_ && rows_ == o.rows_ &&
         pixels_ == o.pixels_;
}

int Image::drawnPixels() const {
  int n = 0;
  for (const Rgb& c : pixels_) n += isBackground(c) ? 0 : 1;
  return n;
}

namespace {

template <typename Pixel>
std::vector<std::pair<int, int>> runs(int from, int to, Pixel pixel) {
  std::vector<std::pair<int, int>> out;
  for (int i = from; i < to; ++i) {
    if (isBackground(pixel(i))) continue;
    if (!out.empty() && out.back().second == i - 1) {
      out.back().second = i;
    } else {
      out.push_back({i, i});
    }
  }
  return out;
}

}  // namespace

std::vector<std::pair<int, int>> Image::drawnRunsInRow(int y) const {
  return runs(left_, left_ + columns_, [&](int x) { return at(x, y); });
}

std::vector<std::pair<int, int>> Image::drawnRunsInColumn(int x) const {
  return runs(top_, top_ + rows_, [&](int y) { return at(x, y); });
}

bool Image::writePpm(const std::string& path) const {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << columns_ << " " << rows_ << "\n255\n";
  for (const Rgb& c : pixels_) {
    out.put(static_cast<char>(c.r)).put(static_cast<char>(c.g)).put(static_cast<char>(c.b));
  }
  return static_cast<bool>(out);
}

}  // namespace orvex::gui_test
