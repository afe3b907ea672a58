// The generated skull and sunglasses as the saver will load them: read back through
// the engine's mesh loader and checked for what the renderer relies on (closed,
// outward-facing, clockwise toward the camera) and for how the scene places them
// (a face that meets the viewer, glasses in front of the bone). Native builds only:
// the generator runs on the build machine.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <map>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "engine/e3dmath.h"
#include "engine/voxamesh.h"
#include "pack/assetnames.h"
#include "raster.h"
#include "skull.h"

namespace {

using vtl::D3DMATRIX;
using vtl::D3DVECTOR;
using vtl::MeshData;

MeshData Load(const std::string& name, std::int32_t& t, std::int32_t& v, std::int32_t& n, std::int32_t& u) {
    MeshData mesh;
    EXPECT_EQ(vtl::LoadMeshFile(std::string(VTL_ASSETS_DIR) + "/" + name, t, v, n, u, mesh), vtl::kMeshOk) << name;
    return mesh;
}

const MeshData& Skull() {
    static std::int32_t t, v, n, u;
    static const MeshData mesh = Load(vtl::kSkullMeshFile, t, v, n, u);
    return mesh;
}
const MeshData& Glasses() {
    static std::int32_t t, v, n, u;
    static const MeshData mesh = Load(vtl::kGlassesMeshFile, t, v, n, u);
    return mesh;
}

D3DVECTOR Apply(const D3DVECTOR& p, const D3DMATRIX& m) {
    return {p.x * m.m[0][0] + p.y * m.m[1][0] + p.z * m.m[2][0] + m.m[3][0],
            p.x * m.m[0][1] + p.y * m.m[1][1] + p.z * m.m[2][1] + m.m[3][1],
            p.x * m.m[0][2] + p.y * m.m[1][2] + p.z * m.m[2][2] + m.m[3][2]};
}

// A rotation's inverse: its transpose (translation-free matrices only).
D3DVECTOR ApplyInverseRotation(const D3DVECTOR& p, const D3DMATRIX& m) {
    return {p.x * m.m[0][0] + p.y * m.m[0][1] + p.z * m.m[0][2], p.x * m.m[1][0] + p.y * m.m[1][1] + p.z * m.m[1][2],
            p.x * m.m[2][0] + p.y * m.m[2][1] + p.z * m.m[2][2]};
}

struct Named {
    const char* name;
    const MeshData& (*mesh)();
};
const Named kMeshes[] = {{"skull", &Skull}, {"glasses", &Glasses}};

TEST(GeneratedMeshes, LoadWithCountsTheSceneCanDraw) {
    std::int32_t t = 0, v = 0, n = 0, u = 0;
    Load(vtl::kSkullMeshFile, t, v, n, u);
    EXPECT_GE(t, 10000);
    EXPECT_LE(t, 40000);
    EXPECT_GT(n, 0);
    EXPECT_GT(u, 0);
    Load(vtl::kGlassesMeshFile, t, v, n, u);
    EXPECT_GT(t, 500);
    EXPECT_LE(t, 40000);
}

TEST(GeneratedMeshes, IndicesNormalsAndTexCoordsAreUsable) {
    for (const Named& m : kMeshes) {
        const MeshData& mesh = m.mesh();
        const auto v = static_cast<std::int32_t>(mesh.positions.size()),
                   n = static_cast<std::int32_t>(mesh.normals.size()),
                   u = static_cast<std::int32_t>(mesh.texCoords.size());
        for (const vtl::TMeshTriangle& t : mesh.triangles) {
            for (std::int32_t i : {t.V0, t.V1, t.V2}) ASSERT_TRUE(i >= 0 && i < v) << m.name;
            for (std::int32_t i : {t.N0, t.N1, t.N2}) ASSERT_TRUE(i >= 0 && i < n) << m.name;
            for (std::int32_t i : {t.T0, t.T1, t.T2}) ASSERT_TRUE(i >= 0 && i < u) << m.name;
            ASSERT_FALSE(t.V0 == t.V1 || t.V1 == t.V2 || t.V0 == t.V2) << m.name << ": a corner used twice";
        }
        for (const D3DVECTOR& nn : mesh.normals) {
            const float len = std::sqrt(nn.x * nn.x + nn.y * nn.y + nn.z * nn.z);
            ASSERT_TRUE(std::isfinite(len) && len > 1e-3f) << m.name;
            EXPECT_NEAR(vtl::VecLength(vtl::VecNormalize(nn)), 1.0f, 1e-5f);
        }
        for (const vtl::TMeshTexCoord& tc : mesh.texCoords) ASSERT_TRUE(std::isfinite(tc.u) && std::isfinite(tc.v));
    }
}

// Every edge is used once in each direction: the surface is closed, has no
// T-junctions or fins, and its faces agree on which side is outside.
TEST(GeneratedMeshes, AreClosedConsistentlyWoundSurfaces) {
    for (const Named& m : kMeshes) {
        std::map<std::pair<int, int>, int> edges;
        for (const vtl::TMeshTriangle& t : m.mesh().triangles) {
            const int c[3] = {t.V0, t.V1, t.V2};
            for (int k = 0; k < 3; ++k) ++edges[{c[k], c[(k + 1) % 3]}];
        }
        int bad = 0;
        for (const auto& [edge, count] : edges) {
            const auto back = edges.find({edge.second, edge.first});
            if (count != 1 || back == edges.end() || back->second != 1) ++bad;
        }
        EXPECT_EQ(bad, 0) << m.name;
    }
}

// Positive enclosed volume: the faces' clockwise side looks outward, which is the
// side the renderer keeps when it culls counter-clockwise triangles.
TEST(GeneratedMeshes, FacesLookOutward) {
    for (const Named& m : kMeshes) {
        double volume = 0;
        const auto& p = m.mesh().positions;
        for (const vtl::TMeshTriangle& t : m.mesh().triangles)
            volume += vtl::VecDot(p[t.V0], vtl::VecCross(p[t.V1], p[t.V2]));
        EXPECT_GT(volume, 0) << m.name;
    }
}

TEST(GeneratedMeshes, SkullIsOnePieceWithNormalsPointingOut) {
    const MeshData& mesh = Skull();
    std::vector<int> parent(mesh.positions.size());
    std::iota(parent.begin(), parent.end(), 0);
    auto find = [&](int a) {
        while (parent[a] != a) a = parent[a] = parent[parent[a]];
        return a;
    };
    for (const vtl::TMeshTriangle& t : mesh.triangles) {
        parent[find(t.V1)] = find(t.V0);
        parent[find(t.V2)] = find(t.V0);
    }
    int pieces = 0;
    for (size_t i = 0; i < parent.size(); ++i) pieces += find(static_cast<int>(i)) == static_cast<int>(i) ? 1 : 0;
    EXPECT_EQ(pieces, 1);
    // Smooth normals agree with the faces they shade.
    int against = 0;
    for (const vtl::TMeshTriangle& t : mesh.triangles) {
        const D3DVECTOR& a = mesh.positions[t.V0];
        const D3DVECTOR face =
            vtl::VecCross(vtl::VecSubtract(mesh.positions[t.V1], a), vtl::VecSubtract(mesh.positions[t.V2], a));
        for (std::int32_t n : {t.N0, t.N1, t.N2})
            if (vtl::VecDot(face, mesh.normals[n]) < 0) ++against;
    }
    EXPECT_LT(against, static_cast<int>(mesh.triangles.size()) / 100);
}

struct Screen {
    float x, y, z;
};

// Where the scene's camera (as the generator's renderer sets it, which the scene's own
// tests hold to the saver's) puts a model point on a 640 x 480 screen (y down).
Screen Project(const D3DVECTOR& p, const D3DMATRIX& world) {
    static const vtl::Raster camera(640, 480);
    const D3DVECTOR v = Apply(Apply(p, world), camera.View());
    const D3DVECTOR c = Apply(v, camera.Projection());
    const float w = v.z;
    return {(c.x / w + 1) * 320, (1 - c.y / w) * 240, c.z / w};
}

// At several turns, the nearest triangle under the middle of the face is clockwise
// on the screen, so the device draws it instead of culling it.
TEST(GeneratedMeshes, NearestSkullFaceIsClockwiseOnScreen) {
    for (float angle : {-90.0f, -60.0f, 0.0f, 135.0f}) {
        const D3DMATRIX world = vtl::SkullWorld(angle);
        const Screen probe{320, 240, 0};
        float nearest = 2;
        float area = 0;
        for (const vtl::TMeshTriangle& t : Skull().triangles) {
            const Screen a = Project(Skull().positions[t.V0], world), b = Project(Skull().positions[t.V1], world),
                         c = Project(Skull().positions[t.V2], world);
            const float s = (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
            if (s == 0) continue;
            const float w0 = ((b.x - probe.x) * (c.y - probe.y) - (c.x - probe.x) * (b.y - probe.y)) / s;
            const float w1 = ((c.x - probe.x) * (a.y - probe.y) - (a.x - probe.x) * (c.y - probe.y)) / s;
            const float w2 = 1 - w0 - w1;
            if (w0 < 0 || w1 < 0 || w2 < 0) continue;
            const float z = w0 * a.z + w1 * b.z + w2 * c.z;
            if (z < nearest) {
                nearest = z;
                area = s;
            }
        }
        EXPECT_LT(nearest, 1.0f) << angle;
        EXPECT_GT(area, 0.0f) << "turn " << angle << ": the nearest face is counter-clockwise";
    }
}

TEST(GeneratedMeshes, SkullFillsHalfTheScreenAndFacesTheViewerAtTheStartTurn) {
    const D3DMATRIX world = vtl::SkullWorld(-90.0f);
    float top = 1e9f, bottom = -1e9f, left = 1e9f, right = -1e9f;
    for (const D3DVECTOR& p : Skull().positions) {
        const Screen s = Project(p, world);
        top = std::min(top, s.y);
        bottom = std::max(bottom, s.y);
        left = std::min(left, s.x);
        right = std::max(right, s.x);
    }
    EXPECT_GT((bottom - top) / 480, 0.4f);
    EXPECT_LT((bottom - top) / 480, 0.75f);
    EXPECT_NEAR((left + right) / 2, 320, 20);  // turned face-on it is symmetric on screen
    EXPECT_NEAR((top + bottom) / 2, 240, 60);
    // The face looks along model +X; at the start turn that is toward the camera.
    const D3DVECTOR face = vtl::VecNormalize(Apply({1, 0, 0}, world));
    EXPECT_GT(face.z, 0.95f);
}

// Crossings of a ray from p along +x with the skull mesh: odd means inside.
bool InsideSkullMesh(const D3DVECTOR& p) {
    int crossings = 0;
    const auto& pos = Skull().positions;
    for (const vtl::TMeshTriangle& t : Skull().triangles) {
        const D3DVECTOR& a = pos[t.V0];
        const D3DVECTOR& b = pos[t.V1];
        const D3DVECTOR& c = pos[t.V2];
        if ((a.x < p.x && b.x < p.x && c.x < p.x)) continue;
        // Project on the y-z plane and test whether (p.y, p.z) lies in the triangle.
        const double d1 = (b.y - a.y) * (p.z - a.z) - (b.z - a.z) * (p.y - a.y);
        const double d2 = (c.y - b.y) * (p.z - b.z) - (c.z - b.z) * (p.y - b.y);
        const double d3 = (a.y - c.y) * (p.z - c.z) - (a.z - c.z) * (p.y - c.y);
        if (!((d1 > 0 && d2 > 0 && d3 > 0) || (d1 < 0 && d2 < 0 && d3 < 0))) continue;
        const D3DVECTOR n = vtl::VecCross(vtl::VecSubtract(b, a), vtl::VecSubtract(c, a));
        if (n.x == 0) continue;
        const double x = a.x - (n.y * (p.y - a.y) + n.z * (p.z - a.z)) / n.x;
        if (x > p.x) ++crossings;
    }
    return crossings % 2 == 1;
}

// The glasses, placed by the scene's own transforms at several turns, stay out of
// the bone, and yet sit on the face: the bridge close over the nose.
TEST(GeneratedMeshes, GlassesSitOnTheFaceOutsideTheBone) {
    ASSERT_FALSE(InsideSkullMesh({0.5f, 0, 0}));
    ASSERT_TRUE(InsideSkullMesh({0, 0, 0.15f}));
    for (float angle : {-90.0f, 17.0f}) {
        const D3DMATRIX skull = vtl::SkullWorld(angle), glasses = vtl::GlassesWorld(angle);
        double nearest = 1e9;
        int inside = 0;
        const auto& pos = Glasses().positions;
        for (size_t i = 0; i < pos.size(); ++i) {
            const D3DVECTOR model = ApplyInverseRotation(Apply(pos[i], glasses), skull);
            const double d = vtl::SkullField({model.x, model.y, model.z});
            nearest = std::min(nearest, d);
            if (i % 7 == 0 && InsideSkullMesh(model)) ++inside;
        }
        EXPECT_EQ(inside, 0) << angle;
        EXPECT_GT(nearest, 0.05) << angle << ": glasses touch the bone (cm)";
        EXPECT_LT(nearest, 1.0) << angle << ": glasses float off the face (cm)";
    }
}

TEST(GeneratedPreview, IsA152By112PaletteBitmapShowingTheSkull) {
    std::ifstream in(std::string(VTL_ASSETS_DIR) + "/preview.bmp", std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t o) { return static_cast<unsigned>(b[o] | (b[o + 1] << 8)); };
    auto u32 = [&](size_t o) { return static_cast<std::uint32_t>(u16(o) | (u16(o + 2) << 16)); };
    ASSERT_EQ(b.size(), 14u + 40 + 1024 + 152 * 112);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(2), b.size());
    EXPECT_EQ(u32(10), 14u + 40 + 1024);
    EXPECT_EQ(u32(18), 152u);
    EXPECT_EQ(u32(22), 112u);  // bottom-up rows
    EXPECT_EQ(u16(28), 8u);
    EXPECT_EQ(u32(30), 0u);  // BI_RGB
    // The bone is the brightest thing in the night scene: the middle row, where the
    // skull is, holds far brighter pixels than the picture's left edge.
    auto brightness = [&](int x, int y) {
        const std::uint8_t index = b[14 + 40 + 1024 + static_cast<size_t>(111 - y) * 152 + x];
        const size_t pal = 14 + 40 + 4 * static_cast<size_t>(index);
        return b[pal] + b[pal + 1] + b[pal + 2];
    };
    int middle = 0, edge = 0;
    for (int y = 30; y < 80; ++y) {
        for (int x = 60; x < 92; ++x) middle = std::max(middle, brightness(x, y));
        for (int x = 0; x < 8; ++x) edge = std::max(edge, brightness(x, y));
    }
    EXPECT_GT(middle, 400);
    EXPECT_GT(middle, edge + 100);
}

}  // namespace

#endif
