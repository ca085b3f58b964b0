// 8-bit RGB PNG files: written atomically, read back for comparisons.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvex::offscreen {

/// An RGB picture, rows top to bottom, three bytes a pixel (four, RGBA, with alpha).
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;
  bool alpha = false;
};

/// Writes image to path through a temporary file in the same directory renamed into
/// place, so path either keeps its old content or holds the whole new picture. A
/// symlink is written through; anything existing that is not a regular file is refused
/// (see resolveOutputPath). On failure returns false with *error one line naming the
/// path, and leaves no file.
bool writePng(const std::string& path, const RgbImage& image, std::string* error);

/// The bytes writePng would write to path, for a caller that stages them itself. False
/// with *error as writePng's.
bool encodePng(const std::string& path, const RgbImage& image, std::string* bytes,
               std::string* error);

/// Reads any 8- or 16-bit PNG and converts it to RGB (alpha and 16-bit precision
/// dropped, greyscale and palettes expanded). On failure returns false with *error set.
/// With keepAlpha the result is RGBA (opaque where the file has no alpha).
bool readPng(const std::string& path, RgbImage* image, std::string* error, bool keepAlpha = false);

}  // namespace orvex::offscreen
