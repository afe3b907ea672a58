// The overlay's glyphs as pen strokes on an 8 x 16 unit grid per cell (y down,
// 4 pixels per unit), rendered with 4 x 4 supersampling.
#include <cmath>
#include <vector>

#include "detmath.h"
#include "numfont.h"

namespace vtl {

namespace {

struct Point {
    double x, y;
};
using Stroke = std::vector<Point>;
using Glyph = std::vector<Stroke>;

constexpr double kPenRadius = 0.75;
constexpr double kPixelsPerUnit = 4.0;

// Points of an elliptic arc from angle a0 to a1 (degrees; y runs down, so
// growing angles turn clockwise on screen).
Stroke Arc(double cx, double cy, double rx, double ry, double a0, double a1) {
    Stroke s;
    const int steps = 2 + static_cast<int>(std::fabs(a1 - a0) / 6.0);
    for (int i = 0; i <= steps; ++i) {
        const double a = (a0 + (a1 - a0) * i / steps) * det::kPi / 180.0;
        s.push_back({cx + rx * det::Cos(a), cy + ry * det::Sin(a)});
    }
    return s;
}

Stroke Join(Stroke a, const Stroke& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Glyph Turned(const Glyph& g) {
    Glyph out = g;
    for (Stroke& s : out)
        for (Point& p : s) p = {8.0 - p.x, 16.0 - p.y};
    return out;
}

// Digits stand between y = 2.5 and 13.5; the lower-case letters have their
// x-height at 6 and p its descender below the digits' baseline.
std::vector<Glyph> MakeGlyphs() {
    const Glyph six{Arc(4.0, 10.2, 2.4, 3.3, 0, 360), Arc(5.2, 10.2, 3.6, 7.7, 285, 180)};
    std::vector<Glyph> g(kFontCells);
    g[0] = {Arc(4.0, 8.0, 2.4, 5.5, 0, 360)};
    g[1] = {{{2.6, 4.2}, {4.3, 2.5}, {4.3, 13.5}}, {{2.6, 13.5}, {6.0, 13.5}}};
    g[2] = {Join(Arc(4.0, 5.0, 2.4, 2.5, 200, 390), {{1.6, 13.5}, {6.4, 13.5}})};
    g[3] = {Arc(4.0, 5.25, 2.3, 2.75, 200, 450), Arc(4.0, 10.75, 2.4, 2.75, 270, 520)};
    g[4] = {{{5.2, 13.5}, {5.2, 2.5}, {1.4, 10.2}, {6.6, 10.2}}};
    g[5] = {Join({{6.2, 2.5}, {2.1, 2.5}, {1.9, 7.6}}, Arc(3.9, 10.0, 2.5, 3.5, 235, 510))};
    g[6] = six;
    g[7] = {{{1.6, 2.5}, {6.4, 2.5}, {3.2, 13.5}}};
    g[8] = {Arc(4.0, 5.2, 2.1, 2.7, 0, 360), Arc(4.0, 10.7, 2.4, 2.8, 0, 360)};
    g[9] = Turned(six);
    g[10] = {{{4.3, 12.6}, {4.3, 13.6}, {3.4, 15.0}}};                                           // ","
    g[11] = {};                                                                                  // space
    g[12] = {Arc(4.0, 13.0, 0.35, 0.35, 0, 360)};                                                // "."
    g[13] = {Join(Arc(5.0, 4.7, 1.6, 2.2, 330, 180), {{3.4, 13.5}}), {{1.8, 6.5}, {5.6, 6.5}}};  // f
    g[14] = {{{2.0, 6.0}, {2.0, 14.9}}, Arc(4.1, 9.75, 2.3, 3.75, 0, 360)};                      // p
    g[15] = {Arc(4.0, 7.9, 2.1, 1.9, 340, 90), Arc(4.0, 11.65, 2.3, 1.85, 270, 520)};            // s
    return g;
}

double SegmentDistance(Point p, Point a, Point b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = det::Clamp(t, 0.0, 1.0);
    const double ex = p.x - (a.x + t * dx), ey = p.y - (a.y + t * dy);
    return std::sqrt(ex * ex + ey * ey);
}

bool Inked(const Glyph& glyph, Point p) {
    for (const Stroke& s : glyph) {
        if (s.size() == 1 && SegmentDistance(p, s[0], s[0]) <= kPenRadius) return true;
        for (std::size_t i = 1; i < s.size(); ++i)
            if (SegmentDistance(p, s[i - 1], s[i]) <= kPenRadius) return true;
    }
    return false;
}

}  // namespace

RgbImage MakeNumberFont() {
    constexpr int kSub = 4;
    RgbImage image;
    image.width = kFontCellWidth * kFontCells;
    image.height = kFontCellHeight;
    image.rgb.assign(static_cast<std::size_t>(image.width) * image.height * 3, 0);
    const std::vector<Glyph> glyphs = MakeGlyphs();
    for (int cell = 0; cell < kFontCells; ++cell) {
        for (int y = 0; y < kFontCellHeight; ++y) {
            for (int x = 0; x < kFontCellWidth; ++x) {
                int hits = 0;
                for (int sy = 0; sy < kSub; ++sy)
                    for (int sx = 0; sx < kSub; ++sx)
                        hits += Inked(glyphs[cell], {(x + (sx + 0.5) / kSub) / kPixelsPerUnit,
                                                     (y + (sy + 0.5) / kSub) / kPixelsPerUnit});
                // Edge pixels stay a dark but non-black grey: opaque after keying, they
                // outline the glyph against a bright background.
                const auto value = static_cast<std::uint8_t>((255 * hits + kSub * kSub / 2) / (kSub * kSub));
                std::uint8_t* px =
                    &image.rgb[(static_cast<std::size_t>(y) * image.width + cell * kFontCellWidth + x) * 3];
                px[0] = px[1] = px[2] = value;
            }
        }
    }
    return image;
}

}  // namespace vtl
