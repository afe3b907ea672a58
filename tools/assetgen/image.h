// In-memory pictures of the asset generator and the picture files it writes,
// shared by the picture, preview and contact-sheet code.
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

// 24-bit uncompressed bottom-up BMP, the form every Windows loader and the engine's
// own reader accept. Throws std::runtime_error when the file can't be written.
void WriteBmp24(const std::string& path, const RgbImage& image);

// 8-bit BMP with a median-cut palette of 256 colours, rows bottom-up: a picture of
// at most 256 colours comes back exactly. Throws std::runtime_error when the file
// can't be written.
void WriteBmp8(const std::string& path, const RgbImage& image);

// Baseline JPEG through libjpeg with fixed settings, so the bytes depend only on
// the pixels. Throws std::runtime_error when the file can't be written.
void WriteJpeg(const std::string& path, const RgbImage& image, int quality);

}  // namespace vtl
