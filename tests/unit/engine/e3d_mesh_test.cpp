#include "engine/voxamesh.h"

#include "e3d_fixture.h"

namespace vtl {
namespace {

using testing::RendererTest;
using testing::Vertices;
using Texts = std::vector<std::string>;

constexpr D3DCOLOR kColor = 0x00404080u;

class MeshTest : public RendererTest {
protected:
    // Two triangles over four positions, two normals and three texture coordinates.
    MeshData Sample(bool withTexCoords = true) const {
        MeshData m;
        m.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0.5f}};
        m.normals = {{0, 0, -2}, {0, 1, 0}};
        if (withTexCoords) m.texCoords = {{0.1f, 0.25f}, {0.9f, 0.0f}, {0.5f, 1.0f}};
        m.triangles = {{0, 1, 2, 0, 0, 1, 0, 1, 2}, {3, 2, 1, 1, 0, 0, 2, 2, 0}};
        return m;
    }
    std::string Save(const MeshData& m, const std::string& name = "m.msh") {
        EXPECT_TRUE(SaveMeshFile(Path(name), m));
        return Path(name);
    }
};

void ExpectVertex(const TBufferVertex& v, const D3DVECTOR& p, const D3DVECTOR& n, float u, float tv) {
    EXPECT_EQ(v.x, p.x);
    EXPECT_EQ(v.y, p.y);
    EXPECT_EQ(v.z, p.z);
    EXPECT_EQ(v.nx, n.x);
    EXPECT_EQ(v.ny, n.y);
    EXPECT_EQ(v.nz, n.z);
    EXPECT_EQ(v.Color, kColor);
    EXPECT_FLOAT_EQ(v.u, u);
    EXPECT_FLOAT_EQ(v.v, tv);
}

TEST_F(MeshTest, ExpandsTrianglesCornerByCorner) {
    const MeshData m = Sample();
    auto mesh = CreateMeshInfo(Save(m), R(), false, kColor);
    ASSERT_TRUE(mesh);
    EXPECT_FALSE(mesh->TwoSided);
    EXPECT_EQ(mesh->TriangleCount, 2);
    EXPECT_FALSE(mesh->BackBuffer);
    ASSERT_EQ(device->Buffers().size(), 1u);
    const auto v = Vertices(*device->Buffers()[0]);
    ASSERT_EQ(v.size(), 6u);
    // v counts down from the top on the device: 0.25 in the file becomes 0.75.
    ExpectVertex(v[0], m.positions[0], m.normals[0], 0.1f, 0.75f);
    ExpectVertex(v[1], m.positions[1], m.normals[0], 0.9f, 1.0f);
    ExpectVertex(v[2], m.positions[2], m.normals[1], 0.5f, 0.0f);
    ExpectVertex(v[3], m.positions[3], m.normals[1], 0.5f, 0.0f);
    ExpectVertex(v[4], m.positions[2], m.normals[0], 0.5f, 0.0f);
    ExpectVertex(v[5], m.positions[1], m.normals[0], 0.1f, 0.75f);
    EXPECT_EQ(log().Texts(), (Texts{"CreateVertexBuffer(216,0,338,0)", "Lock(1,0,216,0)", "Unlock(1)"}));
}

TEST_F(MeshTest, WithoutTexCoordsEveryCornerTakesTheTopLeft) {
    // Texture indices are ignored then, even out of range ones.
    MeshData m = Sample(false);
    m.triangles[1].T0 = 99;
    auto mesh = CreateMeshInfo(Save(m), R(), false, kColor);
    ASSERT_TRUE(mesh);
    for (const TBufferVertex& v : Vertices(*device->Buffers()[0])) {
        EXPECT_EQ(v.u, 0.0f);
        EXPECT_EQ(v.v, 1.0f);
    }
}

