#include "pictures.h"

#include <cmath>

#include "canvas.h"
#include "detmath.h"
#include "prng.h"

namespace vtl {

using det::Exp;
using det::SmoothStep;

namespace {

constexpr int kCitySize = 512;
// Where the sky glow peaks: a little below the middle, so the skull sits in front
// of the skyline rather than the street.
constexpr double kHorizonY = 0.70 * kCitySize;

void DrawSky(Canvas& c) {
    const Rgb zenith{0.010, 0.014, 0.040}, middle{0.035, 0.040, 0.105}, glow{0.42, 0.20, 0.11};
    for (int y = 0; y < c.Height(); ++y) {
        const double t = y / kHorizonY;
        Rgb sky = Lerp(zenith, middle, SmoothStep(0.0, 0.8, t));
        sky = sky + glow * Exp(-std::fabs(kHorizonY - y) / 80.0);
        for (int x = 0; x < c.Width(); ++x) c.Set(x, y, sky);
    }
}

void DrawStars(Canvas& c, Prng& rng) {
    for (int i = 0; i < 150; ++i) {
        const int x = rng.Below(c.Width());
        const int y = rng.Below(static_cast<int>(0.58 * c.Height()));
        const double fade = 1.0 - y / (0.62 * c.Height());
        const double b = rng.Uniform(0.10, 0.75) * fade * fade;
        const double tint = rng.Uniform(-0.1, 0.1);
        const Rgb star{b * (1 + tint), b, b * (1 - tint)};
        c.Add(x, y, star);
        c.Add(x - 1, y, star * 0.2);
        c.Add(x + 1, y, star * 0.2);
        c.Add(x, y - 1, star * 0.2);
        c.Add(x, y + 1, star * 0.2);
    }
}

// The square picture is shown on a 4:3 quad, so the moon is drawn 3/4 as wide as
// high to look round on screen.
void DrawMoon(Canvas& c, Prng& rng) {
    constexpr double kSqueeze = 0.75;
    const double cx = 0.68 * c.Width(), cy = 0.11 * c.Height(), radius = 19.0;
    struct Crater {
        double x, y, r, depth;
    };
    Crater craters[6];
    for (Crater& k : craters) {
        k = {rng.Uniform(-12, 12), cy + rng.Uniform(-12, 12), rng.Uniform(2.5, 6.5), rng.Uniform(0.08, 0.18)};
    }
    for (int y = 0; y < c.Height() / 2; ++y) {
        for (int x = 0; x < c.Width(); ++x) {
            const double dx = (x + 0.5 - cx) / kSqueeze, dy = y + 0.5 - cy;
            const double d = std::sqrt(dx * dx + dy * dy);
            // Halo first, so the disc covers it.
            c.Add(x, y, Rgb{0.11, 0.11, 0.15} * Exp(-std::fmax(d - radius, 0.0) / 22.0));
            c.Add(x, y, Rgb{0.025, 0.025, 0.04} * Exp(-d / 140.0));
            const double coverage = det::Clamp(radius + 0.5 - d, 0.0, 1.0);
            if (coverage <= 0) continue;
            double shade = 1.0 - 0.12 * (dx + dy) / (2 * radius);  // lit from the upper left
            for (const Crater& k : craters) {
                const double kx = dx - k.x, ky = y + 0.5 - k.y;
                shade -= k.depth * Exp(-(kx * kx + ky * ky) / (k.r * k.r));
            }
            c.Blend(x, y, Rgb{0.93, 0.91, 0.83} * shade, coverage);
        }
    }
}

// Thin clouds lit from below by the city.
void DrawClouds(Canvas& c, Prng& rng) {
    for (int band = 0; band < 3; ++band) {
        const double y0 = rng.Uniform(0.36, 0.56) * c.Height();
        const double thick = rng.Uniform(3.0, 7.0);
        const double f1 = rng.Uniform(0.010, 0.025), f2 = rng.Uniform(0.03, 0.06);
        const double p1 = rng.Uniform(0, det::kTwoPi), p2 = rng.Uniform(0, det::kTwoPi);
        const double slope = rng.Uniform(-0.04, 0.04);
        for (int x = 0; x < c.Width(); ++x) {
            const double density =
                det::Clamp(0.55 + 0.5 * det::Sin(x * f1 + p1) + 0.3 * det::Sin(x * f2 + p2), 0.0, 1.0);
            const double yc = y0 + slope * x + 4.0 * det::Sin(x * f1 * 0.7 + p2);
            for (int y = static_cast<int>(yc - 4 * thick); y <= static_cast<int>(yc + 4 * thick); ++y) {
                const double v = (y - yc) / thick;
                c.Add(x, y, Rgb{0.10, 0.055, 0.06} * (density * Exp(-v * v)));
            }
        }
    }
}

struct Layer {
    double topMin, topMax;  // building tops, as fractions of the height
    int widthMin, widthMax, gapMin, gapMax;
    Rgb facade;
    int winW, winH, stepX, stepY;
    double litMin, litMax, brightness;
    double roofChance;  // antennas and set-back storeys
};

Rgb WindowColour(Prng& rng, int palette) {
    static const Rgb kPalettes[3][2] = {
        {{1.00, 0.78, 0.42}, {0.95, 0.62, 0.30}},  // warm homes
        {{0.80, 0.90, 1.00}, {0.62, 0.78, 0.95}},  // offices
        {{1.00, 0.88, 0.60}, {0.85, 0.86, 0.80}},  // mixed
    };
    const Rgb& a = kPalettes[palette][0];
    const Rgb& b = kPalettes[palette][1];
    // Separate statements: the order in which one expression's operands draw from
    // the generator is up to the compiler.
    const double hue = rng.Uniform();
    const double level = rng.Uniform(0.55, 1.0);
    return Lerp(a, b, hue) * level;
}

void DrawWindows(Canvas& c, Prng& rng, const Layer& L, int x0, int x1, int top) {
    const double lit = rng.Uniform(L.litMin, L.litMax);
    const int palette = rng.Below(3);
    const Rgb dark = L.facade + Rgb{0.012, 0.012, 0.018};
    const int margin = L.stepX - L.winW;
    for (int y = top + L.stepY - L.winH + 1; y + L.winH < c.Height(); y += L.stepY) {
        // Whole floors tend to be lit or dark together.
        const double floorFactor = rng.Chance(0.2) ? 0.2 : (rng.Chance(0.15) ? 1.8 : 1.0);
        for (int x = x0 + margin; x + L.winW <= x1 - margin + 1; x += L.stepX) {
            const bool on = rng.Chance(lit * floorFactor);
            const Rgb colour = on ? WindowColour(rng, palette) * L.brightness : dark;
            c.FillRect(x, y, x + L.winW, y + L.winH, colour);
        }
    }
}

void DrawRoof(Canvas& c, Prng& rng, const Layer& L, int x0, int x1, int top) {
    if (!rng.Chance(L.roofChance)) return;
    const int w = x1 - x0;
    if (rng.Chance(0.5) && w >= 12) {
        // A set-back storey with its own windows.
        const int sw = static_cast<int>(w * rng.Uniform(0.45, 0.7));
        const int sx = x0 + rng.Below(w - sw + 1);
        const int sh = 6 + rng.Below(22);
        c.FillRect(sx, top - sh, sx + sw, top, L.facade);
        DrawWindows(c, rng, L, sx, sx + sw, top - sh);
        c.FillRect(sx, top, sx + sw, top + 1, L.facade);
        return;
    }
    // An antenna with its red warning light.
    const int ax = x0 + w / 2 + rng.Below(3) - 1;
    const int ah = 8 + rng.Below(20);
    c.FillRect(ax, top - ah, ax + 1, top, L.facade + Rgb{0.01, 0.01, 0.01});
    c.Set(ax, top - ah, Rgb{1.0, 0.15, 0.1});
    c.Add(ax - 1, top - ah, Rgb{0.4, 0.04, 0.03});
    c.Add(ax + 1, top - ah, Rgb{0.4, 0.04, 0.03});
    c.Add(ax, top - ah - 1, Rgb{0.4, 0.04, 0.03});
    c.Add(ax, top - ah + 1, Rgb{0.4, 0.04, 0.03});
}

// Draws one row of buildings across [xBegin, xEnd).
void DrawLayer(Canvas& c, Prng& rng, const Layer& L, int xBegin, int xEnd) {
    int x = xBegin - rng.Below(L.widthMin);
    while (x < xEnd) {
        const int w = L.widthMin + rng.Below(L.widthMax - L.widthMin + 1);
        const int top = static_cast<int>(rng.Uniform(L.topMin, L.topMax) * c.Height());
        const Rgb facade = L.facade * rng.Uniform(0.85, 1.15);
        c.FillRect(x, top, x + w, c.Height(), facade);
        // A faint rim on the edge that faces the glow gives the blocks their shape.
        c.FillRect(x, top, x + 1, c.Height(), facade + Rgb{0.015, 0.012, 0.014});
        DrawWindows(c, rng, L, x, x + w, top);
        DrawRoof(c, rng, L, x, x + w, top);
        x += w + L.gapMin + rng.Below(L.gapMax - L.gapMin + 1);
    }
}

void AddHaze(Canvas& c, Rgb colour, double centreY, double spread) {
    for (int y = 0; y < c.Height(); ++y) {
        const Rgb add = colour * Exp(-std::fabs(y - centreY) / spread);
        for (int x = 0; x < c.Width(); ++x) c.Add(x, y, add);
    }
}

void DrawStreetLights(Canvas& c, Prng& rng) {
    // Sodium light rising from the streets between the near blocks.
    for (int y = 0; y < c.Height(); ++y) {
        const Rgb glow = Rgb{0.30, 0.15, 0.05} * Exp(-(c.Height() - 1 - y) / 16.0);
        for (int x = 0; x < c.Width(); ++x) c.Add(x, y, glow);
    }
    // Head and tail lights far down the avenue.
    for (int i = 0; i < 40; ++i) {
        const int x = rng.Below(c.Width());
        const int y = c.Height() - 3 - rng.Below(6);
        const bool tail = rng.Chance(0.5);
        const Rgb light = tail ? Rgb{0.9, 0.12, 0.08} : Rgb{1.0, 0.95, 0.8};
        c.Add(x, y, light * 0.8);
        c.Add(x + 3, y, light * 0.8);
    }
}

}  // namespace

RgbImage MakeCityBackground() {
    Canvas c(kCitySize, kCitySize);
    Prng rng(0x5EED0C17ull);
    DrawSky(c);
    DrawStars(c, rng);
    DrawMoon(c, rng);
    DrawClouds(c, rng);

    const Layer far{0.55, 0.66, 7, 20, -3, 1, {0.050, 0.048, 0.080}, 1, 1, 3, 3, 0.08, 0.30, 0.45, 0.25};
    const Layer middle{0.46, 0.66, 16, 42, 1, 7, {0.024, 0.023, 0.040}, 2, 2, 4, 5, 0.15, 0.50, 0.85, 0.45};
    const Layer nearSides{0.20, 0.42, 36, 70, 2, 10, {0.010, 0.010, 0.018}, 3, 4, 7, 9, 0.10, 0.40, 1.0, 0.30};
    const Layer nearMiddle{0.62, 0.74, 30, 60, 2, 8, {0.010, 0.010, 0.018}, 3, 4, 7, 9, 0.10, 0.35, 1.0, 0.20};

    DrawLayer(c, rng, far, 0, kCitySize);
    AddHaze(c, Rgb{0.16, 0.08, 0.06}, kHorizonY - 10, 45.0);
    DrawLayer(c, rng, middle, 0, kCitySize);
    AddHaze(c, Rgb{0.05, 0.028, 0.022}, kHorizonY + 60, 70.0);
    DrawLayer(c, rng, nearMiddle, 120, 392);
    DrawLayer(c, rng, nearSides, 0, 120);
    DrawLayer(c, rng, nearSides, 392, kCitySize);
    DrawStreetLights(c, rng);
    return c.ToImage(1.0);
}

namespace {

struct Vec3 {
    double x, y, z;
};

double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 Normalised(Vec3 v) {
    const double len = std::sqrt(Dot(v, v));
    return {v.x / len, v.y / len, v.z / len};
}

struct LightBlob {
    Vec3 dir;
    Rgb colour;
    double sharpness;
};

// The surroundings as seen along direction r (camera space: x right, y up,
// z into the screen).
Rgb Environment(Vec3 r, const std::vector<LightBlob>& lights) {
    const double up = r.y;
    const Rgb horizon{0.85, 0.52, 0.32}, sky{0.62, 0.70, 0.88}, zenith{0.80, 0.86, 0.98};
    const Rgb ground{0.09, 0.075, 0.085};
    Rgb c;
    if (up >= 0) {
        c = Lerp(horizon, sky, SmoothStep(0.0, 0.45, up));
        c = Lerp(c, zenith, SmoothStep(0.45, 1.0, up));
    } else {
        c = Lerp(horizon, ground, SmoothStep(0.0, 0.3, -up));
    }
    // A broad soft key light above and behind the viewer: the highlight on the skull.
    const Vec3 key = Normalised({-0.45, 0.75, -0.5});
    c = c + Rgb{1.0, 0.97, 0.90} * (0.55 * Exp((Dot(r, key) - 1.0) * 5.0));
    for (const LightBlob& b : lights) {
        const double falloff = (Dot(r, b.dir) - 1.0) * b.sharpness;
        if (falloff > -40.0) c = c + b.colour * Exp(falloff);  // beyond that it adds nothing visible
    }
    return c;
}

}  // namespace

RgbImage MakeEnvironmentMap() {
    constexpr int kSize = 256, kSub = 3;
    Prng rng(0xE7A1F00Dull);
    std::vector<LightBlob> lights;
    for (int i = 0; i < 70; ++i) {
        const double azimuth = rng.Uniform(0, det::kTwoPi);
        const double down = rng.Uniform(0.04, 0.55);
        const double ring = std::sqrt(1 - down * down);
        const bool warm = rng.Chance(0.7);
        const Rgb colour = warm ? Rgb{1.0, 0.62, 0.28} : Rgb{0.55, 0.72, 1.0};
        lights.push_back({{ring * det::Cos(azimuth), -down, ring * det::Sin(azimuth)},
                          colour * rng.Uniform(0.12, 0.4),
                          rng.Uniform(25.0, 90.0)});
    }
    Canvas c(kSize, kSize);
    for (int py = 0; py < kSize; ++py) {
        for (int px = 0; px < kSize; ++px) {
            Rgb sum;
            for (int sy = 0; sy < kSub; ++sy) {
                for (int sx = 0; sx < kSub; ++sx) {
                    // The texel's normal: u = 0.5 + 0.5 nx, v = 0.5 - 0.5 ny.
                    double nx = ((px + (sx + 0.5) / kSub) / kSize - 0.5) * 2.0;
                    double ny = -((py + (sy + 0.5) / kSub) / kSize - 0.5) * 2.0;
                    double rr = nx * nx + ny * ny;
                    if (rr > 0.998) {
                        // Outside the disc no normal lands; repeat the rim so filtering at
                        // the silhouette picks up no seam.
                        const double k = std::sqrt(0.998 / rr);
                        nx *= k;
                        ny *= k;
                        rr = 0.998;
                    }
                    const Vec3 n{nx, ny, -std::sqrt(1.0 - rr)};
                    const Vec3 view{0, 0, 1};
                    const double d = Dot(view, n);
                    const Vec3 r{view.x - 2 * d * n.x, view.y - 2 * d * n.y, view.z - 2 * d * n.z};
                    sum = sum + Environment(r, lights);
                }
            }
            c.Set(px, py, sum * (1.0 / (kSub * kSub)));
        }
    }
    return c.ToImage(1.0);
}

}  // namespace vtl
