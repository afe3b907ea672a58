#include "readers.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

// jpeglib.h needs FILE declared before it.
#include <jpeglib.h>

namespace vtl {

RgbImage ReadJpegFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) throw std::runtime_error("cannot open " + path);
  jpeg_decompress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, f);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  RgbImage image;
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  image.rgb.resize(static_cast<size_t>(image.width) * image.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = image.rgb.data() + static_cast<size_t>(info.output_scanline) * image.width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(f);
  return image;
}

RgbImage ReadBmpFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto u16 = [&](size_t o) { return static_cast<unsigned>(b.at(o) | (b.at(o + 1) << 8)); };
  auto u32 = [&](size_t o) { return static_cast<std::uint32_t>(u16(o) | (u16(o + 2) << 16)); };
  if (b.size() < 54 || b[0] != 'B' || b[1] != 'M') throw std::runtime_error("not a BMP: " + path);
  const std::uint32_t offset = u32(10), headerSize = u32(14);
  const auto width = static_cast<std::int32_t>(u32(18)), rawHeight = static_cast<std::int32_t>(u32(22));
  const unsigned bpp = u16(28);
  if (u32(30) != 0 || (bpp != 8 && bpp != 24 && bpp != 32) || width <= 0 || rawHeight == 0)
    throw std::runtime_error("unsupported BMP: " + path);
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;
  const size_t stride = ((static_cast<size_t>(width) * bpp + 31) / 32) * 4;
  const size_t palette = 14 + headerSize;
  RgbImage image;
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y) {
    const size_t row = offset + stride * static_cast<size_t>(rawHeight < 0 ? y : height - 1 - y);
    for (int x = 0; x < width; ++x) {
      std::uint8_t* out = &image.rgb[(static_cast<size_t>(y) * width + x) * 3];
      size_t px = row + static_cast<size_t>(x) * (bpp / 8);
      if (bpp == 8) px = palette + 4 * static_cast<size_t>(b.at(row + x));
      out[0] = b.at(px + 2);
      out[1] = b.at(px + 1);
      out[2] = b.at(px);
    }
  }
  return image;
}

}  // namespace vtl
