// The engine through the OpenGL device: what the light, culling, depth test,
// reflection mapping and number font put on screen. The scenes, expected colours and
// tolerance are those the Direct3D device is held to under Wine: 4 steps per channel
// for lit and filtered colours (rasteriser rounding).
#include <sys/stat.h>

#include <cmath>

#include "gl_pixel_harness.h"
#include "platform/fake_registry.h"
#include "scene/scene.h"
#include "settings/settingsstore.h"
#include "win32/engine/quadrant_jpeg.h"

namespace vtl {
namespace {

using gltest::Corner;
using gltest::Near;
using gltest::Rgb;
using gltest::WriteBmp;
using gltest::WriteMesh;
using GlEnginePixels = gltest::GlEnginePixelTest;

constexpr int kTol = 4;
constexpr int kLit = 191;  // 0.75 of 255: the renderer's one light, head on

D3DVECTOR Add(const D3DVECTOR& a, const D3DVECTOR& b) { return MakeVector(a.x + b.x, a.y + b.y, a.z + b.z); }

// A cube of half-size 1 around the origin, outward normals, each face's corners
// clockwise as seen from outside (the front side).
std::vector<Corner> Cube() {
    const D3DVECTOR normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    std::vector<Corner> corners;
    for (const D3DVECTOR& n : normals) {
        const D3DVECTOR a = std::fabs(n.x) > 0.5f ? MakeVector(0, 1, 0) : MakeVector(1, 0, 0);
        const D3DVECTOR b = VecCross(n, a);  // a x b = n
        auto at = [&](float s, float t) { return Add(n, Add(VecScale(a, s), VecScale(b, t))); };
        const D3DVECTOR p00 = at(-1, -1), p10 = at(1, -1), p11 = at(1, 1), p01 = at(-1, 1);
        for (const D3DVECTOR& p : {p00, p10, p11, p00, p11, p01}) corners.push_back({p, n});
    }
    return corners;
}

// A sphere of the given radius around the origin, normals outward.
std::vector<Corner> Sphere(float radius, int rings, int segments) {
    const float pi = 3.14159265f;
    auto point = [&](int i, int j) {
        const float theta = pi * float(i) / float(rings), phi = 2 * pi * float(j) / float(segments);
        return MakeVector(std::sin(theta) * std::cos(phi), std::cos(theta), std::sin(theta) * std::sin(phi));
    };
    std::vector<Corner> corners;
    for (int i = 0; i < rings; ++i) {
        for (int j = 0; j < segments; ++j) {
            const D3DVECTOR q[4] = {point(i, j), point(i + 1, j), point(i + 1, j + 1), point(i, j + 1)};
            static const int kTriangles[2][3] = {{0, 1, 2}, {0, 2, 3}};
            for (const auto& tri : kTriangles) {
                D3DVECTOR v[3] = {q[tri[0]], q[tri[1]], q[tri[2]]};
                // Clockwise seen from outside: the corner cross product points outward.
                const D3DVECTOR c = VecCross(VecSubtract(v[1], v[0]), VecSubtract(v[2], v[0]));
                if (VecDot(c, Add(Add(v[0], v[1]), v[2])) < 0) std::swap(v[1], v[2]);
                for (const D3DVECTOR& n : v) corners.push_back({VecScale(n, radius), n});
            }
        }
    }
    return corners;
}

TEST_F(GlEnginePixels, WhiteQuadFacingTheLightShowsThreeQuartersGrey) {
    auto quad = CreateQuadMesh(R(), true, 0xFFFFFF, 1);
    ASSERT_TRUE(quad);
    StartFrame();
    SetWorldTranslation(R(), 0, 0, -1.24f);
    EXPECT_EQ(DrawMesh(R(), quad.get()), 0);
    FinishFrame();
    EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2), Rgb{kLit, kLit, kLit}, kTol));
    // The quad fills the view from this distance: corners too.
    EXPECT_TRUE(Near(Pixel(3, 3), Rgb{kLit, kLit, kLit}, kTol));
    EXPECT_TRUE(Near(Pixel(kWidth - 4, kHeight - 4), Rgb{kLit, kLit, kLit}, kTol));
}

