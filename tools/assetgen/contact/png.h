// PNG output for the contact sheet: 8-bit RGB, one zlib stream, no filtering.
#pragma once

#include <string>

#include "image.h"

namespace vtl {

// Throws std::runtime_error when the file can't be written.
void WritePng(const std::string& path, const RgbImage& image);

}  // namespace vtl
