// A floating-point RGB drawing surface for the generated pictures; quantised to
// 8 bits only once, at the end, so layers of glow and haze don't band.
#pragma once

#include <vector>

#include "image.h"

namespace vtl {

struct Rgb {
    double r = 0, g = 0, b = 0;
};

inline Rgb operator*(Rgb c, double k) { return {c.r * k, c.g * k, c.b * k}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb Lerp(Rgb a, Rgb b, double t) { return a + (b + a * -1.0) * t; }

class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height), px_(static_cast<std::size_t>(width) * height) {}

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

    Rgb& At(int x, int y) { return px_[static_cast<std::size_t>(y) * width_ + x]; }
    const Rgb& At(int x, int y) const { return px_[static_cast<std::size_t>(y) * width_ + x]; }

    void Set(int x, int y, Rgb c) {
        if (Inside(x, y)) At(x, y) = c;
    }
    void Add(int x, int y, Rgb c) {
        if (Inside(x, y)) At(x, y) = At(x, y) + c;
    }
    void Blend(int x, int y, Rgb c, double alpha) {
        if (Inside(x, y)) At(x, y) = Lerp(At(x, y), c, alpha);
    }
    // Fills the half-open rectangle [x0, x1) x [y0, y1), clipped to the canvas.
    void FillRect(int x0, int y0, int x1, int y1, Rgb c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, c);
    }

    // Rounds to 8 bits per channel; `dither` (0..1) adds a fixed pattern of at most
    // half a step, which keeps smooth gradients from banding after JPEG coding.
    RgbImage ToImage(double dither = 0.0) const;

private:
    int width_, height_;
    std::vector<Rgb> px_;
};

}  // namespace vtl