TEST_F(GlEnginePixels, TwoSidedMeshSeenFromInsideShowsItsBackBuffer) {
    WriteMesh(Path("cube.msh"), Cube());
    auto twoSided = CreateMeshInfo(Path("cube.msh"), R(), true, 0x00FF00);
    auto oneSided = CreateMeshInfo(Path("cube.msh"), R(), false, 0x00FF00);
    ASSERT_TRUE(twoSided);
    ASSERT_TRUE(oneSided);
    for (TMeshInfo* mesh : {twoSided.get(), oneSided.get()}) {
        StartFrame(0x000000FF);
        ResetWorld(R());
        ScaleWorld(R(), 3, 3, 3);  // the camera at z = 1.44 is inside
        DrawMesh(R(), mesh);
        FinishFrame();
        // The far wall, lit from inside through the reversed normals; without a
        // back buffer every inner face is culled and the clear colour shows.
        const Rgb want = mesh->TwoSided ? Rgb{0, kLit, 0} : Rgb{0, 0, 255};
        EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2), want, kTol)) << "two-sided " << mesh->TwoSided;
    }
}

TEST_F(GlEnginePixels, DepthTestKeepsTheNearerQuadWhateverTheOrder) {
    auto red = CreateQuadMesh(R(), true, 0xFF0000, 1);
    auto green = CreateQuadMesh(R(), true, 0x00FF00, 1);
    ASSERT_TRUE(red && green);
    for (bool nearFirst : {true, false}) {
        StartFrame();
        for (int i = 0; i < 2; ++i) {
            const bool drawNear = (i == 0) == nearFirst;
            SetWorldTranslation(R(), drawNear ? 0.3f : -0.3f, 0, drawNear ? -0.5f : -1.0f);
            DrawMesh(R(), drawNear ? red.get() : green.get());
        }
        FinishFrame();
        EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2), Rgb{kLit, 0, 0}, kTol)) << "near first " << nearFirst;
    }
}

TEST_F(GlEnginePixels, ReflectionMapsTheFacingNormalToThePictureCentre) {
    // Blue picture with a red middle half: the normal facing the viewer samples (0.5, 0.5).
    const int size = 64;
    std::vector<std::uint32_t> picture(size * size, 0xFF0000FFu);
    for (int y = size / 4; y < 3 * size / 4; ++y)
        for (int x = size / 4; x < 3 * size / 4; ++x) picture[std::size_t(y) * size + x] = 0xFFFF0000u;
    WriteBmp(Path("env.bmp"), size, size, picture);
    WriteMesh(Path("sphere.msh"), Sphere(0.5f, 24, 32));
    auto sphere = CreateMeshInfo(Path("sphere.msh"), R(), false, 0xFFFFFF);
    auto env = CreateTextureInfo(Path("env.bmp"), R());
    ASSERT_TRUE(sphere);
    ASSERT_TRUE(env);

    StartFrame();
    ResetWorld(R());
    BeginReflection(R(), env.get());
    DrawMesh(R(), sphere.get());
    EndReflection(R(), env.get());
    FinishFrame();
    EXPECT_TRUE(Near(Pixel(kWidth / 2, kHeight / 2), Rgb{kLit, 0, 0}, kTol));
    // Towards the rim the normal turns sideways and samples the blue border.
    int px = 0, py = 0;
    ScreenOf(0.47f, 0, 0.1f, px, py);
    const Rgb rim = gltest::ToRgb(Pixel(px, py));
    EXPECT_GT(rim.b, 20);
    EXPECT_LT(rim.r, rim.b);
}

TEST_F(GlEnginePixels, NumberFontLineReadsLeftToRightOverTheScene) {
    // 16 cells of 8 x 8 on black; the coloured middle of cells 0 to 3 is red, green,
    // blue, yellow, of the others white; a black border of 2 texels all round.
    const int cell = 8, width = 16 * cell;
    const std::uint32_t colours[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFF00u};
    std::vector<std::uint32_t> strip(std::size_t(width) * cell, 0xFF000000u);
    for (int g = 0; g < 16; ++g)
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x) strip[std::size_t(y) * width + g * cell + x] = g < 4 ? colours[g] : 0xFFFFFFFFu;
    WriteBmp(Path("numfont.bmp"), width, cell, strip);
    auto font = CreateNumFont(Path("numfont.bmp"), R());
    auto backdrop = CreateQuadMesh(R(), true, 0xFFFFFF, 1);
    auto behind = CreateQuadMesh(R(), true, 0x0000FF, 1);
    ASSERT_TRUE(font && backdrop && behind);

    const float size = 50.0f, s = 1.0f, x0 = 0.5f, y0 = -0.2f;
    StartFrame();
    SetWorldTranslation(R(), 0, 0, -0.5f);
    DrawMesh(R(), backdrop.get());
    DrawNumText(R(), font.get(), "0123", size, x0, y0, 0);
    // The depth test is back on: a quad behind the backdrop stays hidden.
    SetWorldTranslation(R(), 0, 0, -1.0f);
    DrawMesh(R(), behind.get());
    FinishFrame();

    const Rgb lit[4] = {{kLit, 0, 0}, {0, kLit, 0}, {0, 0, kLit}, {kLit, kLit, 0}};
    int previous = -1;
    for (int n = 1; n <= 4; ++n) {
        // Glyph n spans x from x0 - 0.28 n s to x0 - 0.28 n s + 0.24 s.
        const float left = x0 - 0.28f * float(n) * s;
        int px = 0, py = 0;
        ScreenOf(left + 0.12f * s, y0 + 0.2f * s, 0, px, py);
        EXPECT_TRUE(Near(Pixel(px, py), lit[n - 1], kTol)) << "glyph " << n;
        EXPECT_GT(px, previous) << "glyph " << n << " is right of the one before";
        previous = px;
        // The strip's black border is keyed out: the backdrop shows through.
        ScreenOf(left + 0.12f * s, y0 + 0.39f * s, 0, px, py);
        EXPECT_TRUE(Near(Pixel(px, py), Rgb{kLit, kLit, kLit}, kTol)) << "border of glyph " << n;
    }
    EXPECT_TRUE(Near(Pixel(kWidth / 2, 10), Rgb{kLit, kLit, kLit}, kTol));
}

