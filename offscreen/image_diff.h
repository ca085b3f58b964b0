// How far two pictures are apart, for checking that two renderers agree.
#pragma once

#include <string>

#include "offscreen/png_io.h"

namespace orvex::offscreen {

struct ImageDifference {
  bool sameSize = false;
  long pixels = 0;              // pixels compared
  long differingPixels = 0;     // pixels with some channel apart by more than the slack
  int largestChannelDifference = 0;
  double meanChannelDifference = 0.0;  // over every channel of every pixel

  /// One line for a failure message: "412 of 40000 pixels differ (largest 97, mean 0.31)".
  std::string describe() const;
};

/// Compares a and b pixel by pixel; a channel counts as different when it is more than
/// slack levels apart. Pictures of different sizes compare as !sameSize and nothing else.
ImageDifference compareImages(const RgbImage& a, const RgbImage& b, int slack);

/// The agreement expected between two rasterisations of the same scene: a few edge
/// pixels (at most 0.5%) may differ, and the mean difference stays below one level.
bool picturesAgree(const ImageDifference& d);

}  // namespace orvex::offscreen