TEST_F(MeshTest, TwoSidedBackBufferNegatesNormalsOnly) {
    auto mesh = CreateMeshInfo(Save(Sample()), R(), true, kColor);
    ASSERT_TRUE(mesh);
    EXPECT_TRUE(mesh->TwoSided);
    ASSERT_EQ(device->Buffers().size(), 2u);
    EXPECT_EQ(mesh->FrontBuffer, device->Buffers()[0]);
    EXPECT_EQ(mesh->BackBuffer, device->Buffers()[1]);
    const auto front = Vertices(*device->Buffers()[0]), back = Vertices(*device->Buffers()[1]);
    ASSERT_EQ(front.size(), back.size());
    for (std::size_t i = 0; i < front.size(); ++i) {
        TBufferVertex flipped = back[i];
        flipped.nx = -flipped.nx;
        flipped.ny = -flipped.ny;
        flipped.nz = -flipped.nz;
        EXPECT_EQ(std::memcmp(&flipped, &front[i], sizeof flipped), 0) << i;
    }
    EXPECT_EQ(log().Texts(), (Texts{"CreateVertexBuffer(216,0,338,0)", "Lock(1,0,216,0)",
                                    "CreateVertexBuffer(216,0,338,0)", "Lock(2,0,216,0)", "Unlock(1)", "Unlock(2)"}));
    for (const auto& b : device->Buffers()) EXPECT_FALSE(b->Locked());
}

TEST_F(MeshTest, UnusableFilesAndMissingRendererGiveNoMesh) {
    EXPECT_FALSE(CreateMeshInfo(Path("missing.msh"), R(), true, kColor));
    EXPECT_FALSE(CreateMeshInfo(WriteFile("bad.msh", "voxamesh-not-a-mesh-file-header!!"), R(), true, kColor));
    EXPECT_FALSE(CreateMeshInfo(Save(Sample()), nullptr, true, kColor));
    EXPECT_EQ(log().Count("CreateVertexBuffer"), 0u);
}

TEST_F(MeshTest, IndicesOutsideTheirPoolsAreRejected) {
    struct Case {
        const char* what;
        void (*spoil)(TMeshTriangle&);
    };
    const Case cases[] = {
        {"position past the pool", [](TMeshTriangle& t) { t.V2 = 4; }},
        {"negative position", [](TMeshTriangle& t) { t.V0 = -1; }},
        {"normal past the pool", [](TMeshTriangle& t) { t.N1 = 2; }},
        {"negative normal", [](TMeshTriangle& t) { t.N2 = -7; }},
        {"texture coordinate past the pool", [](TMeshTriangle& t) { t.T1 = 3; }},
        {"negative texture coordinate", [](TMeshTriangle& t) { t.T0 = -1; }},
    };
    for (const Case& c : cases) {
        MeshData m = Sample();
        c.spoil(m.triangles[1]);
        EXPECT_FALSE(CreateMeshInfo(Save(m), R(), true, kColor)) << c.what;
    }
    EXPECT_EQ(log().Count("CreateVertexBuffer"), 0u);
}

TEST_F(MeshTest, MeshWithoutTrianglesIsRejected) {
    MeshData m = Sample();
    m.triangles.clear();
    EXPECT_FALSE(CreateMeshInfo(Save(m), R(), false, kColor));
    EXPECT_EQ(log().Count("CreateVertexBuffer"), 0u);
}

TEST_F(MeshTest, RefusedBuffersGiveNoMesh) {
    struct Case {
        const char* call;
        int skip;
        bool twoSided;
    };
    const Case cases[] = {
        {"CreateVertexBuffer", 0, false}, {"CreateVertexBuffer", 1, true}, {"Lock", 0, false}, {"Lock", 1, true}};
    const std::string file = Save(Sample());
    for (const Case& c : cases) {
        log().ClearFailures();
        log().FailCall(c.call, D3DERR_OUTOFVIDEOMEMORY, c.skip);
        EXPECT_FALSE(CreateMeshInfo(file, R(), c.twoSided, kColor)) << c.call << c.skip;
        log().FailCall(c.call, D3DERR_OUTOFVIDEOMEMORY, c.skip);
        EXPECT_FALSE(CreateQuadMesh(R(), c.twoSided, kColor, 1)) << c.call << c.skip;
    }
}

