// Short lines of text drawn into a picture after it is read back: a small built-in font,
// so the label needs no font files and looks the same everywhere.
#pragma once

#include <cstdint>
#include <string>

#include "offscreen/png_io.h"

namespace orvex::offscreen {

/// The glyphs' cell: 5 × 7 dots, one dot of space after each glyph.
constexpr int kGlyphWidth = 5, kGlyphHeight = 7;

/// Draws text into image with its top left corner at (x, y), each dot scale × scale pixels,
/// in rgb (fully opaque when image has alpha). The font has the digits, the lowercase
/// letters of the section labels and . , - + = : and space; other characters leave a gap.
/// What falls outside the image is cut off.
void stampText(RgbImage* image, const std::string& text, int x, int y, int scale,
               const std::uint8_t rgb[3]);

}  // namespace orvex::offscreen
