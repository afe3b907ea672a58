// BMP reader: any bytes as a picture file. A picture that is accepted must have a
// pixel for every position of its sides, and no side beyond the limit.
#include <cstdint>
#include <cstdlib>

#include "formats/bmpfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto image = vtl::ParseBmp(data, size);
    if (!image) return 0;
    if (image->width == 0 || image->height == 0 || image->width > vtl::kBmpMaxSide || image->height > vtl::kBmpMaxSide)
        std::abort();
    if (image->pixels.size() != std::size_t(image->width) * image->height) std::abort();
    return 0;
}