TEST_F(MeshTest, PictureQuad) {
    auto quad = CreateQuadMesh(R(), true, 0xFFFFFF, 1);
    ASSERT_TRUE(quad);
    EXPECT_EQ(quad->TriangleCount, 2);
    ASSERT_EQ(device->Buffers().size(), 2u);
    const auto front = Vertices(*device->Buffers()[0]), back = Vertices(*device->Buffers()[1]);
    const float want[6][4] = {{-2, 1.5f, 1, 0},  {2, 1.5f, 0, 0}, {-2, -1.5f, 1, 1},
                              {-2, -1.5f, 1, 1}, {2, 1.5f, 0, 0}, {2, -1.5f, 0, 1}};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(front[i].x, want[i][0]);
        EXPECT_EQ(front[i].y, want[i][1]);
        EXPECT_EQ(front[i].z, 0.0f);
        EXPECT_EQ(front[i].u, want[i][2]);
        EXPECT_EQ(front[i].v, want[i][3]);
        EXPECT_EQ(front[i].nz, -1.0f);
        EXPECT_EQ(back[i].nz, 1.0f);
        EXPECT_EQ(front[i].Color, 0xFFFFFFu);
    }
}

TEST_F(MeshTest, QuadOfOtherShapesOrWithoutRendererIsNothing) {
    EXPECT_FALSE(CreateQuadMesh(R(), true, 0, 2));
    EXPECT_FALSE(CreateQuadMesh(R(), true, 0, 0));
    EXPECT_FALSE(CreateQuadMesh(nullptr, true, 0, 1));
    EXPECT_TRUE(log().Calls().empty());
}

TEST_F(MeshTest, DrawMeshSetsStreamFormatAndCullPerSide) {
    auto one = CreateQuadMesh(R(), false, 0, 1);
    auto two = CreateQuadMesh(R(), true, 0, 1);
    log().Clear();
    EXPECT_EQ(DrawMesh(R(), one.get()), 0);
    EXPECT_EQ(log().Texts(), (Texts{"SetStreamSource(0,1,36)", "SetVertexShader(338)", "SetRenderState(22,3)",
                                    "DrawPrimitive(4,0,2)"}));
    log().Clear();
    EXPECT_EQ(DrawMesh(R(), two.get()), 0);
    EXPECT_EQ(log().Texts(), (Texts{"SetStreamSource(0,2,36)", "SetVertexShader(338)", "SetRenderState(22,3)",
                                    "DrawPrimitive(4,0,2)", "SetStreamSource(0,3,36)", "SetVertexShader(338)",
                                    "SetRenderState(22,2)", "DrawPrimitive(4,0,2)"}));
    EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), D3DCULL_CW);
}

TEST_F(MeshTest, DrawMeshWithoutRendererOrMesh) {
    auto quad = CreateQuadMesh(R(), false, 0, 1);
    log().Clear();
    EXPECT_EQ(DrawMesh(nullptr, nullptr), kErrDrawNoRenderer);
    EXPECT_EQ(DrawMesh(nullptr, quad.get()), kErrDrawNoRenderer);
    EXPECT_EQ(DrawMesh(R(), nullptr), kErrDrawNoMesh);
    EXPECT_TRUE(log().Calls().empty());
}

TEST_F(MeshTest, TextureInfoLoadsWithTheDefaults) {
    const std::string file = WriteFile("bg.jpg");
    auto tex = CreateTextureInfo(file, R());
    ASSERT_TRUE(tex);
    ASSERT_EQ(loader->loads.size(), 1u);
    EXPECT_EQ(loader->loads[0].file, file);
    EXPECT_FALSE(loader->loads[0].keyed);
    EXPECT_EQ(static_cast<RecordingTexture&>(*tex->Texture).Source(), file);

    loader->result = D3DERR_INVALIDCALL;
    EXPECT_FALSE(CreateTextureInfo(file, R()));
    loader->result = 1;  // any non-negative result is success
    EXPECT_TRUE(CreateTextureInfo(file, R()));
    EXPECT_FALSE(CreateTextureInfo(Path("missing.jpg"), R()));
    EXPECT_FALSE(CreateTextureInfo(file, nullptr));
    EXPECT_EQ(loader->loads.size(), 3u);
}

