#include "offscreen/image_ops.h"

#include <algorithm>
#include <cmath>

namespace orvex::offscreen {

RgbImage shrinkByAveraging(const RgbImage& image, int factor) {
  if (factor <= 1) return image;
  RgbImage out;
  out.width = image.width / factor;
  out.height = image.height / factor;
  out.pixels.assign(static_cast<size_t>(out.width) * out.height * 3, 0);
  const int samples = factor * factor;
  std::vector<int> sums(static_cast<size_t>(out.width) * 3);
  for (int y = 0; y < out.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int dy = 0; dy < factor; ++dy) {
      const std::uint8_t* row =
          &image.pixels[static_cast<size_t>(y * factor + dy) * image.width * 3];
      for (int x = 0; x < out.width * factor; ++x) {
        int* sum = &sums[static_cast<size_t>(x / factor) * 3];
        sum[0] += row[3 * x];
        sum[1] += row[3 * x + 1];
        sum[2] += row[3 * x + 2];
      }
    }
    std::uint8_t* target = &out.pixels[static_cast<size_t>(y) * out.width * 3];
    for (size_t i = 0; i < sums.size(); ++i) {
      target[i] = static_cast<std::uint8_t>((sums[i] + samples / 2) / samples);
    }
  }
  return out;
}

RgbImage alphaFromBlackAndWhite(const RgbImage& onBlack, const RgbImage& onWhite) {
  RgbImage out;
  out.width = onBlack.width;
  out.height = onBlack.height;
  out.alpha = true;
  const size_t pixels = static_cast<size_t>(out.width) * out.height;
  out.pixels.resize(pixels * 4);
  for (size_t p = 0; p < pixels; ++p) {
    const std::uint8_t* b = &onBlack.pixels[3 * p];
    const std::uint8_t* w = &onWhite.pixels[3 * p];
    // The three channels each measure the same coverage; their mean is the steadiest.
    const int seen = (w[0] - b[0]) + (w[1] - b[1]) + (w[2] - b[2]);
    const int alpha = std::clamp(255 - (seen + 1) / 3, 0, 255);
    std::uint8_t* o = &out.pixels[4 * p];
    for (int i = 0; i < 3; ++i) {
      o[i] = alpha == 0
                 ? 0
                 : static_cast<std::uint8_t>(std::min(255, (b[i] * 255 + alpha / 2) / alpha));
    }
    o[3] = static_cast<std::uint8_t>(alpha);
  }
  return out;
}

}  // namespace orvex::offscreen
