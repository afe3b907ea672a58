// Reading back the generated pictures for the contact sheet.
#pragma once

#include <string>

#include "image.h"

namespace vtl {

// Both throw std::runtime_error for a file they cannot read or decode.
RgbImage ReadJpegFile(const std::string& path);
// Uncompressed BMP of 8, 24 or 32 bits per pixel, either row order.
RgbImage ReadBmpFile(const std::string& path);

}  // namespace vtl
