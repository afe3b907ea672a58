#include "formats/imageops.h"

#include <algorithm>
#include <cmath>

namespace vtl::imageops {

namespace {

struct Accum {
    double c[4] = {0, 0, 0, 0};
    void Add(std::uint32_t p, double w) {
        for (int i = 0; i < 4; ++i) c[i] += w * double((p >> (8 * i)) & 0xFFu);
    }
    std::uint32_t Mean(double total) const {
        std::uint32_t p = 0;
        for (int i = 0; i < 4; ++i) {
            const double v = std::min(255.0, std::max(0.0, std::floor(c[i] / total + 0.5)));
            p |= std::uint32_t(v) << (8 * i);
        }
        return p;
    }
};

// Source spans covered by each target pixel along one axis, with their weights.
struct Span {
    std::uint32_t first, last;
    std::vector<double> weights;
};

std::vector<Span> Spans(std::uint32_t from, std::uint32_t to) {
    std::vector<Span> spans(to);
    const double scale = double(from) / double(to);
    for (std::uint32_t t = 0; t < to; ++t) {
        const double a = t * scale, b = (t + 1) * scale;
        Span& s = spans[t];
        s.first = std::uint32_t(std::floor(a));
        s.last = std::min(from - 1, std::uint32_t(std::ceil(b)) - 1);
        for (std::uint32_t i = s.first; i <= s.last; ++i) {
            const double lo = std::max(a, double(i)), hi = std::min(b, double(i + 1));
            s.weights.push_back(std::max(0.0, hi - lo));
        }
    }
    return spans;
}

}  // namespace

void ApplyColorKey(Image& image, std::uint32_t key) {
    if (key == 0) return;
    for (std::uint32_t& p : image.pixels)
        if (p == key) p = 0;
}

Image Resample(const Image& source, std::uint32_t width, std::uint32_t height) {
    if (source.width == width && source.height == height) return source;
    const std::vector<Span> xs = Spans(source.width, width), ys = Spans(source.height, height);
    Image out;
    out.width = width;
    out.height = height;
    out.pixels.resize(std::size_t(width) * height);
    for (std::uint32_t y = 0; y < height; ++y) {
        for (std::uint32_t x = 0; x < width; ++x) {
            Accum acc;
            double total = 0;
            for (std::uint32_t j = ys[y].first; j <= ys[y].last; ++j) {
                for (std::uint32_t i = xs[x].first; i <= xs[x].last; ++i) {
                    const double w = ys[y].weights[j - ys[y].first] * xs[x].weights[i - xs[x].first];
                    acc.Add(source.pixels[std::size_t(j) * source.width + i], w);
                    total += w;
                }
            }
            out.pixels[std::size_t(y) * width + x] = total > 0 ? acc.Mean(total) : 0;
        }
    }
    return out;
}

Image HalveBox(const Image& source) {
    Image out;
    out.width = std::max(1u, source.width / 2);
    out.height = std::max(1u, source.height / 2);
    out.pixels.resize(std::size_t(out.width) * out.height);
    const std::uint32_t bx = source.width > 1 ? 2 : 1, by = source.height > 1 ? 2 : 1;
    for (std::uint32_t y = 0; y < out.height; ++y) {
        for (std::uint32_t x = 0; x < out.width; ++x) {
            Accum acc;
            for (std::uint32_t j = 0; j < by; ++j)
                for (std::uint32_t i = 0; i < bx; ++i)
                    acc.Add(source.pixels[std::size_t(y * by + j) * source.width + (x * bx + i)], 1.0);
            out.pixels[std::size_t(y) * out.width + x] = acc.Mean(double(bx * by));
        }
    }
    return out;
}

std::uint32_t FullChainLevels(std::uint32_t width, std::uint32_t height) {
    std::uint32_t levels = 1;
    for (std::uint32_t size = std::max(width, height); size > 1; size /= 2) ++levels;
    return levels;
}

std::uint32_t NextPowerOfTwo(std::uint32_t n) {
    std::uint32_t p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p;
}

}  // namespace vtl::imageops
