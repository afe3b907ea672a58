// The saver's pictures, drawn from code.
#pragma once

#include "image.h"

namespace vtl {

// The night city behind the skull, 512 x 512.
RgbImage MakeCityBackground();

// A sphere map addressed by camera-space normals (u = 0.5 + 0.5 nx,
// v = 0.5 - 0.5 ny): bright sky for normals that point up, city lights for those
// that point down; smooth, so it reads as gloss on the models. 256 x 256.
RgbImage MakeEnvironmentMap();

// The overlay's glyph strip: 16 cells of 32 x 64 pixels in one row (the digits,
// ",", space, ".", f, p, s), white strokes on pure black, which the loader keys
// out as transparent.
constexpr int kFontCellWidth = 32, kFontCellHeight = 64, kFontCells = 16;
RgbImage MakeNumberFont();

}  // namespace vtl
