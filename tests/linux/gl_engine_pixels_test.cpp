// The saver's whole frame through the OpenGL device (the engine's single scenes, shared
// with the Direct3D device, are in tests/shared/engine_pixels_test.cpp).
#include <sys/stat.h>

#include <cmath>

#include "pack/assetnames.h"
#include "pixel_harness.h"
#include "platform/fake/fake_registry.h"
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
using pixeltest::Cube;
using pixeltest::kLit;
using pixeltest::kTol;
using pixeltest::Sphere;

// The whole scene's frame on the device, from assets written for the test: the
// quadrant picture as the background, a sphere as the skull with a red-centred
// reflection picture, and a number-font strip like the shared scenes'. A larger screen,
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
    gltest::WriteBytes(asset(kBackgroundPictureFile), vtl::testing::kQuadrantJpeg, sizeof vtl::testing::kQuadrantJpeg);
    // The loader goes by the bytes, not the name, as the Windows one does.
    std::vector<std::uint32_t> env(64 * 64, 0xFF0000FFu);
    for (int y = 16; y < 48; ++y)
        for (int x = 16; x < 48; ++x) env[std::size_t(y) * 64 + x] = 0xFFFF0000u;
    WriteBmp(asset(kEnvironmentMapFile), 64, 64, env);
    WriteMesh(asset(kSkullMeshFile), Sphere(0.5f, 24, 32));
    WriteMesh(asset(kGlassesMeshFile), Cube());
    std::vector<std::uint32_t> strip(128 * 8, 0xFF000000u);
    for (int g = 0; g < 16; ++g)
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x) strip[std::size_t(y) * 128 + g * 8 + x] = g == 0 ? 0xFF00FF00u : 0xFFFFFFFFu;
    WriteBmp(asset(kNumFontFile), 128, 8, strip);

    FakeRegistry registry;
    const std::pair<const char*, int> settings[] = {
        {"ShowGlasses", 0}, {"ReflectionOnSkull", 1}, {"ShowFPS", 1}, {"ShowActivityTime", 1}, {"Speed", 0}};
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
