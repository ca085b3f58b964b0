#include "tools/orvex-render/picture_output.h"

namespace orvex::render_tool {

std::vector<std::string> outputFileNames(const RenderOptions& options) {
  if (options.exported.mesh && options.exported.meshFormat == exporting::MeshFormat::kObj) {
    return {options.output, exporting::materialFileOf(options.output)};
  }
  if (options.frames == 0 || options.outputKind != OutputKind::kPng) return {options.output};
  std::vector<std::string> names;
  for (int frame = 1; frame <= options.frames; ++frame) {
    names.push_back(frameFileName(options.output, frame));
  }
  return names;
}

bool PictureOutput::open(const RenderOptions& options, std::string* error) {
  kind_ = options.outputKind;
  output_ = options.output;
  switch (kind_) {
    case OutputKind::kPng:
      return true;
    case OutputKind::kGif:
      return gif_.open(output_, options.size, options.size, options.fps, error);
    case OutputKind::kMp4:
    case OutputKind::kWebm:
      return video_.open(
          output_,
          kind_ == OutputKind::kMp4 ? offscreen::VideoFormat::kMp4 : offscreen::VideoFormat::kWebm,
          options.size, options.size, options.fps, error);
  }
  return true;
}

bool PictureOutput::add(const offscreen::RgbImage& image, int frame, std::string* error) {
  switch (kind_) {
    case OutputKind::kPng: {
      if (frame == 0) return offscreen::writePng(output_, image, error);
      const std::string name = frameFileName(output_, frame);
      std::string bytes;
      return offscreen::encodePng(name, image, &bytes, error) && frames_.stage(name, bytes, error);
    }
    case OutputKind::kGif:
      return gif_.add(image, error);
    case OutputKind::kMp4:
    case OutputKind::kWebm:
      return video_.add(image, error);
  }
  return true;
}

bool PictureOutput::finish(std::string* error) {
  if (kind_ == OutputKind::kGif) return gif_.finish(error);
  if (kind_ == OutputKind::kMp4 || kind_ == OutputKind::kWebm) return video_.finish(error);
  return frames_.commit(error);
}

}  // namespace orvex::render_tool
