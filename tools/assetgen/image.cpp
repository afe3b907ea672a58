#include "image.h"

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>

// jpeglib.h needs FILE declared before it.
#include <jpeglib.h>

#include "outfile.h"

namespace vtl {

namespace {

void CheckImage(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * image.height * 3) {
        throw std::runtime_error("picture has no pixels or a wrong buffer size");
    }
}

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

}  // namespace

void WriteBmp24(const std::string& path, const RgbImage& image) {
    CheckImage(image);
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.width) * 3 + 3) & ~3u;
    const std::uint32_t pixelBytes = stride * static_cast<std::uint32_t>(image.height);
    std::vector<std::uint8_t> out;
    out.reserve(54 + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + pixelBytes, 4);  // file size
    PutLe(out, 0, 4);                // reserved
    PutLe(out, 54, 4);               // offset of the pixels
    PutLe(out, 40, 4);               // BITMAPINFOHEADER
    PutLe(out, static_cast<std::uint32_t>(image.width), 4);
    PutLe(out, static_cast<std::uint32_t>(image.height), 4);  // positive: bottom-up rows
    PutLe(out, 1, 2);                                         // planes
    PutLe(out, 24, 2);                                        // bits per pixel
    PutLe(out, 0, 4);                                         // BI_RGB
    PutLe(out, pixelBytes, 4);
    PutLe(out, 2835, 4);  // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);  // colours used
    PutLe(out, 0, 4);  // important colours
    for (int y = image.height - 1; y >= 0; --y) {
        const std::uint8_t* row = &image.rgb[static_cast<std::size_t>(y) * image.width * 3];
        for (int x = 0; x < image.width; ++x) {
            out.push_back(row[x * 3 + 2]);
            out.push_back(row[x * 3 + 1]);
            out.push_back(row[x * 3 + 0]);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.width) * 3; pad < stride; ++pad) out.push_back(0);
    }
    WriteFileBytes(path, out);
}

namespace {

// Colour quantisation by median cut: split the box with the widest channel range
// at its median until there are 256 boxes; each box's mean is a palette entry.
std::vector<std::array<std::uint8_t, 3>> MedianCut(const RgbImage& image, std::vector<std::uint8_t>& indices) {
    const int count = image.width * image.height;
    std::vector<int> order(count);
    for (int i = 0; i < count; ++i) order[i] = i;
    struct Box {
        int begin, end;
    };
    std::vector<Box> boxes{{0, count}};
    auto channel = [&](int pixel, int c) { return image.rgb[static_cast<size_t>(pixel) * 3 + c]; };
    auto widest = [&](const Box& b, int& range) {
        int best = 0;
        range = -1;
        for (int c = 0; c < 3; ++c) {
            int lo = 255, hi = 0;
            for (int i = b.begin; i < b.end; ++i) {
                lo = std::min<int>(lo, channel(order[i], c));
                hi = std::max<int>(hi, channel(order[i], c));
            }
            if (hi - lo > range) {
                range = hi - lo;
                best = c;
            }
        }
        return best;
    };
    while (boxes.size() < 256) {
        int pick = -1, pickRange = 0, pickChannel = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            int range = 0;
            const int c = widest(boxes[b], range);
            if (range > pickRange) {
                pickRange = range;
                pick = static_cast<int>(b);
                pickChannel = c;
            }
        }
        if (pick < 0) break;
        Box& box = boxes[pick];
        std::stable_sort(order.begin() + box.begin, order.begin() + box.end,
                         [&](int a, int b) { return channel(a, pickChannel) < channel(b, pickChannel); });
        const int mid = (box.begin + box.end) / 2;
        const Box upper{mid, box.end};
        box.end = mid;
        boxes.push_back(upper);
    }
    std::vector<std::array<std::uint8_t, 3>> palette(256, {0, 0, 0});
    indices.assign(count, 0);
    for (size_t b = 0; b < boxes.size(); ++b) {
        long sum[3] = {0, 0, 0};
        const int n = boxes[b].end - boxes[b].begin;
        for (int i = boxes[b].begin; i < boxes[b].end; ++i) {
            for (int c = 0; c < 3; ++c) sum[c] += channel(order[i], c);
            indices[order[i]] = static_cast<std::uint8_t>(b);
        }
        for (int c = 0; c < 3; ++c) palette[b][c] = static_cast<std::uint8_t>((sum[c] + n / 2) / std::max(n, 1));
    }
    return palette;
}

}  // namespace

void WriteBmp8(const std::string& path, const RgbImage& image) {
    CheckImage(image);
    std::vector<std::uint8_t> indices;
    const auto palette = MedianCut(image, indices);
    const int stride = (image.width + 3) & ~3;
    const std::uint32_t dataOffset = 14 + 40 + 256 * 4;
    const std::uint32_t size = dataOffset + static_cast<std::uint32_t>(stride * image.height);
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    PutLe(out, size, 4);
    PutLe(out, 0, 4);
    PutLe(out, dataOffset, 4);
    PutLe(out, 40, 4);
    PutLe(out, static_cast<std::uint32_t>(image.width), 4);
    PutLe(out, static_cast<std::uint32_t>(image.height), 4);  // positive: rows bottom-up
    PutLe(out, 1, 2);
    PutLe(out, 8, 2);
    PutLe(out, 0, 4);  // BI_RGB
    PutLe(out, static_cast<std::uint32_t>(stride * image.height), 4);
    PutLe(out, 2835, 4);
    PutLe(out, 2835, 4);
    PutLe(out, 256, 4);
    PutLe(out, 0, 4);
    for (const auto& c : palette) {
        out.push_back(c[2]);
        out.push_back(c[1]);
        out.push_back(c[0]);
        out.push_back(0);
    }
    for (int y = image.height - 1; y >= 0; --y) {
        for (int x = 0; x < image.width; ++x) out.push_back(indices[static_cast<size_t>(y) * image.width + x]);
        for (int x = image.width; x < stride; ++x) out.push_back(0);
    }
    WriteFileBytes(path, out);
}

namespace {

// libjpeg reports fatal errors through a callback that must not return; it jumps
// back into EncodeJpeg, whose frame holds nothing with a destructor.
struct JpegErrorManager {
    jpeg_error_mgr base;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void JumpOnJpegError(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<JpegErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, manager->message);
    std::longjmp(manager->jump, 1);
}

bool EncodeJpeg(std::FILE* file, const RgbImage& image, int quality, JpegErrorManager& errors) {
    jpeg_compress_struct cinfo;
    std::memset(&cinfo, 0, sizeof cinfo);
    cinfo.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnJpegError;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_stdio_dest(&cinfo, file);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    // The integer DCT gives the same coefficients with and without SIMD, so the file
    // is the same wherever it is built; optimised Huffman tables only shrink it.
    cinfo.dct_method = JDCT_ISLOW;
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row =
            const_cast<JSAMPROW>(&image.rgb[static_cast<std::size_t>(cinfo.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

}  // namespace

void WriteJpeg(const std::string& path, const RgbImage& image, int quality) {
    CheckImage(image);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) throw std::runtime_error("cannot create " + path);
    JpegErrorManager errors{};
    if (!EncodeJpeg(file.get(), image, quality, errors)) {
        throw std::runtime_error("JPEG encoder failed on " + path + ": " + errors.message);
    }
    if (std::fflush(file.get()) != 0 || std::ferror(file.get())) throw std::runtime_error("cannot write " + path);
}

}  // namespace vtl
