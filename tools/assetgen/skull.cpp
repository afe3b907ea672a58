// The skull, built as a distance field of blended ellipsoids, capsules and rounded
// boxes in centimetres (x forward, y across, z up) and polygonised into one closed
// surface. Only the right half (y >= 0) is described: the field mirrors |y|.
#include "skull.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "detmath.h"
#include "polygonise.h"
#include "simplify.h"

namespace vtl {

using sdf::Capsule;
using sdf::Dot;
using sdf::Ellipsoid;
using sdf::RoundBox;
using sdf::SmoothSubtract;
using sdf::SmoothUnion;
using sdf::Vec3;

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
    std::vector<Tooth> lower = MakeArch(4.1, 4.22, 2.55, -7.05, false);
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

// The vault: long and rather low, widest across the parietals, the forehead rising
// steeply from the brows, the back of the head rounding down into the flatter,
// forward-sloping nuchal plane under it.
double VaultField(Vec3 p) {
    double d = Ellipsoid(p, {-0.25, 0.0, 1.9}, {8.6, 6.45, 6.6});
    d = SmoothUnion(d, Ellipsoid(p, {3.2, 0.0, 2.6}, {5.4, 5.6, 5.6}), 2.0);   // upright forehead
    d = SmoothUnion(d, Ellipsoid(p, {-2.6, 4.6, 3.2}, {3.4, 2.3, 2.6}), 2.2);  // parietal eminence
    d = SmoothUnion(d, Ellipsoid(p, {-6.2, 0.0, 0.8}, {2.8, 4.6, 3.6}), 1.8);  // occipital curve
    // The nuchal plane: cut flat below a line from under the back of the head to the
    // rim of the great hole, where the neck muscles hold on.
    const Vec3 nuchal = sdf::Normalized({-0.62, 0.0, -0.78});
    d = SmoothSubtract(d, -Dot(p - Vec3{-8.5, 0.0, -1.2}, nuchal), 0.9);
    return d;
}

// The temple hollows: bone drawn in behind the eye sockets (the narrow waist of the
// forehead) and above the cheekbone's arch, bounded above by the temporal line.
double CarveTemple(Vec3 p, double d) {
    double fossa = Ellipsoid(p, {1.6, 8.25, -0.9}, {6.6, 2.55, 4.9});
    fossa = SmoothUnion(fossa, Ellipsoid(p, {2.6, 6.6, -3.2}, {3.0, 1.55, 1.7}), 0.8);  // under the arch
    return SmoothSubtract(d, fossa, 0.7);
}

double TemporalLineField(Vec3 p) {
    const Vec3 line[] = {{7.0, 4.95, 0.5}, {5.4, 5.2, 2.5}, {2.6, 5.7, 3.9}, {-1.0, 6.1, 4.0}, {-4.2, 6.05, 2.9}};
    double d = 1e9;
    for (size_t i = 0; i + 1 < std::size(line); ++i) d = std::min(d, Capsule(p, line[i], line[i + 1], 0.22));
    // Behind, it fades into the vault.
    return std::min(d, sdf::TaperedCapsule(p, line[std::size(line) - 1], {-5.4, 5.4, 1.0}, 0.22, 0.02));
}

double CheekField(Vec3 p) {
    double d = Capsule(p, {6.7, 5.05, 0.3}, {6.3, 5.1, -2.3}, 0.55);  // lateral orbit rim
    // The cheekbone's body below and outside the orbit, facing forward and out; the
    // arch grows back out of it and a buttress runs down and in to the tooth row, so
    // the cheek is one bone with the upper jaw rather than a knob on its side.
    d = SmoothUnion(d, Ellipsoid(p, {6.7, 4.85, -2.8}, {1.55, 1.15, 1.35}), 0.9);
    d = SmoothUnion(d, Capsule(p, {6.4, 4.5, -3.3}, {5.6, 3.5, -4.9}, 0.65), 0.8);  // buttress
    // The arch: a rounded bar standing free of the skull wall, from the cheekbone back
    // to its root in front of the ear.
    const Vec3 arch[] = {{5.6, 5.55, -2.85}, {3.2, 6.2, -3.0}, {0.9, 6.25, -3.05}, {-0.3, 5.7, -3.1}};
    for (size_t i = 0; i + 1 < std::size(arch); ++i) d = SmoothUnion(d, Capsule(p, arch[i], arch[i + 1], 0.34), 0.3);
    d = SmoothUnion(d, Ellipsoid(p, {-0.7, 5.0, -3.05}, {1.2, 0.9, 0.75}), 0.6);  // root of the arch
    return d;
}

// The base seen from below and behind: mastoids, the bump and the lines of the
// neck muscles on the occiput, the condyles the skull rests on.
double BaseField(Vec3 p) {
    double d = sdf::TaperedCapsule(p, {-2.1, 4.75, -2.7}, {-1.65, 4.5, -5.5}, 1.0, 0.42);  // mastoid
    d = std::min(d, Ellipsoid(p, {-8.7, 0.0, -1.35}, {0.55, 1.0, 0.55}));                  // occipital protuberance
    const Vec3 line[] = {{-8.75, 0.5, -1.3}, {-7.8, 2.6, -1.75}, {-6.1, 4.2, -2.35}, {-3.6, 4.9, -2.8}};
    for (size_t i = 0; i + 1 < std::size(line); ++i) d = std::min(d, Capsule(p, line[i], line[i + 1], 0.3));
    d = std::min(d, Ellipsoid(p, {-1.9, 1.75, -4.95}, {1.2, 0.55, 0.5}));  // occipital condyle
    return d;
}

double CarveBase(Vec3 p, double d) {
    // The great hole: an oval shaft narrowing up into the skull, its walls steep
    // enough to show dark from below.
    const Vec3 h{-2.65 + (p.x + 2.65) * (1.5 / 1.8), p.y, p.z};
    d = SmoothSubtract(d, sdf::TaperedCapsule(h, {-2.65, 0.0, -5.0}, {-2.65, 0.0, 0.0}, 1.5, 0.1), 0.3);
    d = SmoothSubtract(d, Capsule(p, {-0.95, 7.0, -3.0}, {-0.95, 3.8, -3.0}, 0.45), 0.3);  // ear canal
    return d;
}

double UpperFaceField(Vec3 p) {
    double d = Ellipsoid(p, {5.0, 0.0, -0.6}, {3.4, 5.3, 2.4});  // frontal base around the orbits
    // The upper jaw comes forward nearly to the plane of the brows, so the face in
    // profile stands under the forehead instead of in a hollow beneath it.
    d = SmoothUnion(d, Ellipsoid(p, {5.45, 0.0, -3.4}, {3.75, 3.9, 3.0}), 1.0);  // maxilla
    d = SmoothUnion(d, Ellipsoid(p, {7.1, 2.6, -3.3}, {1.7, 1.4, 1.5}), 1.0);    // under the orbit, out to the cheek
    // The back of the upper jaw rounds off behind the last molar, just inside the
    // jaw's coronoid process, and behind it the plates of the base hang down: seen
    // from the front and side there is bone in shadow there, not daylight.
    d = SmoothUnion(d, Ellipsoid(p, {3.2, 3.0, -5.5}, {1.2, 1.0, 1.2}), 0.8);
    d = SmoothUnion(d, Ellipsoid(p, {1.9, 2.0, -5.0}, {1.3, 0.55, 2.1}), 0.6);
    d = SmoothUnion(d, Capsule(p, {8.4, 1.0, 0.9}, {7.5, 4.7, 0.3}, 0.75), 0.8);   // brow ridge
    d = SmoothUnion(d, Ellipsoid(p, {8.65, 0.0, 1.3}, {0.65, 1.5, 0.7}), 0.8);     // glabella
    d = SmoothUnion(d, Capsule(p, {7.8, 0.0, 0.5}, {9.1, 0.0, -2.0}, 0.55), 0.5);  // nasal bones
    return d;
}

double CarveFace(Vec3 p, double d) {
    // The sockets: as wide as their rims for their first centimetres, then
    // narrowing to a point far back. The saver's light comes from the viewer, so
    // steep walls are what makes them read as dark holes.
    const Vec3 q{p.x, 3.3 + (p.y - 3.3) * 0.98, -1.5 + (p.z + 1.5) * 1.15};
    double orbit = sdf::TaperedCapsule(q, {9.8, 3.3, -1.5}, {6.0, 3.1, -1.5}, 2.0, 1.95);
    orbit = std::min(orbit, sdf::TaperedCapsule(q, {6.0, 3.1, -1.5}, {1.0, 2.1, -1.3}, 1.95, 0.15));
    d = SmoothSubtract(d, orbit, 0.45);
    // The pear-shaped nasal opening, wider at the bottom, as a tunnel into the head.
    const Vec3 n{p.x, p.y * (0.62 + 0.1 * (p.z + 4.2)), p.z};
    double nose = sdf::TaperedCapsule(n, {10.5, 0.0, -3.1}, {4.0, 0.0, -3.4}, 1.0, 0.5);
    nose = std::min(nose, sdf::TaperedCapsule(n, {10.5, 0.0, -4.2}, {4.0, 0.0, -3.9}, 1.0, 0.5));
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
    path.push_back({2.9, 4.35, 0});
    path.push_back({1.6, 4.85, 0});
    double d = 1e9;
    const double n = static_cast<double>(path.size() - 1);
    // The lower border rises toward the angle, so the angle opens to about 120 degrees.
    auto top = [](double f) { return -7.55 - 0.3 * f; };
    auto bottom = [](double f) { return -11.1 + 1.6 * f * std::sqrt(f); };
    for (size_t i = 0; i + 1 < path.size(); ++i) {
        const double f0 = i / n, f1 = (i + 1) / n;
        const Vec3 a = path[i], b = path[i + 1];
        d = std::min(d, Plate(p, {a.x, a.y, top(f0)}, {b.x, b.y, top(f1)}, {b.x, b.y, bottom(f1) + 0.2},
                              {a.x, a.y, bottom(f0) + 0.2}, 0.5 - 0.12 * f0));
        // A rounded lower border, thicker than the plate above it.
        d = std::min(d,
                     sdf::TaperedCapsule(p, {a.x * 1.02, a.y * 1.04, bottom(f0) + 0.45},
                                         {b.x * 1.02, b.y * 1.04, bottom(f1) + 0.45}, 0.7 - 0.2 * f0, 0.7 - 0.2 * f1));
    }
    d = SmoothUnion(d, Ellipsoid(p, {8.4, 0.0, -10.5}, {0.9, 2.1, 1.05}), 0.8);  // chin
    // The ramus rises from the angle to two processes: the coronoid in front, which
    // slips up under the arch, and the condyle behind, the joint's head in front of
    // the ear; the notch between them is open. It is bone of real thickness, thicker
    // at the angle, and grows out of the body instead of standing beside it.
    const Vec3 angle{1.55, 4.85, -9.3}, front{3.9, 4.2, -8.1}, coronoid{2.95, 4.55, -4.3}, notch{1.45, 4.75, -5.6},
        neck{0.15, 4.9, -4.7};
    d = SmoothUnion(d,
                    std::min({sdf::Triangle(p, angle, front, notch), sdf::Triangle(p, front, coronoid, notch),
                              sdf::Triangle(p, angle, notch, neck)}) -
                        0.42,
                    0.6);
    d = SmoothUnion(d, Ellipsoid(p, {1.85, 4.8, -8.9}, {1.0, 0.4, 0.8}), 0.4);  // angle
    // Behind the last molar the body rises into the ramus's inner face, closing
    // the corner between the tooth row and the coronoid.
    d = SmoothUnion(d, Ellipsoid(p, {3.0, 2.8, -6.9}, {0.95, 0.95, 0.7}), 0.6);
    d = SmoothUnion(d, sdf::TaperedCapsule(p, angle + Vec3{0, 0.05, 0}, neck, 0.55, 0.42), 0.6);  // back border
    d = SmoothUnion(d, sdf::TaperedCapsule(p, front, coronoid, 0.55, 0.28), 0.5);                 // front border
    // The front border runs on down and forward along the outside of the body,
    // fading out under the molars.
    d = SmoothUnion(d, sdf::TaperedCapsule(p, {5.6, 3.7, -9.0}, front, 0.2, 0.55), 0.6);
    d = SmoothUnion(d, Ellipsoid(p, {0.05, 4.85, -3.95}, {0.55, 1.05, 0.45}), 0.4);  // condyle
    // The bone the lower teeth stand in, filling between their necks as the upper
    // jaw's ridge does.
    d = SmoothUnion(d, RidgeField(p, arches.lower, -7.35, 0.55), 0.5);
    if (p.z < -5.5 && p.z > -9.5 && p.x > 2.0) d = SmoothUnion(d, TeethField(p, arches.lower), 0.25);
    return d;
}

// Each part of the skull lies inside its own box; where a point is so far from the
// box that the part cannot touch the blend, the part is not evaluated. The margin
// covers the blend width and the looseness of the ellipsoid distances, so the
// field is the same as without the test, only cheaper.
struct Box {
    Vec3 lo, hi;
    double Distance(Vec3 p) const {
        const double dx = std::max({lo.x - p.x, 0.0, p.x - hi.x}), dy = std::max({lo.y - p.y, 0.0, p.y - hi.y}),
                     dz = std::max({lo.z - p.z, 0.0, p.z - hi.z});
        return std::sqrt(dx * dx + dy * dy + dz * dz);
    }
    bool Near(Vec3 p, double d, double k) const { return Distance(p) < std::fabs(d) + k + 1.5; }
};

double SkullCm(Vec3 p) {
    p.y = std::fabs(p.y);
    static const Box temple{{-5.0, 5.0, -5.8}, {8.2, 10.8, 4.0}}, line{{-5.9, 4.7, -2.7}, {7.3, 6.4, 4.3}},
        cheek{{-1.9, 2.8, -5.6}, {8.3, 6.7, 0.9}}, base{{-9.6, 0.0, -6.0}, {-0.5, 5.8, -0.6}},
        hole{{-4.5, 0.0, -6.6}, {-0.4, 7.5, 0.2}}, upperJaw{{0.0, 0.0, -7.5}, {9.8, 5.0, -4.0}},
        face{{0.8, 0.0, -6.0}, {12.5, 5.5, 0.6}}, lowerJaw{{-0.6, 0.0, -11.9}, {9.5, 6.0, -3.4}};
    double d = SmoothUnion(VaultField(p), UpperFaceField(p), 1.2);
    if (temple.Near(p, d, 0.7)) d = CarveTemple(p, d);
    if (line.Near(p, d, 0.5)) d = SmoothUnion(d, TemporalLineField(p), 0.5);
    if (cheek.Near(p, d, 0.5)) d = SmoothUnion(d, CheekField(p), 0.5);
    if (base.Near(p, d, 0.6)) d = SmoothUnion(d, BaseField(p), 0.6);
    if (hole.Near(p, d, 0.35)) d = CarveBase(p, d);
    if (upperJaw.Near(p, d, 0.8)) d = SmoothUnion(d, UpperJawField(p), 0.8);
    if (face.Near(p, d, 0.45)) d = CarveFace(p, d);
    if (lowerJaw.Near(p, d, 0.4)) d = SmoothUnion(d, LowerJawField(p), 0.4);
    return d;
}

}  // namespace

