// The skull as the generator built it before its anatomy was reworked, kept only so
// the contact sheet can show the old and the new side by side. Same frame, scale
// and method as the current one; nothing ships it.
#include "contact/legacy_skull.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "detmath.h"
#include "polygonise.h"
#include "simplify.h"
#include "skull.h"

namespace vtl::legacy {

using sdf::Capsule;
using sdf::Ellipsoid;
using sdf::RoundBox;
using sdf::SmoothSubtract;
using sdf::SmoothUnion;
using sdf::Vec3;

constexpr int kLegacyTriangles = 36000;

namespace {

// Centimetre frame -> model frame: centre the head on the turning axis.
const Vec3 kShift{0.5, 0.0, 1.1};

Vec3 ToModel(Vec3 cm) { return (cm + kShift) * kSkullScale; }
Vec3 ToCm(Vec3 model) { return model * (1.0 / kSkullScale) - kShift; }

struct Tooth {
    Vec3 centre, along, out;  // out: away from the tongue, horizontal
    Vec3 half;                // half extents before rounding: along, out, up
};

// A dental arch: the ellipse x = cx + a cos t, y = b sin t, teeth laid side by side
// along it from the front middle backwards, crowns hanging from (or standing on)
// the gum line at zGum.
std::vector<Tooth> MakeArch(double cx, double a, double b, double zGum, bool upper) {
    // Width, thickness and crown height of incisors, canine, premolars and molars.
    struct Size {
        double width, thick, height;
    };
    const Size upperSizes[7] = {{0.86, 0.70, 1.05}, {0.68, 0.62, 0.92}, {0.78, 0.80, 1.05}, {0.70, 0.88, 0.85},
                                {0.68, 0.88, 0.80}, {1.00, 1.02, 0.75}, {0.92, 1.00, 0.70}};
    const Size lowerSizes[7] = {{0.55, 0.62, 0.90}, {0.60, 0.64, 0.90}, {0.70, 0.78, 0.98}, {0.70, 0.80, 0.82},
                                {0.72, 0.82, 0.78}, {1.10, 0.98, 0.72}, {1.02, 0.95, 0.68}};
    const Size* sizes = upper ? upperSizes : lowerSizes;
    std::vector<Tooth> teeth;
    double t = 0.0, travelled = 0.0;
    const double dt = 0.0005;
    auto pointAt = [&](double tt) { return Vec3{cx + a * det::Cos(tt), b * det::Sin(tt), zGum}; };
    double start = 0.0;
    for (int i = 0; i < 7; ++i) {
        const double target = start + sizes[i].width * 0.5;
        while (travelled < target) {
            travelled += sdf::Length(pointAt(t + dt) - pointAt(t));
            t += dt;
        }
        start += sizes[i].width;
        const Vec3 p = pointAt(t);
        const Vec3 along = sdf::Normalized(pointAt(t + dt) - pointAt(t - dt));
        const Vec3 out{along.y, -along.x, 0.0};  // outward normal of a counter-clockwise arc
        const double gap = 0.1, r = 0.2;
        Tooth tooth;
        tooth.half = {sizes[i].width * 0.5 - gap - r, sizes[i].thick * 0.5 - r, sizes[i].height * 0.5 - r};
        const double dz = upper ? -sizes[i].height * 0.5 + 0.15 : sizes[i].height * 0.5 - 0.15;
        tooth.centre = {p.x, p.y, zGum + dz};
        tooth.along = along;
        tooth.out = out;
        teeth.push_back(tooth);
    }
    return teeth;
}

struct Arches {
    std::vector<Tooth> upper = MakeArch(4.1, 4.6, 2.75, -6.0, true);
    std::vector<Tooth> lower = MakeArch(4.1, 4.22, 2.55, -7.25, false);
};

const Arches& TheArches() {
    static const Arches arches;
    return arches;
}

double TeethField(Vec3 p, const std::vector<Tooth>& teeth) {
    double d = 1e9;
    const Vec3 up{0, 0, 1};
    for (const Tooth& t : teeth) {
        const double r = 0.2;
        d = std::min(d, RoundBox(p, t.centre, t.along, t.out, up, t.half, r));
    }
    return d;
}

// A ridge of bone swept along the teeth: the gum line the crowns grow from.
double RidgeField(Vec3 p, const std::vector<Tooth>& teeth, double z, double radius) {
    double d = 1e9;
    for (size_t i = 0; i + 1 < teeth.size(); ++i) {
        const Vec3 a{teeth[i].centre.x, teeth[i].centre.y, z}, b{teeth[i + 1].centre.x, teeth[i + 1].centre.y, z};
        d = std::min(d, Capsule(p, a, b, radius));
    }
    // Across the middle to the other side's first tooth.
    const Vec3 a{teeth[0].centre.x, teeth[0].centre.y, z}, b{teeth[0].centre.x, -teeth[0].centre.y, z};
    return std::min(d, Capsule(p, a, b, radius));
}

double CraniumField(Vec3 p) {
    double d = Ellipsoid(p, {-0.4, 0.0, 2.6}, {8.5, 6.9, 7.1});
    d = SmoothUnion(d, Ellipsoid(p, {3.2, 0.0, 3.2}, {5.4, 5.8, 5.6}), 2.0);    // upright forehead
    d = SmoothUnion(d, Ellipsoid(p, {-1.8, 4.6, -3.3}, {1.2, 1.0, 1.7}), 0.8);  // mastoid
    d = SmoothUnion(d, Ellipsoid(p, {-0.2, 4.9, -2.7}, {2.2, 1.1, 1.0}), 0.8);  // temporal root of the arch
    return d;
}

double UpperFaceField(Vec3 p) {
    double d = Ellipsoid(p, {5.0, 0.0, -0.6}, {3.7, 5.3, 2.4});                      // frontal base around the orbits
    d = SmoothUnion(d, Ellipsoid(p, {4.7, 0.0, -3.4}, {3.9, 3.8, 3.0}), 1.0);        // maxilla
    d = SmoothUnion(d, Capsule(p, {8.45, 0.9, 0.5}, {7.5, 4.7, 0.3}, 0.75), 1.0);    // brow ridge
    d = SmoothUnion(d, Capsule(p, {6.7, 5.05, 0.3}, {6.2, 5.1, -2.3}, 0.55), 0.8);   // lateral orbit rim
    d = SmoothUnion(d, Ellipsoid(p, {6.1, 4.75, -2.75}, {1.6, 1.3, 1.45}), 0.9);     // cheekbone
    d = SmoothUnion(d, Capsule(p, {5.6, 5.55, -3.0}, {-0.3, 5.7, -3.0}, 0.5), 0.6);  // zygomatic arch
    d = SmoothUnion(d, Capsule(p, {8.4, 0.0, -0.4}, {9.15, 0.0, -2.6}, 0.62), 0.5);  // nasal bones
    return d;
}

double CarveFace(Vec3 p, double d) {
    // The sockets are cones running straight back: the saver's light comes from the
    // viewer, so steep walls are what makes them read as dark holes.
    const Vec3 q{p.x, p.y, -1.5 + (p.z + 1.5) * 1.12};
    double orbit = sdf::TaperedCapsule(q, {10.2, 3.3, -1.5}, {4.3, 2.5, -1.4}, 2.05, 0.35);
    orbit = SmoothUnion(orbit, Ellipsoid(p, {8.3, 3.25, -1.5}, {1.0, 1.95, 1.7}), 0.5);
    d = SmoothSubtract(d, orbit, 0.45);
    // The pear-shaped nasal opening, wider at the bottom, as a tunnel into the head.
    const Vec3 n{p.x, p.y * (1.0 + 0.12 * (p.z + 4.2)), p.z};
    double nose = Capsule(n, {10.5, 0.0, -3.7}, {5.0, 0.0, -3.9}, 0.95);
    nose = std::min(nose, Capsule(n, {10.5, 0.0, -4.7}, {5.0, 0.0, -4.5}, 1.05));
    d = SmoothSubtract(d, nose, 0.3);
    return d;
}

double UpperJawField(Vec3 p) {
    const Arches& arches = TheArches();
    double d = Ellipsoid(p, {4.6, 0.0, -5.35}, {3.9, 2.9, 0.9});  // palate
    d = SmoothUnion(d, RidgeField(p, arches.upper, -5.4, 0.55), 0.6);
    if (p.z < -4.0 && p.z > -8.5 && p.x > 2.0) d = SmoothUnion(d, TeethField(p, arches.upper), 0.25);
    return d;
}

double Plate(Vec3 p, Vec3 a, Vec3 b, Vec3 c, Vec3 d, double thickness) {
    return std::min(sdf::Triangle(p, a, b, c), sdf::Triangle(p, a, c, d)) - thickness;
}

double LowerJawField(Vec3 p) {
    const Arches& arches = TheArches();
    // The body of the jaw: a rounded band under the lower teeth, then straight back to
    // the angle, its lower edge rising toward the back.
    std::vector<Vec3> path;
    path.push_back({arches.lower[0].centre.x, 0.0, 0});
    // The bone stands a little outside the tooth row, and flares toward the angle.
    for (const Tooth& t : arches.lower) path.push_back({t.centre.x, t.centre.y * 1.25, 0});
    path.push_back({2.4, 4.1, 0});
    path.push_back({1.0, 4.75, 0});
    double d = 1e9;
    const double n = static_cast<double>(path.size() - 1);
    auto top = [](double f) { return -7.55 - 0.3 * f; };
    auto bottom = [](double f) { return -11.1 + 1.3 * f * std::sqrt(f); };
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const double f0 = i / n, f1 = (i + 1) / n;
        const Vec3 a = path[i], b = path[i + 1];
        d = std::min(d, Plate(p, {a.x, a.y, top(f0)}, {b.x, b.y, top(f1)}, {b.x, b.y, bottom(f1) + 0.2},
                              {a.x, a.y, bottom(f0) + 0.2}, 0.42));
        // A rounded lower border, thicker than the plate above it.
        d = std::min(d,
                     sdf::TaperedCapsule(p, {a.x * 1.02, a.y * 1.08, bottom(f0) + 0.45},
                                         {b.x * 1.02, b.y * 1.08, bottom(f1) + 0.45}, 0.7 - 0.2 * f0, 0.7 - 0.2 * f1));
    }
    d = SmoothUnion(d, Ellipsoid(p, {8.35, 0.0, -10.55}, {0.8, 2.1, 0.95}), 0.7);  // chin
    // The upright branch up to the joint below the ear, with the spur that rises under
    // the cheekbone's arch and the notch between them.
    d = SmoothUnion(d, Plate(p, {1.0, 4.75, -9.9}, {3.4, 4.4, -8.4}, {2.7, 4.65, -5.1}, {-0.1, 5.0, -4.4}, 0.36), 0.9);
    d = SmoothUnion(d, sdf::TaperedCapsule(p, {1.0, 4.8, -9.75}, {-0.05, 5.0, -4.6}, 0.5, 0.42), 0.6);  // back border
    d = SmoothSubtract(d, Ellipsoid(p, {1.3, 4.7, -4.2}, {0.95, 1.5, 0.85}), 0.4);                      // notch
    d = SmoothUnion(d, Ellipsoid(p, {0.05, 4.9, -3.95}, {0.6, 0.95, 0.5}), 0.5);                        // condyle
    if (p.z < -5.5 && p.z > -9.5 && p.x > 2.0) d = SmoothUnion(d, TeethField(p, arches.lower), 0.25);
    return d;
}

double SkullCm(Vec3 p) {
    p.y = std::fabs(p.y);
    double d = SmoothUnion(CraniumField(p), UpperFaceField(p), 1.2);
    d = SmoothUnion(d, UpperJawField(p), 0.8);
    d = CarveFace(p, d);
    return SmoothUnion(d, LowerJawField(p), 0.4);
}

double LegacyField(Vec3 model) { return SkullCm(ToCm(model)); }

}  // namespace

sdf::GenMesh BuildLegacySkull() {
    const Vec3 lo = ToModel({-11.2, -8.0, -12.9}), hi = ToModel({10.6, 8.0, 10.5});
    const double cell = 0.3;  // centimetres
    const int nx = static_cast<int>((hi.x - lo.x) / kSkullScale / cell + 0.5);
    const int ny = static_cast<int>((hi.y - lo.y) / kSkullScale / cell + 0.5);
    const int nz = static_cast<int>((hi.z - lo.z) / kSkullScale / cell + 0.5);
    sdf::GenMesh mesh = sdf::Polygonise(LegacyField, lo, hi, nx, ny, nz);
    sdf::KeepLargestPiece(mesh);
    // Its triangle count of the time.
    sdf::Simplify(mesh, LegacyField, kLegacyTriangles, 0.05 * kSkullScale);
    mesh.uvs.assign(mesh.positions.size(), {0.0, 0.0});
    return mesh;
}

}  // namespace vtl::legacy
