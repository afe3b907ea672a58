// Textures from picture files for the OpenGL device, made the way the Windows build's
// loader makes them: decoded to 32-bit texels, colour key applied (exact match of the
// whole 0xAARRGGBB value; decoded pixels are opaque, so opaque black keys black), sides
// rounded up to powers of two within the device's limit with an area-weighted
// resample, a full chain of box-filtered mip levels, X8R8G8B8 without a key and
// A8R8G8B8 with one. JPEG through libjpeg-turbo, BMP through the project's reader.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <fstream>

#include <jpeglib.h>

#include "platform/bmpfile.h"
#include "platform/linux/gl_device.h"
#include "platform/linux/gl_internal.h"

namespace vtl::gl {

namespace {

using detail::Level;

constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002u);  // the missing-file result of Windows
constexpr HResult kInvalidData = static_cast<HResult>(0x88760B59u);   // the loader's "not a picture" result
constexpr std::uint32_t kMaxSide = 16384;
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

bool ReadWhole(const std::string& path, std::vector<std::uint8_t>& bytes, HResult& failure) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        failure = kFileNotFound;
        return false;
    }
    const std::streamoff length = in.tellg();
    failure = kInvalidData;
    if (length <= 0 || static_cast<std::uint64_t>(length) > kMaxFileBytes) return false;
    bytes.resize(static_cast<std::size_t>(length));
    in.seekg(0);
    return bool(in.read(reinterpret_cast<char*>(bytes.data()), length));
}

// libjpeg reports fatal errors through error_exit, which must not return: jump back.
struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf back;
};

[[noreturn]] void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegError*>(info->err)->back, 1); }
void JpegQuiet(j_common_ptr, int) {}

