#include "offscreen/gif_writer.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cmath>

namespace orvex::offscreen {
namespace {

template <typename T, void (*Destroy)(T*)>
struct LiqDeleter {
  void operator()(T* p) const {
    if (p != nullptr) Destroy(p);
  }
};
using LiqAttr = std::unique_ptr<liq_attr, LiqDeleter<liq_attr, liq_attr_destroy>>;
using LiqImage = std::unique_ptr<liq_image, LiqDeleter<liq_image, liq_image_destroy>>;
using LiqHistogram =
    std::unique_ptr<liq_histogram, LiqDeleter<liq_histogram, liq_histogram_destroy>>;
using LiqResult = std::unique_ptr<liq_result, LiqDeleter<liq_result, liq_result_destroy>>;

// The NETSCAPE2.0 application block with a repeat count of 0: loop forever.
bool putLoopForever(GifFileType* gif) {
  static const GifByteType kName[] = "NETSCAPE2.0";
  static const GifByteType kLoop[] = {1, 0, 0};
  return EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(gif, 11, kName) == GIF_OK &&
         EGifPutExtensionBlock(gif, 3, kLoop) == GIF_OK && EGifPutExtensionTrailer(gif) == GIF_OK;
}

// The colours the viewer of the GIF has on screen: one RGB triplet a pixel.
using Canvas = std::vector<std::uint8_t>;

// A frame's pixels, pixel p of colour palette[indices[p]], against canvas, what the frames
// before left on screen.
struct FrameChange {
  const liq_palette& palette;
  const std::vector<std::uint8_t>& indices;
  int width;
  Canvas* canvas;
  bool over;  // a frame over earlier ones, not the first

  const liq_color& colour(size_t p) const { return palette.entries[indices[p]]; }
  bool same(size_t p) const {
    // The first frame has no canvas yet to index.
    if (!over) return false;
    const liq_color& c = colour(p);
    const std::uint8_t* shown = &(*canvas)[3 * p];
    return c.r == shown[0] && c.g == shown[1] && c.b == shown[2];
  }
};

struct Rect {
  int left, top, right, bottom;
};

// The rectangle around the pixels whose colour changes. When nothing changes, one
// transparent pixel keeps the frame and its delay.
Rect changedRect(const FrameChange& f, int height) {
  Rect r{f.width, height, -1, -1};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < f.width; ++x) {
      if (f.same(static_cast<size_t>(y) * f.width + x)) continue;
      r.left = std::min(r.left, x), r.right = std::max(r.right, x);
      r.top = std::min(r.top, y), r.bottom = std::max(r.bottom, y);
    }
  }
  if (r.right < 0) r.left = r.right = r.top = r.bottom = 0;
  return r;
}

// The colour map: the colours the changed pixels use, in order of first use, and after
// them one more index for the transparent pixels when it fits in 256. A colour map holds
// a power of two entries; the unused ones stay black.
struct ColourMap {
  std::vector<int> local;  // by palette index: the map's index, or -1
  std::vector<GifColorType> colours;
  bool clear;  // unchanged pixels may be transparent
  int transparent;
};

ColourMap colourMapOf(const FrameChange& f, const Rect& r) {
  ColourMap map;
  map.local.assign(f.palette.count, -1);
  for (int y = r.top; y <= r.bottom; ++y) {
    for (int x = r.left; x <= r.right; ++x) {
      const size_t p = static_cast<size_t>(y) * f.width + x;
      if (f.same(p) || map.local[f.indices[p]] >= 0) continue;
      map.local[f.indices[p]] = static_cast<int>(map.colours.size());
      const liq_color& c = f.colour(p);
      map.colours.push_back({c.r, c.g, c.b});
    }
  }
  map.clear = f.over && map.colours.size() < 256;
  map.transparent = map.clear ? static_cast<int>(map.colours.size()) : NO_TRANSPARENT_COLOR;
  if (map.clear) map.colours.push_back({0, 0, 0});
  size_t entries = 2;
  while (entries < map.colours.size()) entries *= 2;
  map.colours.resize(entries, GifColorType{0, 0, 0});
  return map;
}

// The frame's graphics control (its delay and transparent index) and image descriptor.
bool putFrameHeader(GifFileType* gif, const Rect& r, ColourMap& map, int delay) {
  GraphicsControlBlock control{DISPOSE_DO_NOT, false, delay, map.transparent};
  GifByteType extension[4];
  const size_t length = EGifGCBToExtension(&control, extension);
  if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) !=
      GIF_OK) {
    return false;
  }
  ColorMapObject* object =
      GifMakeMapObject(static_cast<int>(map.colours.size()), map.colours.data());
  if (object == nullptr) return false;
  const int w = r.right - r.left + 1, h = r.bottom - r.top + 1;
  const bool described = EGifPutImageDesc(gif, r.left, r.top, w, h, false, object) == GIF_OK;
  GifFreeMapObject(object);
  return described;
}

// The rectangle's rows, updating the canvas where a pixel is drawn.
bool putFramePixels(GifFileType* gif, const FrameChange& f, const Rect& r, const ColourMap& map) {
  const int w = r.right - r.left + 1;
  std::vector<GifPixelType> row(w);
  for (int y = r.top; y <= r.bottom; ++y) {
    for (int x = r.left; x <= r.right; ++x) {
      const size_t p = static_cast<size_t>(y) * f.width + x;
      const int index = map.local[f.indices[p]];
      // An unchanged pixel is transparent unless it continues a run of its own colour.
      if (map.clear && f.same(p) && !(x > r.left && index >= 0 && row[x - r.left - 1] == index)) {
        row[x - r.left] = static_cast<GifPixelType>(map.transparent);
        continue;
      }
      // Without a transparent index every colour is in the map: unchanged pixels are
      // written in their own colour.
      row[x - r.left] = static_cast<GifPixelType>(index);
      const liq_color& c = f.colour(p);
      std::uint8_t* shown = &(*f.canvas)[3 * p];
      shown[0] = c.r, shown[1] = c.g, shown[2] = c.b;
    }
    if (EGifPutLine(gif, row.data(), w) != GIF_OK) return false;
  }
  return true;
}