double SkullField(Vec3 model) { return SkullCm(ToCm(model)); }

Vec3 SkullFromCm(Vec3 cm) { return ToModel(cm); }

sdf::GenMesh BuildSkull() {
    const Vec3 lo = ToModel({-11.2, -8.0, -12.9}), hi = ToModel({10.6, 8.0, 10.5});
    const double cell = 0.3;  // centimetres
    const int nx = static_cast<int>((hi.x - lo.x) / kSkullScale / cell + 0.5);
    const int ny = static_cast<int>((hi.y - lo.y) / kSkullScale / cell + 0.5);
    const int nz = static_cast<int>((hi.z - lo.z) / kSkullScale / cell + 0.5);
    sdf::GenMesh mesh = sdf::Polygonise(SkullField, lo, hi, nx, ny, nz);
    sdf::KeepLargestPiece(mesh);
    // A fine grid keeps the teeth and the thin arches; merging its many small (and
    // often sliver) triangles brings the count down where the surface is plain.
    sdf::Simplify(mesh, SkullField, kSkullTriangles, 0.05 * kSkullScale);
    // A front projection: the face is the part worth a texture.
    for (const Vec3& p : mesh.positions) {
        const Vec3 cm = ToCm(p);
        mesh.uvs.push_back({0.5 + cm.y / 16.0, 0.5 + (cm.z + 1.2) / 24.0});
    }
    return mesh;
}

}  // namespace vtl
