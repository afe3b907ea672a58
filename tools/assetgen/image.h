// In-memory pictures of the asset generator, shared by the picture, preview and
// contact-sheet code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtl {

// Packed 8-bit RGB, rows top-down, no padding: rgb.size() == width * height * 3.
struct RgbImage {
  int width = 0, height = 0;
  std::vector<std::uint8_t> rgb;
};

}  // namespace vtl
