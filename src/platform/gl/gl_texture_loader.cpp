// Textures from picture files for the OpenGL device, made the way the Windows build's
// loader makes them: decoded to 32-bit texels, colour key applied (exact match of the
// whole 0xAARRGGBB value; decoded pixels are opaque, so opaque black keys black), sides
// rounded up to powers of two within the device's limit with an area-weighted
// resample, a full chain of box-filtered mip levels, X8R8G8B8 without a key and
// A8R8G8B8 with one. JPEG through libjpeg-turbo, BMP through the project's reader.
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

#include "formats/bmpfile.h"
#include "platform/files.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_internal.h"

namespace vtl::gl {

namespace {

using detail::Level;

constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002u);  // the missing-file result of Windows
constexpr HResult kInvalidData = static_cast<HResult>(0x88760B59u);   // the loader's "not a picture" result
constexpr std::uint32_t kMaxSide = 16384;
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 30;

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
    image.pixels.assign(std::size_t(image.width) * image.height, 0);
    row.resize(std::size_t(image.width) * 3);
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        JSAMPROW rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;
        std::uint32_t* out = &image.pixels[y * image.width];
        for (std::uint32_t x = 0; x < image.width; ++x)
            out[x] =
                0xFF000000u | std::uint32_t(row[3 * x]) << 16 | std::uint32_t(row[3 * x + 1]) << 8 | row[3 * x + 2];
    }
    // A file that ends early keeps the rows it had, as decoders do; a file without one
    // whole row is not a picture.
    const bool complete = info.output_scanline > 0;
    jpeg_abort_decompress(&info);
    jpeg_destroy_decompress(&info);
    return complete;
}

HResult Decode(const std::string& path, Level& image) {
    const auto read = ReadWholeFile(path, kMaxFileBytes);
    if (!read) return FileExists(path) ? kInvalidData : kFileNotFound;
    const std::vector<std::uint8_t>& bytes = *read;
    if (IsJpeg(bytes)) return DecodeJpeg(bytes, image) ? D3D_OK : kInvalidData;
    auto bmp = ParseBmp(bytes.data(), bytes.size());
    if (!bmp) return kInvalidData;
    image.width = bmp->width;
    image.height = bmp->height;
    image.pixels = std::move(bmp->pixels);
    return D3D_OK;
}

HResult Load(IRenderDevice& device, const std::string& fileName, D3DCOLOR colorKey,
             std::shared_ptr<IRenderTexture>& texture) {
    texture.reset();
    const std::uint32_t limit = detail::MaxTextureSide(device);
    if (limit == 0) return D3DERR_INVALIDCALL;
    Level image;
    const HResult decoded = Decode(fileName, image);
    if (decoded < 0) return decoded;
    imageops::ApplyColorKey(image, colorKey);
    std::uint32_t width = imageops::NextPowerOfTwo(image.width), height = imageops::NextPowerOfTwo(image.height);
    while (width > limit) width /= 2;
    while (height > limit) height /= 2;
    std::vector<Level> chain;
    chain.push_back(imageops::Resample(image, width, height));
    while (chain.back().width > 1 || chain.back().height > 1) chain.push_back(imageops::HalveBox(chain.back()));
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
