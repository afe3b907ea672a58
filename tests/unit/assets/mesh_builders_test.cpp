// The modelling kit behind the generated meshes and the preview picture: the
// surface extraction, the mesh reducer, the welding into file pools, the software
// renderer's culling and light, and the palette bitmap writer. Native builds only,
// where the generator's code is linked in.
#if !defined(_WIN32) && defined(VTL_ASSETS_DIR)

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "engine/e3dmath.h"
#include "genmesh.h"
#include "image.h"
#include "meshes.h"
#include "polygonise.h"
#include "raster.h"
#include "sdf.h"
#include "simplify.h"

namespace {

using vtl::D3DVECTOR;
using vtl::sdf::GenMesh;
using vtl::sdf::Vec3;

double SphereField(Vec3 p) { return vtl::sdf::Sphere(p, {0.1, -0.05, 0.02}, 0.8); }

int OpenEdges(const GenMesh& m) {
    std::map<std::pair<int, int>, int> edges;
    for (const auto& t : m.triangles)
        for (int k = 0; k < 3; ++k) ++edges[{t[k], t[(k + 1) % 3]}];
    int bad = 0;
    for (const auto& [e, count] : edges) {
        const auto back = edges.find({e.second, e.first});
        if (count != 1 || back == edges.end() || back->second != 1) ++bad;
    }
    return bad;
}

double Volume(const GenMesh& m) {
    double v = 0;
    for (const auto& t : m.triangles)
        v += vtl::sdf::Dot(m.positions[t[0]], vtl::sdf::Cross(m.positions[t[1]], m.positions[t[2]])) / 6;
    return v;
}

GenMesh Sphere(int cells) { return vtl::sdf::Polygonise(SphereField, {-1, -1, -1}, {1, 1, 1}, cells, cells, cells); }

TEST(MeshKit, ExtractedSurfaceIsClosedOutwardAndOnTheField) {
    for (int cells : {7, 16, 31}) {  // odd counts put grid points off the centre planes too
        const GenMesh m = Sphere(cells);
        ASSERT_FALSE(m.triangles.empty()) << cells;
        EXPECT_EQ(OpenEdges(m), 0) << cells;
        const double exact = 4.0 / 3.0 * 3.14159265358979 * 0.8 * 0.8 * 0.8;
        EXPECT_NEAR(Volume(m), exact, exact * (cells < 10 ? 0.1 : 0.03)) << cells;
        for (size_t i = 0; i < m.positions.size(); ++i) {
            ASSERT_NEAR(SphereField(m.positions[i]), 0.0, 0.02 * 2.0 / cells) << cells;
            // The gradient normal of a sphere points away from its centre.
            const Vec3 radial = vtl::sdf::Normalized(m.positions[i] - Vec3{0.1, -0.05, 0.02});
            ASSERT_GT(vtl::sdf::Dot(radial, m.normals[i]), 0.999) << cells;
        }
    }
}

TEST(MeshKit, ReducerReachesItsTargetAndKeepsTheSurfaceClosedAndWhole) {
    GenMesh m = Sphere(40);
    const double before = Volume(m);
    const size_t start = m.triangles.size();
    vtl::sdf::Simplify(m, SphereField, static_cast<int>(start / 4), 1e-3);
    EXPECT_LE(m.triangles.size(), start / 4);
    EXPECT_GT(m.triangles.size(), start / 5);
    EXPECT_EQ(OpenEdges(m), 0);
    EXPECT_NEAR(Volume(m), before, before * 0.03);
    EXPECT_EQ(m.positions.size(), m.normals.size());
    // No face turned over: each agrees with the outward normals at its corners.
    for (const auto& t : m.triangles) {
        const Vec3 face = vtl::sdf::Cross(m.positions[t[1]] - m.positions[t[0]], m.positions[t[2]] - m.positions[t[0]]);
        ASSERT_GT(vtl::sdf::Dot(face, m.normals[t[0]]), 0);
    }
}

// The reducer spends what it keeps where the surface bends: a small knob on a
// large ball keeps far more than its share of the area, the ball's plain stays
// close to the field, and neither knob nor ball comes out flattened.
TEST(MeshKit, ReducerKeepsTrianglesWhereTheSurfaceBends) {
    const Vec3 knob{0.0, 0.0, 0.78};
    auto field = [knob](Vec3 p) {
        return vtl::sdf::SmoothUnion(vtl::sdf::Sphere(p, {0, 0, 0}, 0.7), vtl::sdf::Sphere(p, knob, 0.12), 0.05);
    };
    GenMesh m = vtl::sdf::Polygonise(field, {-1, -1, -1}, {1, 1, 1}, 48, 48, 48);
    vtl::sdf::Simplify(m, field, static_cast<int>(m.triangles.size() / 10), 1e-3);
    EXPECT_EQ(OpenEdges(m), 0);
    double knobArea = 0, allArea = 0, worst = 0, top = -1;
    int knobTriangles = 0;
    for (const auto& t : m.triangles) {
        const Vec3 a = m.positions[t[0]], b = m.positions[t[1]], c = m.positions[t[2]];
        const double area = vtl::sdf::Length(vtl::sdf::Cross(b - a, c - a)) / 2;
        const Vec3 centre = (a + b + c) * (1.0 / 3);
        allArea += area;
        if (vtl::sdf::Length(centre - knob) < 0.2) {
            knobArea += area;
            ++knobTriangles;
        }
        worst = std::max(worst, std::fabs(field(centre)));
        for (const Vec3& p : {a, b, c}) top = std::max(top, p.z);
    }
    const double triangleShare = static_cast<double>(knobTriangles) / m.triangles.size();
    EXPECT_GT(triangleShare, 3 * knobArea / allArea);
    EXPECT_LT(worst, 0.02);        // a twentieth of the knob's height, at worst
    EXPECT_NEAR(top, 0.90, 0.01);  // the knob's top is still there
}

TEST(MeshKit, LargestPieceIsKeptAndSpecksDropped) {
    auto twoBalls = [](Vec3 p) {
        return std::min(vtl::sdf::Sphere(p, {-0.4, 0, 0}, 0.5), vtl::sdf::Sphere(p, {0.7, 0, 0}, 0.15));
    };
    GenMesh m = vtl::sdf::Polygonise(twoBalls, {-1, -1, -1}, {1, 1, 1}, 30, 30, 30);
    vtl::sdf::KeepLargestPiece(m);
    for (const auto& t : m.triangles)
        for (int v : t) ASSERT_LT(m.positions[v].x, 0.3);
    EXPECT_EQ(OpenEdges(m), 0);
}

TEST(MeshKit, WeldingSharesPositionsWhoseNormalsDiffer) {
    GenMesh m;
    // Two triangles meeting along an edge, each corner with its own flat normal.
    m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 1}};
    m.normals = {{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {1, 0, 0}, {1, 0, 0}, {1, 0, 0}};
    m.uvs = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}};
    m.triangles = {{0, 1, 2}, {3, 5, 4}};
    const vtl::MeshData d = vtl::ToMeshData(m);
    ASSERT_EQ(d.triangles.size(), 2u);
    EXPECT_EQ(d.positions.size(), 4u);
    EXPECT_EQ(d.normals.size(), 2u);
    EXPECT_EQ(d.texCoords.size(), 4u);
    EXPECT_EQ(d.triangles[1].V0, d.triangles[0].V1);
    EXPECT_EQ(d.triangles[1].V2, d.triangles[0].V2);
    EXPECT_NE(d.triangles[1].N0, d.triangles[0].N0);
}