// Writes one frame whose pixel p has colour palette[indices[p]], over canvas, the picture
// the frames before left on screen (empty for the first frame), and updates canvas. Only
// the rectangle around the pixels whose colour changes is stored, the unchanged pixels in
// it transparent, with a colour map of just the colours it uses: the frame decodes over
// the ones before to exactly the picture a whole frame in the full palette would give.
bool putFrame(GifFileType* gif, const liq_palette& palette,
              const std::vector<std::uint8_t>& indices, int width, int height, int delay,
              Canvas* canvas) {
  const FrameChange f{palette, indices, width, canvas, !canvas->empty()};
  const Rect r = changedRect(f, height);
  ColourMap map = colourMapOf(f, r);
  if (!putFrameHeader(gif, r, map, delay)) return false;
  if (!f.over) canvas->assign(static_cast<size_t>(width) * height * 3, 0);
  return putFramePixels(gif, f, r, map);
}

}  // namespace

int GifWriter::frameDelay(int frame, int fps) {
  // Each frame ends at the centisecond nearest its true end, so the error never builds
  // up: at 30 a second the delays go 3, 4, 3, 3, 4, 3, ... and 30 frames take 1 s.
  auto end = [fps](long long f) { return (200 * f + fps) / (2 * fps); };
  return static_cast<int>(end(frame + 1) - end(frame));
}

bool GifWriter::open(const std::string& path, int width, int height, int fps, std::string* error) {
  path_ = path;
  width_ = width;
  height_ = height;
  fps_ = fps;
  return file_.open(path, error);
}

bool GifWriter::add(const RgbImage& frame, std::string* error) {
  const size_t pixels = static_cast<size_t>(width_) * height_;
  if ((frames_.size() + 1) * pixels * 4 > kMaxFrameBytes) {
    *error = path_ + ": too many frames of this size for one GIF (at most " +
             std::to_string(kMaxFrameBytes / (pixels * 4)) + ")";
    return false;
  }
  std::vector<std::uint8_t> rgba(pixels * 4);
  for (size_t p = 0; p < pixels; ++p) {
    std::copy_n(&frame.pixels[3 * p], 3, &rgba[4 * p]);
    rgba[4 * p + 3] = 255;
  }
  frames_.push_back(std::move(rgba));
  return true;
}

bool GifWriter::finish(std::string* error) {
  LiqAttr attr(liq_attr_create());
  if (!attr) {
    *error = path_ + ": out of memory";
    return false;
  }
  liq_set_speed(attr.get(), 8);
  LiqHistogram histogram(liq_histogram_create(attr.get()));
  for (auto& frame : frames_) {
    LiqImage image(liq_image_create_rgba(attr.get(), frame.data(), width_, height_, 0));
    if (!image || liq_histogram_add_image(histogram.get(), attr.get(), image.get()) != LIQ_OK) {
      *error = path_ + ": cannot choose the colours";
      return false;
    }
  }
  liq_result* quantized = nullptr;
  if (liq_histogram_quantize(histogram.get(), attr.get(), &quantized) != LIQ_OK) {
    *error = path_ + ": cannot choose the colours";
    return false;
  }
  LiqResult result(quantized);
  // Undithered: a pixel whose colour stays keeps its index from frame to frame, so the
  // frames' changes stay small; dithering noise would change nearly every pixel of the
  // polytope in every frame and double the file.
  liq_set_dithering_level(result.get(), 0.0f);

  int gifError = 0;
  GifFileType* gif = EGifOpenFileHandle(file_.releaseFd(), &gifError);
  if (gif == nullptr) {
    *error = path_ + ": cannot write: " + GifErrorString(gifError);
    return false;
  }
  EGifSetGifVersion(gif, true);
  bool ok = EGifPutScreenDesc(gif, width_, height_, 8, 0, nullptr) == GIF_OK && putLoopForever(gif);
  std::vector<std::uint8_t> indices(static_cast<size_t>(width_) * height_);
  Canvas canvas;
  for (size_t f = 0; ok && f < frames_.size(); ++f) {
    const int delay = frameDelay(static_cast<int>(f), fps_);
    LiqImage image(liq_image_create_rgba(attr.get(), frames_[f].data(), width_, height_, 0));
    ok = image && liq_write_remapped_image(result.get(), image.get(), indices.data(),
                                           indices.size()) == LIQ_OK;
    // Remapping may refine the palette: each frame carries the one its indices use.
    ok = ok &&
         putFrame(gif, *liq_get_palette(result.get()), indices, width_, height_, delay, &canvas);
    std::vector<std::uint8_t>().swap(frames_[f]);
  }
  if (!ok) gifError = gif->Error;
  if (EGifCloseFile(gif, &gifError) != GIF_OK) ok = false;
  if (!ok) {
    *error = path_ + ": cannot write the GIF: " + GifErrorString(gifError);
    return false;
  }
  return file_.commit(error);
}

}  // namespace orvex::offscreen
