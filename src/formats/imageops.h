#pragma once
// Pixel work of the texture loaders (d3d8ex on Windows, the OpenGL one on Linux) on
// 32-bit 0xAARRGGBB images: colour keying, resampling to the texture's size and the
// box-filtered mip chain.
#include <cstdint>
#include <vector>

namespace vtl::imageops {

struct Image {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // row-major, top row first, 0xAARRGGBB
};

// Pixels equal to key become transparent black. A key of 0 keys nothing.
void ApplyColorKey(Image& image, std::uint32_t key);
// Area-weighted resampling to width x height (both at least 1).
Image Resample(const Image& source, std::uint32_t width, std::uint32_t height);
// The next level of a mip chain: each pixel the mean of the 2 x 2 (or 2 x 1) block.
Image HalveBox(const Image& source);
// Levels of a full chain down to 1 x 1.
std::uint32_t FullChainLevels(std::uint32_t width, std::uint32_t height);
std::uint32_t NextPowerOfTwo(std::uint32_t n);

}  // namespace vtl::imageops