// One triangle in front of the camera, given in either winding: the front pass
// draws it only when it is clockwise on the screen, the back pass (negated normals)
// only when it is not; its brightness is the light's 0.75 times the facing share.
TEST(MeshKit, RendererCullsLikeTheDeviceAndLightsFromTheViewer) {
    struct Case {
        bool clockwise;
        bool twoSided;
        D3DVECTOR normal;
        int expected;  // red at the centre pixel, 0 = not drawn
    };
    const Case cases[] = {
        {true, false, {0, 0, 1}, 191},       {false, false, {0, 0, 1}, 0}, {false, true, {0, 0, -1}, 191},
        {true, false, {0, 0.6f, 0.8f}, 153}, {true, false, {0, 0, -1}, 0},
    };
    for (const Case& c : cases) {
        vtl::MeshData mesh;
        // World +x is on the viewer's left: (-0.3, -0.2) -> (0.3, -0.2) -> (0, 0.3) runs
        // from the lower right to the lower left and up, which is clockwise on the screen.
        mesh.positions = {{-0.3f, -0.2f, 0}, {0.3f, -0.2f, 0}, {0, 0.3f, 0}};
        mesh.normals = {c.normal};
        mesh.triangles = {c.clockwise ? vtl::TMeshTriangle{0, 1, 2, 0, 0, 0, 0, 0, 0}
                                      : vtl::TMeshTriangle{0, 2, 1, 0, 0, 0, 0, 0, 0}};
        vtl::Raster r(64, 48);
        const float white[3] = {1, 1, 1};
        r.DrawMesh(mesh, white, vtl::Raster::TexMode::kNone, nullptr, c.twoSided);
        const std::uint8_t red = r.Image().rgb[(24 * 64 + 32) * 3];
        EXPECT_NEAR(red, c.expected, 1) << c.clockwise << c.twoSided;
    }
}

TEST(MeshKit, PaletteBitmapKeepsAPictureOfFewColoursExactly) {
    vtl::RgbImage image;
    image.width = 13;  // odd: rows carry padding
    image.height = 5;
    for (int i = 0; i < image.width * image.height; ++i) {
        const int c = (i * 7) % 40;  // 40 distinct colours
        image.rgb.insert(image.rgb.end(), {static_cast<std::uint8_t>(c * 6), static_cast<std::uint8_t>(255 - c),
                                           static_cast<std::uint8_t>(c * c % 256)});
    }
    const std::string path = (std::filesystem::temp_directory_path() / "vtl_mesh_builders_test.bmp").string();
    vtl::WriteBmp8(path, image);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    std::remove(path.c_str());
    const size_t stride = 16, pixels = 14 + 40 + 1024;
    ASSERT_EQ(b.size(), pixels + stride * 5);
    std::vector<std::uint8_t> decoded;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const size_t entry = 14 + 40 + 4 * static_cast<size_t>(b[pixels + (image.height - 1 - y) * stride + x]);
            decoded.insert(decoded.end(), {b[entry + 2], b[entry + 1], b[entry]});
        }
    EXPECT_EQ(decoded, image.rgb);
}

}  // namespace

#endif
