#include "canvas.h"

#include <cmath>

namespace vtl {

namespace {

std::uint8_t Quantise(double v, double offset) {
    const double scaled = std::floor(v * 255.0 + 0.5 + offset);
    return static_cast<std::uint8_t>(scaled < 0 ? 0 : (scaled > 255 ? 255 : scaled));
}

}  // namespace

RgbImage Canvas::ToImage(double dither) const {
    static const int kBayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    RgbImage image;
    image.width = width_;
    image.height = height_;
    image.rgb.resize(static_cast<std::size_t>(width_) * height_ * 3);
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            const double offset = dither * ((kBayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5);
            const Rgb& c = At(x, y);
            std::uint8_t* out = &image.rgb[(static_cast<std::size_t>(y) * width_ + x) * 3];
            out[0] = Quantise(c.r, offset);
            out[1] = Quantise(c.g, offset);
            out[2] = Quantise(c.b, offset);
        }
    }
    return image;
}

}  // namespace vtl
