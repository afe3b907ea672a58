#include "sdf.h"

#include <algorithm>

namespace vtl::sdf {

double Ellipsoid(Vec3 p, Vec3 centre, Vec3 radii) {
    const Vec3 q = p - centre;
    const Vec3 a{q.x / radii.x, q.y / radii.y, q.z / radii.z};
    const Vec3 b{q.x / (radii.x * radii.x), q.y / (radii.y * radii.y), q.z / (radii.z * radii.z)};
    const double k0 = Length(a), k1 = Length(b);
    if (k1 == 0) return -std::min(radii.x, std::min(radii.y, radii.z));
    return k0 * (k0 - 1.0) / k1;
}

double Sphere(Vec3 p, Vec3 centre, double r) { return Length(p - centre) - r; }

double Capsule(Vec3 p, Vec3 a, Vec3 b, double r) {
    const Vec3 pa = p - a, ba = b - a;
    const double h = std::clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
    return Length(pa - ba * h) - r;
}

double TaperedCapsule(Vec3 p, Vec3 a, Vec3 b, double ra, double rb) {
    const Vec3 pa = p - a, ba = b - a;
    const double h = std::clamp(Dot(pa, ba) / Dot(ba, ba), 0.0, 1.0);
    return Length(pa - ba * h) - (ra + (rb - ra) * h);
}

double RoundBox(Vec3 p, Vec3 centre, Vec3 u, Vec3 v, Vec3 w, Vec3 half, double r) {
    const Vec3 d = p - centre;
    const Vec3 q{std::fabs(Dot(d, u)) - half.x, std::fabs(Dot(d, v)) - half.y, std::fabs(Dot(d, w)) - half.z};
    const Vec3 outside{std::max(q.x, 0.0), std::max(q.y, 0.0), std::max(q.z, 0.0)};
    return Length(outside) + std::min(std::max(q.x, std::max(q.y, q.z)), 0.0) - r;
}

double Triangle(Vec3 p, Vec3 a, Vec3 b, Vec3 c) {
    const Vec3 ba = b - a, pa = p - a, cb = c - b, pb = p - b, ac = a - c, pc = p - c;
    const Vec3 nor = Cross(ba, ac);
    auto sign = [](double v) { return v > 0 ? 1.0 : (v < 0 ? -1.0 : 0.0); };
    auto edge = [](Vec3 e, Vec3 q) {
        const Vec3 d = e * std::clamp(Dot(e, q) / Dot(e, e), 0.0, 1.0) - q;
        return Dot(d, d);
    };
    const double s = sign(Dot(Cross(ba, nor), pa)) + sign(Dot(Cross(cb, nor), pb)) + sign(Dot(Cross(ac, nor), pc));
    if (s < 2.0) return std::sqrt(std::min(edge(ba, pa), std::min(edge(cb, pb), edge(ac, pc))));
    const double d = Dot(nor, pa);
    return std::sqrt(d * d / Dot(nor, nor));
}

double SmoothUnion(double a, double b, double k) {
    const double h = std::max(k - std::fabs(a - b), 0.0) / k;
    return std::min(a, b) - h * h * k * 0.25;
}

double SmoothSubtract(double a, double b, double k) { return -SmoothUnion(-a, b, k); }

Vec3 Gradient(const Field& field, Vec3 p, double h) {
    const Vec3 g{field({p.x + h, p.y, p.z}) - field({p.x - h, p.y, p.z}),
                 field({p.x, p.y + h, p.z}) - field({p.x, p.y - h, p.z}),
                 field({p.x, p.y, p.z + h}) - field({p.x, p.y, p.z - h})};
    return Normalized(g);
}

Vec3 ProjectToSurface(const Field& field, Vec3 p, double h) {
    for (int iter = 0; iter < 3; ++iter) {
        const double f = field(p);
        if (std::fabs(f) < h * 1e-4) break;  // on the surface to far below a vertex's rounding
        const Vec3 g{(field({p.x + h, p.y, p.z}) - field({p.x - h, p.y, p.z})) / (2 * h),
                     (field({p.x, p.y + h, p.z}) - field({p.x, p.y - h, p.z})) / (2 * h),
                     (field({p.x, p.y, p.z + h}) - field({p.x, p.y, p.z - h})) / (2 * h)};
        const double g2 = Dot(g, g);
        if (g2 == 0) break;
        p = p - g * (f / g2);
    }
    return p;
}

}  // namespace vtl::sdf
