// Reading back the generated pictures for the contact sheet.
#pragma once

#include <string>

#include "image.h"

namespace vtl {

// Both throw std::runtime_error for a file they cannot read or decode.
RgbImage ReadJpegFile(const std::string& path);
// A BMP the product's own reader takes, as RGB.
RgbImage ReadBmpPicture(const std::string& path);

}  // namespace vtl
