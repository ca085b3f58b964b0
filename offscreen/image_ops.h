// Picture arithmetic for antialiasing and transparency, on images read back from GL.
#pragma once

#include "offscreen/png_io.h"

namespace orvex::offscreen {

/// Each factor × factor block of image averaged into one pixel (a box filter): image's
/// sides must be multiples of factor. Factor 1 returns image unchanged.
RgbImage shrinkByAveraging(const RgbImage& image, int factor);

/// The picture with alpha recovered from two drawings of one frame, one on black with
/// black fog and one on white with white fog: where they differ the background showed
/// through, so alpha = 1 - (white - black) and the colour is black / alpha. Both must
/// be RGB of the same size; the result has alpha.
RgbImage alphaFromBlackAndWhite(const RgbImage& onBlack, const RgbImage& onWhite);

}  // namespace orvex::offscreen
