// The skull measured like a skull: craniometric landmarks found on the generated
// mesh by casting rays at it, and compared with published adult means. A head
// that reads right from the front but is an egg from the side fails here, so does
// one whose arches are glued to the skull wall or whose great hole is missing.
// Native builds only: the generator's code is linked in.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/voxamesh.h"
#include "meshes.h"
#include "skull.h"

namespace {

using vtl::MeshData;
using vtl::sdf::Vec3;

// Where a ray from `from` along one axis crosses the mesh: distances along the
// ray, nearest first.
std::vector<double> Hits(const MeshData& mesh, Vec3 from, int axis, double sign) {
    const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
    auto get = [](const vtl::D3DVECTOR& v, int i) { return static_cast<double>(i == 0 ? v.x : (i == 1 ? v.y : v.z)); };
    const double o[3] = {from.x, from.y, from.z};
    std::vector<double> out;
    for (const vtl::TMeshTriangle& t : mesh.triangles) {
        const vtl::D3DVECTOR& p0 = mesh.positions[t.V0];
        const vtl::D3DVECTOR& p1 = mesh.positions[t.V1];
        const vtl::D3DVECTOR& p2 = mesh.positions[t.V2];
        // 2D point-in-triangle on the plane across the ray, then the depth there.
        const double x0 = get(p0, a1) - o[a1], y0 = get(p0, a2) - o[a2], x1 = get(p1, a1) - o[a1],
                     y1 = get(p1, a2) - o[a2], x2 = get(p2, a1) - o[a1], y2 = get(p2, a2) - o[a2];
        const double w0 = x1 * y2 - x2 * y1, w1 = x2 * y0 - x0 * y2, w2 = x0 * y1 - x1 * y0;
        if (!((w0 >= 0 && w1 >= 0 && w2 >= 0) || (w0 <= 0 && w1 <= 0 && w2 <= 0))) continue;
        const double sum = w0 + w1 + w2;
        if (sum == 0) continue;
        const double depth = (w0 * get(p0, axis) + w1 * get(p1, axis) + w2 * get(p2, axis)) / sum;
        out.push_back((depth - o[axis]) * sign);
    }
    std::sort(out.begin(), out.end());
    return out;
}

// Probes the mesh in the skull's frame in centimetres of a life-sized head, where
// the landmarks are looked for; coordinates come back in centimetres too.
class Caliper {
public:
    explicit Caliper(const MeshData& mesh) : mesh_(mesh) {}

