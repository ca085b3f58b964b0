// Video files browsers play: H.264 in MP4 or VP9 in WebM, 4:2:0, at a quality where the
// fog's gradients stay smooth.
#pragma once

#include <memory>
#include <string>

#include "offscreen/png_io.h"
#include "offscreen/staged_file.h"

namespace orvex::offscreen {

enum class VideoFormat { kMp4, kWebm };

class VideoWriter {
 public:
  VideoWriter();
  ~VideoWriter();
  VideoWriter(const VideoWriter&) = delete;
  VideoWriter& operator=(const VideoWriter&) = delete;

  /// Opens the encoder and stages path for width × height (both even) frames at fps a
  /// second. False with *error one line naming path (no encoder, cannot write, …).
  bool open(const std::string& path, VideoFormat format, int width, int height, int fps,
            std::string* error);
  /// Encodes one RGB frame of the open size.
  bool add(const RgbImage& frame, std::string* error);
  /// Drains the encoder, closes the file and renames it into place.
  bool finish(std::string* error);

 private:
  struct Av;
  std::unique_ptr<Av> av_;
  std::string path_;
  StagedFile file_;
  long long next_ = 0;
};

}  // namespace orvex::offscreen
