#pragma once
// BMP pictures for texture loaders that do not decode them themselves: uncompressed
// 1-, 4-, 8-bit (palette), 16-, 24- and 32-bit (plain or with bit-field masks), either
// row order. Every size is checked against the bytes actually there before anything
// is allocated, so a short or lying file is refused rather than read past its end.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vtl {

struct BmpImage {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // top row first, 0xAARRGGBB
};

// Sides above this are refused: no texture of the device can be that large anyway.
inline constexpr std::uint32_t kBmpMaxSide = 16384;

// Pixels without an alpha of their own (everything but bit-field files whose masks
// name an alpha channel) come out opaque.
std::optional<BmpImage> ParseBmp(const std::uint8_t* bytes, std::size_t size);
std::optional<BmpImage> ReadBmpFile(const std::string& path);

}  // namespace vtl
