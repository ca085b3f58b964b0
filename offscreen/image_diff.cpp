#include "offscreen/image_diff.h"

#include <cstdlib>

namespace orvex::offscreen {

std::string ImageDifference::describe() const {
  if (!sameSize) return "the pictures differ in size";
  char text[160];
  std::snprintf(text, sizeof text, "%ld of %ld pixels differ (largest %d, mean %.3f)",
                differingPixels, pixels, largestChannelDifference, meanChannelDifference);
  return text;
}

ImageDifference compareImages(const RgbImage& a, const RgbImage& b, int slack) {
  ImageDifference d;
  d.sameSize = a.width == b.width && a.height == b.height && a.pixels.size() == b.pixels.size();
  if (!d.sameSize) return d;
  d.pixels = static_cast<long>(a.width) * a.height;
  double total = 0.0;
  for (long p = 0; p < d.pixels; ++p) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
      const int diff = std::abs(int(a.pixels[3 * p + c]) - int(b.pixels[3 * p + c]));
      total += diff;
      if (diff > largest) largest = diff;
    }
    if (largest > slack) ++d.differingPixels;
    if (largest > d.largestChannelDifference) d.largestChannelDifference = largest;
  }
  if (d.pixels > 0) d.meanChannelDifference = total / (3.0 * d.pixels);
  return d;
}

bool picturesAgree(const ImageDifference& d) {
  return d.sameSize && d.differingPixels * 200 <= d.pixels && d.meanChannelDifference < 1.0;
}

}  // namespace orvex::offscreen
