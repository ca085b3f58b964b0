// Animated GIF files: every frame kept until the end, one palette chosen for the whole
// animation (so colours do not flicker from frame to frame), dithered into it, and a
// loop that never ends. Each frame after the first stores only the rectangle round what
// changed, with the unchanged pixels in it transparent and a colour map of just the colours
// it uses: far smaller, and decoded the very frames whole ones would give.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "offscreen/png_io.h"
#include "offscreen/staged_file.h"

namespace orvex::offscreen {

class GifWriter {
 public:
  /// The most bytes of frames a GIF may hold in memory before it is written.
  static constexpr size_t kMaxFrameBytes = size_t{1} << 30;
  /// The fastest rate a GIF can show: browsers slow every delay under 2 centiseconds
  /// down to 10.
  static constexpr int kMaxFps = 50;

  /// The delay of frame number frame (from 0) in centiseconds, the GIF's unit, at fps
  /// frames a second (1 to kMaxFps): whole centiseconds that add up, over any number of
  /// frames, to the true time rounded.
  static int frameDelay(int frame, int fps);

  /// Stages path for a width × height animation shown at fps frames a second. False with
  /// *error one line naming path.
  bool open(const std::string& path, int width, int height, int fps, std::string* error);
  /// Keeps one RGB frame of the open size.
  bool add(const RgbImage& frame, std::string* error);
  /// Chooses the palette, writes every frame and renames the file into place.
  bool finish(std::string* error);

 private:
  std::string path_;
  StagedFile file_;
  int width_ = 0, height_ = 0, fps_ = 25;
  std::vector<std::vector<std::uint8_t>> frames_;  // RGBA
};

}  // namespace orvex::offscreen
