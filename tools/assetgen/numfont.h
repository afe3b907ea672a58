// The overlay's number font, drawn from code.
#pragma once

#include "image.h"

namespace vtl {

// The overlay's glyph strip: 16 cells of 32 x 64 pixels in one row (the digits,
// ",", space, ".", f, p, s), white strokes on pure black, which the loader keys
// out as transparent.
constexpr int kFontCellWidth = 32, kFontCellHeight = 64, kFontCells = 16;
RgbImage MakeNumberFont();

}  // namespace vtl
