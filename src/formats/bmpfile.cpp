#include "formats/bmpfile.h"

#include <limits>

#include "platform/files.h"

namespace vtl {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiAlphaBitfields = 6;
// A picture of 16384 x 16384 pixels at 32 bits is 1 GiB; no legitimate texture file is
// bigger than that.
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

std::uint32_t U16(const std::uint8_t* p) { return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8; }
std::uint32_t U32(const std::uint8_t* p) { return U16(p) | U16(p + 2) << 16; }

// One channel of a bit-field pixel scaled to 0..255; an empty mask gives `missing`.
struct Field {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Field(std::uint32_t m) : mask(m) {
        if (mask == 0) return;
        while (((mask >> shift) & 1u) == 0) ++shift;
        max = mask >> shift;
    }
    std::uint32_t Get(std::uint32_t pixel, std::uint32_t missing) const {
        if (mask == 0) return missing;
        const std::uint64_t v = (pixel & mask) >> shift;
        return std::uint32_t((v * 255 + max / 2) / max);
    }
};

// A mask is usable when its bits are contiguous and lie within the pixel.
bool UsableMask(std::uint32_t mask, std::uint32_t bits) {
    if (mask == 0) return true;
    if (bits < 32 && (mask >> bits) != 0) return false;
    const std::uint32_t low = mask & (~mask + 1);  // lowest set bit
    const std::uint64_t run = std::uint64_t(mask) + low;
    return (run & (run - 1)) == 0;  // mask + low is a power of two (or 2^32)
}

}  // namespace

std::optional<BmpImage> ParseBmp(const std::uint8_t* bytes, std::size_t size) {
    if (bytes == nullptr || size < 14 + 12 || bytes[0] != 'B' || bytes[1] != 'M') return std::nullopt;
    const std::uint32_t dataOffset = U32(bytes + 10);
    const std::uint8_t* info = bytes + 14;
    const std::uint32_t infoSize = U32(info);
    if (infoSize < 12 || infoSize > size - 14) return std::nullopt;

    std::int64_t width = 0, height = 0;
    std::uint32_t bits = 0, compression = kBiRgb, paletteEntries = 0;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::size_t paletteEntryBytes = 4;
    if (infoSize == 12) {  // the old core header: 16-bit sizes, 3-byte palette entries
        width = U16(info + 4);
        height = static_cast<std::int16_t>(U16(info + 6));
        if (U16(info + 8) != 1) return std::nullopt;
        bits = U16(info + 10);
        paletteEntryBytes = 3;
    } else {
        if (infoSize < 40) return std::nullopt;
        width = static_cast<std::int32_t>(U32(info + 4));
        height = static_cast<std::int32_t>(U32(info + 8));
        if (U16(info + 12) != 1) return std::nullopt;
        bits = U16(info + 14);
        compression = U32(info + 16);
        paletteEntries = U32(info + 32);
        if (compression == kBiBitfields || compression == kBiAlphaBitfields) {
            // The masks follow a 40-byte header, or are part of a longer one.
            const std::size_t count = compression == kBiAlphaBitfields ? 4 : 3;
            const std::size_t at = 14 + 40;
            if (size < at + 4 * count) return std::nullopt;
            for (std::size_t i = 0; i < count; ++i) masks[i] = U32(bytes + at + 4 * i);
            if (infoSize >= 56 && compression == kBiBitfields) masks[3] = U32(info + 52);
        }
    }
    const bool topDown = height < 0;
    if (topDown) height = -height;
    if (width <= 0 || height <= 0 || width > kBmpMaxSide || height > kBmpMaxSide) return std::nullopt;

    const bool bitfields = compression == kBiBitfields || compression == kBiAlphaBitfields;
    if (compression != kBiRgb && !(bitfields && (bits == 16 || bits == 32))) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return std::nullopt;
    if (!bitfields && bits == 16) {
        masks[0] = 0x7C00;
        masks[1] = 0x03E0;
        masks[2] = 0x001F;
    }
    for (std::uint32_t m : masks)
        if (!UsableMask(m, bits)) return std::nullopt;

    // The palette sits right after the header (and after the masks of a 40-byte one).
    std::vector<std::uint32_t> palette;
    if (bits <= 8) {
        const std::uint32_t most = 1u << bits;
        const std::uint32_t count = paletteEntries == 0 ? most : paletteEntries;
        if (count > most) return std::nullopt;
        const std::size_t at = 14 + std::size_t(infoSize);
        if (at + std::size_t(count) * paletteEntryBytes > size) return std::nullopt;
        palette.resize(most, 0xFF000000u);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::uint8_t* e = bytes + at + std::size_t(i) * paletteEntryBytes;
            palette[i] = 0xFF000000u | std::uint32_t(e[2]) << 16 | std::uint32_t(e[1]) << 8 | e[0];
        }
    }

    const std::size_t w = std::size_t(width), h = std::size_t(height);
    const std::size_t rowBytes = ((w * bits + 31) / 32) * 4;
    if (dataOffset > size || rowBytes > (size - dataOffset) / h) return std::nullopt;

    BmpImage image;
    image.width = std::uint32_t(w);
    image.height = std::uint32_t(h);
    image.pixels.resize(w * h);
    const Field red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    for (std::size_t y = 0; y < h; ++y) {
        const std::uint8_t* row = bytes + dataOffset + (topDown ? y : h - 1 - y) * rowBytes;
        std::uint32_t* out = &image.pixels[y * w];
        for (std::size_t x = 0; x < w; ++x) {
            std::uint32_t p = 0;
            switch (bits) {
                case 1: p = palette[(row[x / 8] >> (7 - x % 8)) & 1u]; break;
                case 4: p = palette[(row[x / 2] >> (x % 2 ? 0 : 4)) & 0xFu]; break;
                case 8: p = palette[row[x]]; break;
                case 24:
                    p = 0xFF000000u | std::uint32_t(row[3 * x + 2]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 |
                        row[3 * x];
                    break;
                case 32:
                    if (!bitfields) {
                        p = 0xFF000000u | (U32(row + 4 * x) & 0xFFFFFFu);
                        break;
                    }
                    [[fallthrough]];
                case 16: {
                    const std::uint32_t raw = bits == 16 ? U16(row + 2 * x) : U32(row + 4 * x);
                    p = alpha.Get(raw, 255) << 24 | red.Get(raw, 0) << 16 | green.Get(raw, 0) << 8 | blue.Get(raw, 0);
                    break;
                }
                default: break;
            }
            out[x] = p;
        }
    }
    return image;
}

std::optional<BmpImage> ReadBmpFile(const std::string& path) {
    const auto bytes = ReadWholeFile(path, kMaxFileBytes);
    if (!bytes) return std::nullopt;
    return ParseBmp(bytes->data(), bytes->size());
}

}  // namespace vtl
