// The sunglasses: two slightly curved lenses, a rim around each, a bridge over the
// nose and two temples back over the ears. Each part is its own closed tube or
// slab. They are laid out in the skull's centimetre frame, where the face is
// known, and then carried into the glasses' model frame.
#include "glasses.h"

#include <array>
#include <cmath>
#include <utility>
#include <vector>

#include "detmath.h"
#include "scene/scene_layout.h"
#include "skull.h"

namespace vtl {

using sdf::Cross;
using sdf::GenMesh;
using sdf::Normalized;
using sdf::Vec3;

namespace {

// Points around a lens outline: the lens and its rim share them. A few dozen keep
// the outline round at the size the scene shows the glasses; the thin tubes of the
// temples and the bridge get by with six sides, their smooth normals round them.
constexpr int kOutlinePoints = 40;

// The quarter turn of the placement is written out below as the swap of x and y it
// is; a different turn would need the sines and cosines instead.
static_assert(kGlassesTurnDeg == 90.0, "the glasses' placement swaps axes for a quarter turn");

// Skull centimetres -> glasses model (the inverse of the scene's placement).
Vec3 CmToGlasses(Vec3 cm) {
    const Vec3 m = SkullFromCm(cm);
    return {m.y / kGlassesScaleXY, (-kGlassesOffsetY - m.x) / kGlassesScaleXY,
            (m.z - kGlassesOffsetZ) / kGlassesScaleZ};
}

// A direction in centimetres -> the glasses frame's normal: the inverse transpose of
// the placement's linear part, which keeps the shading right after its uneven scale.
Vec3 CmNormalToGlasses(Vec3 n) {
    return Normalized({kGlassesScaleXY * n.y, -kGlassesScaleXY * n.x, kGlassesScaleZ * n.z});
}

// Flips every triangle when the enclosed volume comes out negative, so the part's
// faces look outward whatever the handedness of the frames it was swept with.
void OrientOutward(GenMesh& m) {
    double volume = 0;
    for (const auto& t : m.triangles)
        volume += sdf::Dot(m.positions[t[0]], Cross(m.positions[t[1]], m.positions[t[2]]));
    if (volume < 0)
        for (auto& t : m.triangles) std::swap(t[1], t[2]);
}

// A tube of elliptical cross-section (radii r1 along the reference direction, r2
// across it) along `path`; a closed loop when `closed`, else capped flat at both
// ends. `ref` fixes the cross-section's turn, so a loop in a plane closes up.
GenMesh Tube(const std::vector<Vec3>& path, bool closed, double r1, double r2, Vec3 ref, int sides) {
    GenMesh m;
    const int n = static_cast<int>(path.size());
    for (int i = 0; i < n; ++i) {
        const Vec3 prev = path[closed ? (i + n - 1) % n : (i > 0 ? i - 1 : 0)];
        const Vec3 next = path[closed ? (i + 1) % n : (i + 1 < n ? i + 1 : n - 1)];
        const Vec3 t = Normalized(next - prev);
        const Vec3 f1 = Normalized(ref - t * sdf::Dot(ref, t));
        const Vec3 f2 = Cross(t, f1);
        for (int j = 0; j < sides; ++j) {
            const double a = det::kTwoPi * j / sides;
            const double c = det::Cos(a), s = det::Sin(a);
            m.positions.push_back(path[i] + f1 * (r1 * c) + f2 * (r2 * s));
            m.normals.push_back(Normalized(f1 * (c / r1) + f2 * (s / r2)));
        }
    }
    const int rings = closed ? n : n - 1;
    for (int i = 0; i < rings; ++i) {
        const int i2 = (i + 1) % n;
        for (int j = 0; j < sides; ++j) {
            const int j2 = (j + 1) % sides;
            const int a = i * sides + j, b = i2 * sides + j, c = i2 * sides + j2, d = i * sides + j2;
            m.triangles.push_back({a, b, c});
            m.triangles.push_back({a, c, d});
        }
    }
    if (!closed) {
        for (int end = 0; end < 2; ++end) {
            const int ring = end == 0 ? 0 : n - 1;
            const Vec3 dir = Normalized(end == 0 ? path[0] - path[1] : path[n - 1] - path[n - 2]);
            const int centre = static_cast<int>(m.positions.size());
            m.positions.push_back(path[ring]);
            m.normals.push_back(dir);
            // The cap's own copies of the ring carry the flat normal; they weld with the
            // side's ring by position when the file is written.
            const int base = static_cast<int>(m.positions.size());
            for (int j = 0; j < sides; ++j) {
                m.positions.push_back(m.positions[ring * sides + j]);
                m.normals.push_back(dir);
            }
            for (int j = 0; j < sides; ++j) {
                const int a = base + j, b = base + (j + 1) % sides;
                m.triangles.push_back(end == 0 ? std::array<int, 3>{centre, a, b} : std::array<int, 3>{centre, b, a});
            }
        }
    }
    OrientOutward(m);
    return m;
}

struct LensFrame {
    Vec3 centre, across, up, normal;  // across points to the temple, normal forward
};

LensFrame Lens(double side) {
    const double wrap = 0.17;  // radians the outer half turns back
    LensFrame f;
    f.centre = {9.45, side * 3.35, -1.45};
    f.across = Normalized({-det::Sin(wrap), side * det::Cos(wrap), 0.0});
    f.up = {0, 0, 1};
    f.normal = Normalized(Cross(f.up, f.across) * side);
    if (f.normal.x < 0) f.normal = f.normal * -1.0;
    return f;
}

// The lens outline: a rounded rectangle, a little deeper toward the temple and
// flatter on top, the typical shape of sunglasses.
std::vector<Vec3> Outline(const LensFrame& f, double inset, int count) {
    std::vector<Vec3> pts;
    for (int i = 0; i < count; ++i) {
        const double a = det::kTwoPi * i / count;
        const double c = det::Cos(a), s = det::Sin(a);
        // Superellipse |x|^2.5 + |y|^2.5 = 1, through the generator's own power function
        // so the outline is the same on every C library.
        const double x = (c < 0 ? -1 : 1) * det::Pow(std::fabs(c), 0.8);
        const double y = (s < 0 ? -1 : 1) * det::Pow(std::fabs(s), 0.8);
        const double halfW = 2.45 - inset;
        const double halfH = (y > 0 ? 1.55 : 1.85 + 0.25 * x) - inset;
        const double u = x * halfW, v = y * halfH + (y > 0 ? 0.0 : 0.1 * x);
        const double bulge = -0.035 * (u * u + v * v);  // the lens curves back at its edges
        pts.push_back(f.centre + f.across * u + f.up * v + f.normal * bulge);
    }
    return pts;
}

GenMesh LensSlab(const LensFrame& f, double thickness) {
    const int count = kOutlinePoints;
    const std::vector<Vec3> edge = Outline(f, 0.05, count);
    GenMesh m;
    // Two faces, each a fan around the middle, plus the edge band between them.
    for (int face = 0; face < 2; ++face) {
        const double off = face == 0 ? thickness * 0.5 : -thickness * 0.5;
        const Vec3 dir = face == 0 ? f.normal : f.normal * -1.0;
        const int centre = static_cast<int>(m.positions.size());
        m.positions.push_back(f.centre + f.normal * off);
        m.normals.push_back(dir);
        for (int i = 0; i < count; ++i) {
            const Vec3 p = edge[i] + f.normal * off;
            m.positions.push_back(p);
            // A gently domed normal makes the reflection slide across the lens.
            m.normals.push_back(Normalized(dir + (p - f.centre) * 0.12));
        }
        for (int i = 0; i < count; ++i) {
            const int a = centre + 1 + i, b = centre + 1 + (i + 1) % count;
            m.triangles.push_back(face == 0 ? std::array<int, 3>{centre, a, b} : std::array<int, 3>{centre, b, a});
        }
    }
    const int band = static_cast<int>(m.positions.size());
    for (int face = 0; face < 2; ++face)
        for (int i = 0; i < count; ++i) {
            m.positions.push_back(m.positions[face * (count + 1) + 1 + i]);
            const Vec3 t = edge[(i + 1) % count] - edge[(i + count - 1) % count];
            m.normals.push_back(Normalized(Cross(t, f.normal)));
        }
    for (int i = 0; i < count; ++i) {
        const int i2 = (i + 1) % count;
        const int a = band + i, b = band + i2, c = band + count + i2, d = band + count + i;
        m.triangles.push_back({a, c, b});
        m.triangles.push_back({a, d, c});
    }
    // The band's outward normals point away from the lens middle.
    for (int i = 0; i < 2 * count; ++i) {
        Vec3& n = m.normals[band + i];
        if (sdf::Dot(n, m.positions[band + i] - f.centre) < 0) n = n * -1.0;
    }
    OrientOutward(m);
    return m;
}

std::vector<Vec3> Curve(const std::vector<Vec3>& ctrl, int perSegment) {
    // Catmull-Rom through the control points, ends held.
    std::vector<Vec3> out;
    const int n = static_cast<int>(ctrl.size());
    for (int i = 0; i + 1 < n; ++i) {
        const Vec3 p0 = ctrl[i > 0 ? i - 1 : 0], p1 = ctrl[i], p2 = ctrl[i + 1], p3 = ctrl[i + 2 < n ? i + 2 : n - 1];
        for (int k = 0; k < perSegment; ++k) {
            const double t = static_cast<double>(k) / perSegment, t2 = t * t, t3 = t2 * t;
            out.push_back((p1 * 2.0 + (p2 - p0) * t + (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * t2 +
                           (p1 * 3.0 - p0 - p2 * 3.0 + p3) * t3) *
                          0.5);
        }
    }
    out.push_back(ctrl[n - 1]);
    return out;
}

void MapToGlasses(GenMesh& m) {
    for (Vec3& p : m.positions) p = CmToGlasses(p);
    for (Vec3& n : m.normals) n = CmNormalToGlasses(n);
}

}  // namespace

Vec3 GlassesToSkull(Vec3 g) {
    return {-kGlassesOffsetY - kGlassesScaleXY * g.y, kGlassesScaleXY * g.x, kGlassesOffsetZ + kGlassesScaleZ * g.z};
}

GenMesh BuildGlasses() {
    GenMesh all;
    for (double side : {-1.0, 1.0}) {
        const LensFrame f = Lens(side);
        sdf::Append(all, LensSlab(f, 0.22));
        sdf::Append(all, Tube(Outline(f, 0.0, kOutlinePoints), true, 0.2, 0.14, f.normal, 8));
        // Temple: from the hinge at the lens's outer top corner back over the ear.
        const Vec3 hinge = f.centre + f.across * 2.5 + f.up * 0.6 - f.normal * 0.25;
        const std::vector<Vec3> temple = Curve({hinge,
                                                {hinge.x - 0.6, side * 6.85, -0.9},
                                                {4.0, side * 7.05, -1.05},
                                                {-0.4, side * 6.95, -1.3},
                                                {-2.0, side * 6.45, -2.2},
                                                {-2.6, side * 6.0, -3.6}},
                                               5);
        sdf::Append(all, Tube(temple, false, 0.22, 0.11, {0, 0, 1}, 6));
    }
    // The bridge arcs over the nose between the rims' inner top corners.
    const LensFrame l = Lens(-1.0), r = Lens(1.0);
    const Vec3 a = l.centre + l.across * 2.2 + l.up * 0.7, b = r.centre + r.across * 2.2 + r.up * 0.7;
    sdf::Append(all, Tube(Curve({a, {9.75, -0.6, -0.45}, {9.8, 0.6, -0.45}, b}, 5), false, 0.16, 0.16, {1, 0, 0}, 6));
    MapToGlasses(all);
    for (const Vec3& p : all.positions) all.uvs.push_back({0.5 + 0.5 * p.x, 0.5 + p.z});
    return all;
}

}  // namespace vtl