TEST_F(GlEnginePixels, PictureQuadShowsItsTextureUprightAndUnmirrored) {
    // The quadrant picture: red top left, green top right, blue bottom left, white
    // bottom right. On the scene's two-sided quad the back side faces the camera and
    // must show it as it is, at the light's three quarters.
    gltest::WriteBytes(Path("quad.jpg"), vtl::testing::kQuadrantJpeg, sizeof vtl::testing::kQuadrantJpeg);
    auto picture = CreateTextureInfo(Path("quad.jpg"), R());
    auto quad = CreateQuadMesh(R(), true, 0xFFFFFF, 1);
    ASSERT_TRUE(picture && quad);
    StartFrame();
    SetWorldTranslation(R(), 0, 0, -1.24f);
    ApplyTexture(R(), picture.get());
    DrawMesh(R(), quad.get());
    RemoveTexture(R(), picture.get());
    FinishFrame();
    const int tol = kTol + 6;  // and the JPEG codec's rounding
    EXPECT_TRUE(Near(Pixel(kWidth / 4, kHeight / 4), Rgb{kLit, 0, 0}, tol)) << "top left";
    EXPECT_TRUE(Near(Pixel(3 * kWidth / 4, kHeight / 4), Rgb{0, kLit, 0}, tol)) << "top right";
    EXPECT_TRUE(Near(Pixel(kWidth / 4, 3 * kHeight / 4), Rgb{0, 0, kLit}, tol)) << "bottom left";
    EXPECT_TRUE(Near(Pixel(3 * kWidth / 4, 3 * kHeight / 4), Rgb{kLit, kLit, kLit}, tol)) << "bottom right";
}

// The whole scene's frame on the device, from assets written for the test: the
// quadrant picture as the background, a sphere as the skull with a red-centred
// reflection picture, and a number-font strip like the one above. A larger screen,
// so that the overlay's glyphs are some pixels wide.
class Clock : public IClock {
public:
    std::uint32_t now = 0;
    std::uint32_t TickCount() override { return now; }
};

class Folders : public IHostFolders {
public:
    std::string temp;
    std::string InstallFolder() override { return temp; }
    std::string TempFolder() override { return temp + "/"; }
};

