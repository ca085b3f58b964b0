// Where orvex-render's pictures go: numbered PNG files, one animated GIF or one video,
// chosen by the output's extension.
#pragma once

#include <string>
#include <vector>

#include "model/file_batch.h"
#include "offscreen/gif_writer.h"
#include "offscreen/png_io.h"
#include "offscreen/video_writer.h"
#include "tools/orvex-render/render_options.h"

namespace orvex::render_tool {

/// The files options asks to be written: the output itself, or for PNG frames each
/// numbered frame's name.
std::vector<std::string> outputFileNames(const RenderOptions& options);

class PictureOutput {
 public:
  /// Opens the GIF or video (staged: nothing appears until finish). False with *error.
  bool open(const RenderOptions& options, std::string* error);
  /// Writes or keeps picture number frame (from 1; 0 for the one picture of no --frames).
  /// A frame of a PNG sequence is staged beside its name, to appear with all the others.
  bool add(const offscreen::RgbImage& image, int frame, std::string* error);
  /// Completes a GIF or video, or puts every frame of a PNG sequence in place at once:
  /// on failure the old frames all stay.
  bool finish(std::string* error);

 private:
  OutputKind kind_ = OutputKind::kPng;
  std::string output_;
  offscreen::GifWriter gif_;
  offscreen::VideoWriter video_;
  model::FileBatch frames_;
};

}  // namespace orvex::render_tool