TEST_F(MeshTest, ALoaderThatSaysSuccessWithoutATextureHasFailed) {
    const std::string file = WriteFile("bg.jpg");
    loader->giveNoTexture = true;
    for (HResult result : {0, 1}) {
        loader->result = result;
        EXPECT_FALSE(CreateTextureInfo(file, R())) << result;
        std::shared_ptr<IRenderTexture> texture;
        EXPECT_LT(LoadTextureFromFileEx(R()->Device.get(), file, 0xFF000000u, texture), 0) << result;
        EXPECT_FALSE(texture);
    }
}

TEST_F(MeshTest, PlainTextureStage) {
    auto tex = CreateTextureInfo(WriteFile("bg.jpg"), R());
    ASSERT_TRUE(tex);
    const std::uint32_t id = static_cast<RecordingTexture&>(*tex->Texture).Id();
    EXPECT_EQ(ApplyTexture(R(), tex.get()), 0);
    EXPECT_EQ(log().Texts(), (Texts{"SetTextureStageState(0,1,4)", "SetTextureStageState(0,16,2)",
                                    "SetTextureStageState(0,17,2)", "SetTexture(0," + std::to_string(id) + ")"}));
    // A missing record leaves the stage as it is.
    log().Clear();
    EXPECT_EQ(ApplyTexture(R(), nullptr), 0);
    EXPECT_EQ(RemoveTexture(R(), nullptr), 0);
    EXPECT_EQ(ApplyTexture(nullptr, tex.get()), 0);
    EXPECT_TRUE(log().Calls().empty());
    EXPECT_EQ(device->TextureId(0), id);
    EXPECT_EQ(RemoveTexture(R(), tex.get()), 0);
    EXPECT_EQ(log().Texts(), Texts{"SetTexture(0,0)"});
}

TEST_F(MeshTest, ReflectionStageAndItsUndo) {
    auto tex = CreateTextureInfo(WriteFile("env.jpg"), R());
    ASSERT_TRUE(tex);
    const std::string id = std::to_string(static_cast<RecordingTexture&>(*tex->Texture).Id());
    D3DMATRIX before = MakeScaleMatrix(2, 3, 4);
    device->SetTransform(D3DTS_TEXTURE0, before);
    log().Clear();

    EXPECT_EQ(BeginReflection(R(), tex.get()), 0);
    EXPECT_EQ(log().Texts(),
              (Texts{"GetTransform(16)", "SetTransform(16)", "SetTextureStageState(0,24,2)",
                     "SetTextureStageState(0,11,65536)", "SetTextureStageState(0,1,4)", "SetTextureStageState(0,16,2)",
                     "SetTextureStageState(0,17,2)", "SetTexture(0," + id + ")"}));
    const D3DMATRIX& map = device->Transform(D3DTS_TEXTURE0);
    const float want[16] = {0.5f, 0, 0, 0, 0, -0.5f, 0, 0, 0, 0, 1, 0, 0.5f, 0.5f, 0, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(map.m[i / 4][i % 4], want[i]) << i;

    log().Clear();
    EXPECT_EQ(EndReflection(R(), tex.get()), 0);
    EXPECT_EQ(log().Texts(), (Texts{"SetTransform(16)", "SetTextureStageState(0,11,0)", "SetTexture(0,0)"}));
    EXPECT_EQ(std::memcmp(&device->Transform(D3DTS_TEXTURE0), &before, sizeof before), 0);
    EXPECT_EQ(device->TextureId(0), 0u);

    log().Clear();
    EXPECT_EQ(BeginReflection(nullptr, tex.get()), 0);
    EXPECT_EQ(EndReflection(R(), nullptr), 0);
    EXPECT_TRUE(log().Calls().empty());
}

}  // namespace
}  // namespace vtl