TEST(GlSceneFrame, BackgroundSkullReflectionAndOverlayLandWhereTheSceneSaysTheyDo) {
    VTL_REQUIRE_GL();
    const int width = 640, height = 480;
    const std::string folder = gltest::MakeTempFolder();
    ASSERT_FALSE(folder.empty());
    const std::string assets = folder + "/assets";
    ASSERT_EQ(::mkdir(assets.c_str(), 0700), 0);
    const auto asset = [&](const std::string& name) { return assets + "/" + name; };
    gltest::WriteBytes(asset("qvbg512.jpg"), vtl::testing::kQuadrantJpeg, sizeof vtl::testing::kQuadrantJpeg);
    // The loader goes by the bytes, not the name, as the Windows one does.
    std::vector<std::uint32_t> env(64 * 64, 0xFF0000FFu);
    for (int y = 16; y < 48; ++y)
        for (int x = 16; x < 48; ++x) env[std::size_t(y) * 64 + x] = 0xFFFF0000u;
    WriteBmp(asset("envtex01.jpg"), 64, 64, env);
    WriteMesh(asset("qv_skull.msh"), Sphere(0.5f, 24, 32));
    WriteMesh(asset("glas_sp.msh"), Cube());
    std::vector<std::uint32_t> strip(128 * 8, 0xFF000000u);
    for (int g = 0; g < 16; ++g)
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x) strip[std::size_t(y) * 128 + g * 8 + x] = g == 0 ? 0xFF00FF00u : 0xFFFFFFFFu;
    WriteBmp(asset("numfont.bmp"), 128, 8, strip);

    FakeRegistry registry;
    const std::pair<const char*, int> settings[] = {{"ShowGlasses", 0}, {"ReflectionOnSkull", 1}, {"ShowFPS", 1},
                                                    {"ShowActivityTime", 1}, {"Speed", 0}};
    for (const auto& setting : settings) WriteSettingInt(registry, kSettingsKey, setting.first, setting.second);
    Folders folders;
    folders.temp = folder;
    Clock clock;
    std::vector<int> quits;
    SceneServices services;
    services.registry = &registry;
    services.folders = &folders;
    services.clock = &clock;
    services.requestQuit = [&](int code) { quits.push_back(code); };
    services.direct3DCreate = gl::MakeGlDirect3DCreate(std::make_shared<gltest::OffscreenSurface>(width, height));
    services.textureLoader = gl::CreateGlTextureLoader();
    services.unpack = [&](const std::string&) { return assets; };
    {
        Scene scene(services);
        scene.Setup(nullptr, width, height);
        EXPECT_TRUE(quits.empty());
        ASSERT_TRUE(scene.Renderer && scene.NumFont && scene.SkullReflection);
        clock.now = 2000;  // the overlay's texts are made once a second has passed
        scene.RenderFrame();
        ASSERT_FALSE(scene.FpsText.empty());
        ASSERT_EQ(scene.FpsText[0], '0');  // one frame in two seconds

        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(gl::ReadBackBuffer(*scene.Renderer->Device, pixels, w, h));
        ASSERT_EQ(w, width);
        const auto at = [&](int x, int y) { return pixels[std::size_t(y) * w + x] & 0xFFFFFFu; };
        const int tol = kTol + 6;  // and the JPEG codec's rounding
        EXPECT_TRUE(Near(at(width / 4, height / 4), Rgb{kLit, 0, 0}, tol)) << "background top left";
        EXPECT_TRUE(Near(at(3 * width / 4, height / 4), Rgb{0, kLit, 0}, tol)) << "background top right";
        EXPECT_TRUE(Near(at(width / 4, 3 * height / 4), Rgb{0, 0, kLit}, tol)) << "background bottom left";
        EXPECT_TRUE(Near(at(3 * width / 4, 3 * height / 4), Rgb{kLit, kLit, kLit}, tol)) << "background bottom right";
        EXPECT_TRUE(Near(at(width / 2, height / 2), Rgb{kLit, 0, 0}, kTol)) << "the skull's reflection";

        // The first glyph of the frame-rate line, "0", green from the strip's cell 0, over
        // the red of the background.
        D3DMATRIX view{}, projection{};
        scene.Renderer->Device->GetTransform(D3DTS_VIEW, view);
        scene.Renderer->Device->GetTransform(D3DTS_PROJECTION, projection);
        const D3DMATRIX m = MatrixMultiply(view, projection);
        const float s = 6.0f / 50.0f, gx = 0.98f - 0.28f * s + 0.12f * s, gy = 0.72f + 0.2f * s;
        const float cx = gx * m.m[0][0] + gy * m.m[1][0] + m.m[3][0];
        const float cy = gx * m.m[0][1] + gy * m.m[1][1] + m.m[3][1];
        const float cw = gx * m.m[0][3] + gy * m.m[1][3] + m.m[3][3];
        const int px = int((cx / cw + 1.0f) * 0.5f * float(width)), py = int((1.0f - cy / cw) * 0.5f * float(height));
        EXPECT_LT(px, width / 2) << "the line starts on the left of the screen";
        EXPECT_TRUE(Near(at(px, py), Rgb{0, kLit, 0}, kTol)) << "glyph at " << px << "," << py;

        // The next frame draws the same (the skull stands still at speed 0). With
        // VTL_FAULTS=present the first present lost the device, and this frame is the one
        // that resets it and makes its buffers again.
        scene.RenderFrame();
        EXPECT_FALSE(scene.DeviceMayBeLost);
        ASSERT_TRUE(gl::ReadBackBuffer(*scene.Renderer->Device, pixels, w, h));
        EXPECT_TRUE(Near(at(width / 2, height / 2), Rgb{kLit, 0, 0}, kTol)) << "the skull, next frame";
        EXPECT_TRUE(Near(at(px, py), Rgb{0, kLit, 0}, kTol)) << "the glyph, next frame";
    }
    InitDirect3D(0);
    SetTextureLoader(nullptr);
    SetDirect3DCreate(nullptr);
    gltest::RemoveFolder(folder);
}

}  // namespace
}  // namespace vtl
