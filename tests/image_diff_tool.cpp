// orvex-image-diff A.png B.png: the comparison the golden pictures use, for scripts that
// check another renderer (the browser explorer) against orvex-render. Prints how far the
// pictures are apart; exits 0 when they agree, 1 when not, 2 when one cannot be read.
#include <iostream>
#include <string>

#include "offscreen/image_diff.h"
#include "offscreen/png_io.h"

int main(int argc, char** argv) {
  using namespace orvex::offscreen;
  if (argc != 3) {
    std::cerr << "usage: orvex-image-diff A.png B.png\n";
    return 2;
  }
  RgbImage a, b;
  std::string error;
  if (!readPng(argv[1], &a, &error) || !readPng(argv[2], &b, &error)) {
    std::cerr << "orvex-image-diff: " << error << "\n";
    return 2;
  }
  // The golden pictures' slack: a channel may be 8 levels off before its pixel counts.
  const ImageDifference d = compareImages(a, b, 8);
  std::cout << d.describe() << "\n";
  return picturesAgree(d) ? 0 : 1;
}
