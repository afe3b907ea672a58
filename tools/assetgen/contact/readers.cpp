#include "readers.h"

#include "formats/bmpfile.h"

#include <cstdint>
#include <cstdio>
#include <optional>
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

RgbImage ReadBmpPicture(const std::string& path) {
    const std::optional<BmpImage> bmp = ReadBmpFile(path);
    if (!bmp) throw std::runtime_error("not a BMP this reader takes: " + path);
    RgbImage image;
    image.width = static_cast<int>(bmp->width);
    image.height = static_cast<int>(bmp->height);
    image.rgb.reserve(bmp->pixels.size() * 3);
    for (const std::uint32_t argb : bmp->pixels) {
        image.rgb.push_back(static_cast<std::uint8_t>(argb >> 16));
        image.rgb.push_back(static_cast<std::uint8_t>(argb >> 8));
        image.rgb.push_back(static_cast<std::uint8_t>(argb));
    }
    return image;
}

}  // namespace vtl
