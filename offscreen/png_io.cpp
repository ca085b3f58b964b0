#include "offscreen/png_io.h"

#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "base/output_file.h"

namespace orvex::offscreen {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// libpng reports errors by longjmp unless given a handler; throwing is not safe through
// its C frames either, so the handler records the message and longjmps as libpng expects.
void onPngError(png_structp png, png_const_charp message) {
  auto* error = static_cast<std::string*>(png_get_error_ptr(png));
  *error = message;
  png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

// libpng hands the encoded bytes here; they are kept whole in memory so that the file is
// written by the one writer that checks every write, the close and the rename.
void appendBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* bytes = static_cast<std::string*>(png_get_io_ptr(png));
  try {
    bytes->append(reinterpret_cast<const char*>(data), length);
  } catch (const std::bad_alloc&) {
    png_error(png, "out of memory");
  }
}

void flushNothing(png_structp) {}

bool encode(const RgbImage& image, std::string* bytes, std::string* error) {
  std::string pngError;
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, &pngError, onPngError, onPngWarning);
  if (png == nullptr) {
    *error = "out of memory";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    *error = pngError.empty() ? "out of memory" : pngError;
    return false;
  }
  png_set_write_fn(png, bytes, appendBytes, flushNothing);
  png_set_IHDR(png, info, image.width, image.height, 8,
               image.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const size_t row = static_cast<size_t>(image.width) * (image.alpha ? 4 : 3);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, const_cast<png_bytep>(&image.pixels[row * y]));
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool encodePng(const std::string& path, const RgbImage& image, std::string* bytes,
               std::string* error) {
  if (image.width <= 0 || image.height <= 0 ||
      image.pixels.size() !=
          static_cast<size_t>(image.width) * image.height * (image.alpha ? 4 : 3)) {
    *error = path + ": picture of " + std::to_string(image.width) + "x" +
             std::to_string(image.height) + " pixels with " + std::to_string(image.pixels.size()) +
             " bytes cannot be written";
    return false;
  }
  std::string problem;
  if (!encode(image, bytes, &problem)) {
    *error = path + ": cannot write the picture: " + problem;
    return false;
  }
  return true;
}

bool writePng(const std::string& path, const RgbImage& image, std::string* error) {
  std::string bytes;
  // Through a symlink to the file it names; never over a device, directory or FIFO.
  return encodePng(path, image, &bytes, error) &&
         model::writeFilesWhole({{path, std::move(bytes)}}, error);
}

bool readPng(const std::string& path, RgbImage* image, std::string* error, bool keepAlpha) {
  File f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    *error = path + ": cannot open: " + std::strerror(errno);
    return false;
  }
  unsigned char signature[8];
  if (std::fread(signature, 1, 8, f.get()) != 8 || png_sig_cmp(signature, 0, 8) != 0) {
    *error = path + ": not a PNG file";
    return false;
  }
  std::string pngError;
  png_structp png =
      png_create_read_struct(PNG_LIBPNG_VER_STRING, &pngError, onPngError, onPngWarning);
  if (png == nullptr) {
    *error = path + ": out of memory";
    return false;
  }
  png_infop info = png_create_info_struct(png);
  // Everything owning memory exists before setjmp: a longjmp must skip no destructor.
  RgbImage result;
  std::vector<png_bytep> rows;
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    *error = path + ": " + (pngError.empty() ? "out of memory" : pngError);
    return false;
  }
  png_init_io(png, f.get());
  png_set_sig_bytes(png, 8);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  if (keepAlpha) {
    png_set_add_alpha(png, 0xff, PNG_FILLER_AFTER);
  } else {
    png_set_strip_alpha(png);
  }
  png_set_gray_to_rgb(png);
  png_read_update_info(png, info);
  result.width = static_cast<int>(png_get_image_width(png, info));
  result.height = static_cast<int>(png_get_image_height(png, info));
  result.alpha = keepAlpha;
  const size_t row = static_cast<size_t>(result.width) * (keepAlpha ? 4 : 3);
  if (png_get_rowbytes(png, info) != row) png_error(png, "unexpected row layout");
  result.pixels.resize(row * result.height);
  rows.resize(result.height);
  for (int y = 0; y < result.height; ++y) rows[y] = &result.pixels[row * y];
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  *image = std::move(result);
  return true;
}

}  // namespace orvex::offscreen