bool IsJpeg(const std::vector<std::uint8_t>& bytes) {
    return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

// Kept apart from the objects with destructors: nothing here may be skipped by longjmp.
bool DecodeJpeg(const std::vector<std::uint8_t>& bytes, Level& image) {
    jpeg_decompress_struct info{};
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = JpegFail;
    error.manager.emit_message = JpegQuiet;
    std::vector<std::uint8_t> row;
    if (setjmp(error.back)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > kMaxSide ||
        info.image_height > kMaxSide) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (info.output_components != 3) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    image.width = info.output_width;
    image.height = info.output_height;
    image.texels.assign(std::size_t(image.width) * image.height, 0);
    row.resize(std::size_t(image.width) * 3);
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        std::uint32_t* out = &image.texels[y * image.width];
        for (std::uint32_t x = 0; x < image.width; ++x)
            out[x] = 0xFF000000u | std::uint32_t(row[3 * x]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
    }
    // A file that ends early keeps the rows it had, as decoders do; a file without one
    // whole row is not a picture.
    const bool complete = info.output_scanline > 0;
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return complete;
}

HResult Decode(const std::string& path, Level& image) {
    std::vector<std::uint8_t> bytes;
    HResult failure = kInvalidData;
    if (!ReadWhole(path, bytes, failure)) return failure;
    if (IsJpeg(bytes)) return DecodeJpeg(bytes, image) ? D3D_OK : kInvalidData;
    auto bmp = ParseBmp(bytes.data(), bytes.size());
    if (!bmp) return kInvalidData;
    image.width = bmp->width;
    image.height = bmp->height;
    image.texels = std::move(bmp->pixels);
    return D3D_OK;
}

std::uint32_t NextPowerOfTwo(std::uint32_t n) {
    std::uint32_t p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p;
}

struct Sum {
    double c[4] = {0, 0, 0, 0};
    void Add(std::uint32_t p, double w) {
        for (int i = 0; i < 4; ++i) c[i] += w * double((p >> (8 * i)) & 0xFFu);
    }
    std::uint32_t Mean(double total) const {
        std::uint32_t p = 0;
        for (int i = 0; i < 4; ++i) {
            const double v = std::clamp(std::floor(c[i] / total + 0.5), 0.0, 255.0);
            p |= std::uint32_t(v) << (8 * i);
        }
        return p;
    }
};

// The source pixels a target pixel covers along one axis, with the covered fractions.
struct Span {
    std::uint32_t first = 0;
    std::vector<double> weights;
};

std::vector<Span> Spans(std::uint32_t from, std::uint32_t to) {
    std::vector<Span> spans(to);
    const double scale = double(from) / double(to);
    for (std::uint32_t t = 0; t < to; ++t) {
        const double a = t * scale, b = (t + 1) * scale;
        Span& s = spans[t];
        s.first = std::uint32_t(std::floor(a));
        const std::uint32_t last = std::min(from - 1, std::uint32_t(std::ceil(b)) - 1);
        for (std::uint32_t i = s.first; i <= last; ++i)
            s.weights.push_back(std::max(0.0, std::min(b, double(i + 1)) - std::max(a, double(i))));
    }
    return spans;
}

Level Resample(const Level& source, std::uint32_t width, std::uint32_t height) {
    if (source.width == width && source.height == height) return source;
    const std::vector<Span> xs = Spans(source.width, width), ys = Spans(source.height, height);
    Level out;
    out.width = width;
    out.height = height;
    out.texels.resize(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x) {
            Sum sum;
            double total = 0;
            for (std::size_t j = 0; j < ys[y].weights.size(); ++j)
                for (std::size_t i = 0; i < xs[x].weights.size(); ++i) {
                    const double w = ys[y].weights[j] * xs[x].weights[i];
                    sum.Add(source.texels[std::size_t(ys[y].first + j) * source.width + xs[x].first + i], w);
                    total += w;
                }
            out.texels[std::size_t(y) * width + x] = total > 0 ? sum.Mean(total) : 0;
        }
    return out;
}

Level HalveBox(const Level& source) {
    Level out;
    out.width = std::max(1u, source.width / 2);
    out.height = std::max(1u, source.height / 2);
    out.texels.resize(std::size_t(out.width) * out.height);
    const std::uint32_t bx = source.width > 1 ? 2 : 1, by = source.height > 1 ? 2 : 1;
    for (std::uint32_t y = 0; y < out.height; ++y)
        for (std::uint32_t x = 0; x < out.width; ++x) {
            Sum sum;
            for (std::uint32_t j = 0; j < by; ++j)
                for (std::uint32_t i = 0; i < bx; ++i)
                    sum.Add(source.texels[std::size_t(y * by + j) * source.width + x * bx + i], 1.0);
            out.texels[std::size_t(y) * out.width + x] = sum.Mean(double(bx * by));
        }
    return out;
}

HResult Load(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
             std::shared_ptr<IRenderTexture>& texture) {
    texture.reset();
    const std::uint32_t limit = detail::MaxTextureSide(device);
    if (limit == 0) return D3DERR_INVALIDCALL;
    Level image;
    const HResult decoded = Decode(fileName, image);
    if (decoded < 0) return decoded;
    // A key of 0 keys nothing.
    if (colorKey != 0)
        for (std::uint32_t& t : image.texels)
            if (t == colorKey) t = 0;
    std::uint32_t width = NextPowerOfTwo(image.width), height = NextPowerOfTwo(image.height);
    while (width > limit) width /= 2;
    while (height > limit) height /= 2;
    std::vector<Level> chain;
    chain.push_back(Resample(image, width, height));
    while (chain.back().width > 1 || chain.back().height > 1) chain.push_back(HalveBox(chain.back()));
    return detail::CreateTexture(device, chain, colorKey != 0 ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, texture);
}

class GlTextureLoader : public ITextureLoader {
public:
    HResult LoadFromFile(IRenderDevice& device, const std::string& fileName,
                         std::shared_ptr<IRenderTexture>& texture) override {
        return Load(device, fileName, 0, texture);
    }
    HResult LoadFromFileEx(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
                           std::shared_ptr<IRenderTexture>& texture) override {
        return Load(device, fileName, colorKey, texture);
    }
};

}  // namespace

std::shared_ptr<ITextureLoader> CreateGlTextureLoader() { return std::make_shared<GlTextureLoader>(); }

}  // namespace vtl::gl