    // Where a ray coming in along the axis from far out on the `sign` side (+1: from
    // the positive end) through `cm` crosses the bone, as coordinates on that axis,
    // first met first.
    std::vector<double> Crossings(Vec3 cm, int axis, double sign) const {
        Vec3 far = cm;
        (axis == 0 ? far.x : (axis == 1 ? far.y : far.z)) = sign * 40.0;
        const Vec3 start = vtl::SkullFromCm(far), zero = vtl::SkullFromCm({0, 0, 0});
        const double from = axis == 0 ? start.x : (axis == 1 ? start.y : start.z);
        const double origin = axis == 0 ? zero.x : (axis == 1 ? zero.y : zero.z);
        std::vector<double> out;
        for (double h : Hits(mesh_, start, axis, -sign)) out.push_back((from - sign * h - origin) / vtl::kSkullScale);
        return out;
    }
    // The first of them; NaN when the ray misses.
    double First(Vec3 cm, int axis, double sign) const {
        const std::vector<double> all = Crossings(cm, axis, sign);
        return all.empty() ? std::nan("") : all.front();
    }
    // Inside the bone: an odd number of crossings on the way out along +x.
    bool Inside(Vec3 cm) const {
        const std::vector<double> hits = Hits(mesh_, vtl::SkullFromCm(cm), 0, 1);
        return std::count_if(hits.begin(), hits.end(), [](double h) { return h > 0; }) % 2 == 1;
    }

private:
    const MeshData& mesh_;
};

struct Range {
    const char* name;
    double measured, lo, hi;  // millimetres
};

// An opening seen from the front, measured in the section across the face at
// depth x (cm): from its middle (y0, z0) up and down to the bone around it, and
// across at its widest.
struct Opening {
    double width = 0, height = 0, top = 0, bottom = 0;
};
Opening MeasureOpening(const Caliper& c, double x, double y0, double z0, double half) {
    const double step = 0.05;
    const int n = static_cast<int>(half / step);
    // Clear section from (y, z) in the direction (dy, dz), in centimetres.
    auto run = [&](double y, double z, double dy, double dz) {
        int i = 0;
        while (i < n && !c.Inside({x, y + (i + 1) * step * dy, z + (i + 1) * step * dz})) ++i;
        return i * step;
    };
    Opening o;
    const double up = run(y0, z0, 0, 1), down = run(y0, z0, 0, -1);
    o.height = (up + down) * 10;
    o.top = z0 + up;
    o.bottom = z0 - down;
    for (double z = o.bottom; z <= o.top; z += step)
        if (!c.Inside({x, y0, z})) o.width = std::max(o.width, (run(y0, z, 1, 0) + run(y0, z, -1, 0)) * 10);
    return o;
}

class SkullAnatomy : public testing::Test {
protected:
    static const MeshData& Mesh() { return vtl::SkullMeshData(); }
};

TEST_F(SkullAnatomy, ProportionsAreThoseOfAnAdultSkull) {
    const Caliper c(Mesh());
    // Glabella to the back of the head, along the midline above the eye sockets.
    double front = -1e9, back = 1e9;
    for (double z = 0.0; z <= 8.0; z += 0.1) {
        front = std::max(front, c.First({0, 0, z}, 0, 1));
        back = std::min(back, c.First({0, 0, z}, 0, -1));
    }
    // Widest across the vault, above the arches and the mastoids.
    double breadth = 0;
    for (double x = -8.0; x <= 6.0; x += 0.2)
        for (double z = -1.5; z <= 8.0; z += 0.2) {
            const double y = c.First({x, 0, z}, 1, 1);
            if (!std::isnan(y)) breadth = std::max(breadth, 2 * y);
        }
    // Across the arches, in front of the ears.
    double bizygomatic = 0;
    for (double x = 0.0; x <= 5.5; x += 0.1)
        for (double z = -4.0; z <= -2.0; z += 0.1) {
            const double y = c.First({x, 0, z}, 1, 1);
            if (!std::isnan(y)) bizygomatic = std::max(bizygomatic, 2 * y);
        }
    // The great hole, along the midline from below: from the ray that reaches
    // deepest into it, forward and back to the foot of its wall. Basion is the
    // front rim.
    double basionX = std::nan(""), basionZ = std::nan(""), holeLength = 0;
    {
        const double step = 0.05;
        std::vector<double> x, z;  // first bone from below
        for (double at = -5.0; at <= 1.0; at += step) {
            x.push_back(at);
            z.push_back(c.First({at, 0, 0}, 2, -1));
        }
        const size_t deepest = static_cast<size_t>(std::max_element(z.begin(), z.end()) - z.begin());
        // Out from the deepest ray, down the wall (past any ledge in its first
        // centimetre) to its foot, where the rim flattens out.
        auto rim = [&](int dir) -> std::ptrdiff_t {
            const auto n = static_cast<std::ptrdiff_t>(z.size());
            std::ptrdiff_t i = static_cast<std::ptrdiff_t>(deepest);
            while (i + dir >= 0 && i + dir < n && (z[deepest] - z[i] < 1.0 || z[i] - z[i + dir] > 0.02)) i += dir;
            return i + dir >= 0 && i + dir < n ? i : -1;
        };
        const std::ptrdiff_t ahead = rim(1), behind = rim(-1);
        if (ahead >= 0 && behind >= 0) {
            basionX = x[ahead];
            basionZ = z[ahead];
            holeLength = x[ahead] - x[behind];
        }
    }
    ASSERT_FALSE(std::isnan(basionX)) << "no great hole under the skull";
    // Bregma taken as the top of the vault, the skull sitting as the eye-ear plane has it.
    double topX = 0, topZ = -1e9;
    for (double x = -4.0; x <= 4.0; x += 0.1) {
        const double z = c.First({x, 0, 0}, 2, 1);
        if (z > topZ) topX = x, topZ = z;
    }
    const double baBr = std::hypot(topX - basionX, topZ - basionZ) * 10;
    const Range ranges[] = {
        {"maximum cranial length", (front - back) * 10, 180, 190},
        {"maximum cranial breadth", breadth * 10, 135, 145},
        {"basion-bregma height", baBr, 130, 140},
        {"bizygomatic breadth", bizygomatic * 10, 125, 135},
        {"foramen magnum length", holeLength * 10, 30, 40},
    };
    for (const Range& r : ranges) {
        EXPECT_GE(r.measured, r.lo) << r.name;
        EXPECT_LE(r.measured, r.hi) << r.name;
        RecordProperty(r.name, std::to_string(r.measured));
        std::printf("%-26s %6.1f mm  (%g-%g)\n", r.name, r.measured, r.lo, r.hi);
    }
}

TEST_F(SkullAnatomy, OrbitsAndNasalApertureOpenAtTheirSizes) {
    const Caliper c(Mesh());
    // Each in the section just behind the lowest point of its rim, where the
    // opening is closed all round.
    const Opening orbit = MeasureOpening(c, 6.4, 3.25, -1.5, 3.0);
    const Opening nose = MeasureOpening(c, 7.8, 0.0, -3.6, 2.5);
    // Nasion: the deepest point of the midline profile between the tip of the nasal
    // bones (the most forward point just above the aperture) and the glabella (the
    // most forward point of the brow).
    std::vector<std::pair<double, double>> profile;  // z, first bone from the front
    for (double z = nose.top; z <= 3.0; z += 0.05) profile.push_back({z, c.First({0, 0, z}, 0, 1)});
    auto forwardmost = [&](double lo, double hi) {
        std::pair<double, double> best{0, -1e9};
        for (const auto& p : profile)
            if (p.first >= lo && p.first <= hi && p.second > best.second) best = p;
        return best.first;
    };
    const double tip = forwardmost(nose.top, nose.top + 1.5), glabella = forwardmost(nose.top + 1.5, 3.0);
    double nasionZ = 0, nasionX = 1e9;
    for (const auto& [z, x] : profile)
        if (z > tip && z < glabella && x < nasionX) nasionX = x, nasionZ = z;
    const Range ranges[] = {
        {"orbital breadth", orbit.width, 37, 43},
        {"orbital height", orbit.height, 31, 37},
        {"nasal breadth", nose.width, 22, 28},
        {"nasal height", (nasionZ - nose.bottom) * 10, 45, 55},
    };
    for (const Range& r : ranges) {
        EXPECT_GE(r.measured, r.lo) << r.name;
        EXPECT_LE(r.measured, r.hi) << r.name;
        RecordProperty(r.name, std::to_string(r.measured));
        std::printf("%-26s %6.1f mm  (%g-%g)\n", r.name, r.measured, r.lo, r.hi);
    }
}

// From the side the arch is a bar with daylight under and behind it: a ray in from
// the side through the arch's middle leaves the bone and meets the skull wall again
// only after a gap, where the chewing muscle passes.
TEST_F(SkullAnatomy, ArchesStandFreeOfTheSkullWall) {
    const Caliper c(Mesh());
    int free = 0;
    for (double x = 1.0; x <= 3.5; x += 0.5) {
        const std::vector<double> y = c.Crossings({x, 0, -3.0}, 1, 1);
        ASSERT_GE(y.size(), 2u) << x;
        if (y.size() >= 3 && y[1] - y[2] > 0.5) ++free;
    }
    EXPECT_GE(free, 4);
}

// What the side and the base show, probed with single rays: the jaw's condyle and
// coronoid process stand up on either side of an open notch (a ray from the side
// between them passes on deep into the skull), and the mastoid hangs well below
// the ear canal.
TEST_F(SkullAnatomy, ProcessesOfTheJawAndTheMastoidStandOut) {
    const Caliper c(Mesh());
    struct Probe {
        const char* name;
        Vec3 through;
        int axis;
        double sign, lo, hi;  // where the first bone must lie on that axis (cm)
    };
    const Probe probes[] = {
        {"condyle's neck", {0.15, 0, -4.6}, 1, 1, 4.5, 6.0},
        {"notch", {1.2, 0, -4.6}, 1, 1, -1, 3.5},
        {"coronoid process", {2.8, 0, -4.6}, 1, 1, 4.2, 6.0},
        {"mastoid tip", {-1.7, 4.5, 0}, 2, -1, -7.0, -5.0},
    };
    for (const Probe& p : probes) {
        const double at = c.First(p.through, p.axis, p.sign);
        EXPECT_GE(at, p.lo) << p.name;
        EXPECT_LE(at, p.hi) << p.name;
    }
}

// The lower jaw is bone of some thickness all the way up its rear branch, not a
// blade, and the arch is a bar rather than a plate: measured across, from the side.
TEST_F(SkullAnatomy, RamusAndArchHaveTheThicknessOfBone) {
    const Caliper c(Mesh());
    struct Section {
        const char* name;
        Vec3 inside;  // a point in the bone (cm)
        int axis;
        double lo, hi;  // its thickness along the axis there (mm)
    };
    const Section sections[] = {
        {"ramus, narrowest", {1.6, 4.75, -6.8}, 1, 8, 12},
        {"ramus at the angle", {1.9, 4.75, -8.8}, 1, 10, 16},
        {"arch, across", {2.5, 6.2, -3.0}, 1, 5, 9},
        {"arch, up and down", {2.5, 6.2, -3.0}, 2, 5, 9},
    };
    for (const Section& s : sections) {
        const double at = s.axis == 1 ? s.inside.y : s.inside.z;
        // Crossings come from the positive side, so they run downward along the axis.
        const std::vector<double> crossings = c.Crossings(s.inside, s.axis, 1);
        double mm = 0;
        for (size_t i = 0; i + 1 < crossings.size(); ++i)
            if (crossings[i] >= at && crossings[i + 1] <= at) mm = (crossings[i] - crossings[i + 1]) * 10;
        EXPECT_GE(mm, s.lo) << s.name;
        EXPECT_LE(mm, s.hi) << s.name;
        std::printf("%-26s %6.1f mm  (%g-%g)\n", s.name, mm, s.lo, s.hi);
    }
}

// Turning, the face must not show daylight through the side of the head: under the
// cheekbone, in front of the jaw's ramus and between the tooth rows, a level ray
// from any front three-quarter direction meets bone.
TEST_F(SkullAnatomy, NoDaylightBetweenCheekAndJawFromTheFrontQuarter) {
    const MeshData& mesh = Mesh();
    auto hits = [&](Vec3 o, Vec3 dir) {
        for (const vtl::TMeshTriangle& t : mesh.triangles) {
            auto at = [&](std::int32_t i) {
                const vtl::D3DVECTOR& v = mesh.positions[i];
                return Vec3{v.x, v.y, v.z};
            };
            const Vec3 a = at(t.V0), e1 = at(t.V1) - a, e2 = at(t.V2) - a;
            const Vec3 pv{dir.y * e2.z - dir.z * e2.y, dir.z * e2.x - dir.x * e2.z, dir.x * e2.y - dir.y * e2.x};
            const double det = vtl::sdf::Dot(e1, pv);
            if (std::fabs(det) < 1e-12) continue;
            const Vec3 tv = o - a;
            const double u = vtl::sdf::Dot(tv, pv) / det;
            if (u < 0 || u > 1) continue;
            const Vec3 qv{tv.y * e1.z - tv.z * e1.y, tv.z * e1.x - tv.x * e1.z, tv.x * e1.y - tv.y * e1.x};
            const double v = vtl::sdf::Dot(dir, qv) / det;
            if (v >= 0 && u + v <= 1) return true;
        }
        return false;
    };
    for (double deg : {20.0, 35.0, 50.0, 65.0}) {
        const double r = deg * 3.14159265358979 / 180;
        const Vec3 dir{-std::cos(r), -std::sin(r), 0};
        int open = 0;
        for (double z = -4.0; z >= -7.6; z -= 0.3)
            for (double x = 2.5; x <= 6.5; x += 0.3) {
                const Vec3 through = vtl::SkullFromCm({x, 4.2, z});
                if (!hits(through, dir)) ++open;
            }
        EXPECT_EQ(open, 0) << deg << " degrees from the front";
    }
}

TEST_F(SkullAnatomy, FitsTheTriangleBudgetWithUnitSmoothNormals) {
    const MeshData& mesh = Mesh();
    EXPECT_LE(mesh.triangles.size(), 12000u);
    EXPECT_GE(mesh.triangles.size(), 8000u);
    EXPECT_LE(vtl::GlassesMeshData().triangles.size(), 3000u);
    for (const vtl::D3DVECTOR& n : mesh.normals) ASSERT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-4);
    // Smooth: a position shared by several triangles is shaded with one normal, so
    // the light does not break along the edges between them.
    std::map<std::int32_t, std::int32_t> normalOf;
    int split = 0;
    for (const vtl::TMeshTriangle& t : mesh.triangles)
        for (const auto& [v, n] : {std::pair{t.V0, t.N0}, std::pair{t.V1, t.N1}, std::pair{t.V2, t.N2}}) {
            const auto [it, added] = normalOf.emplace(v, n);
            if (!added && it->second != n) ++split;
        }
    EXPECT_EQ(split, 0);
}

}  // namespace

#endif
