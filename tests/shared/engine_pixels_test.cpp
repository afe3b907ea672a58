// The engine's picture on any render device: what the light, culling, depth test,
// reflection mapping, picture texture and number font put on screen. Every device's
// test program compiles these scenes against its own harness ("pixel_harness.h": the
// Direct3D 8 device under Wine, the OpenGL device on an off-screen context), so both
// are held to the same colours within the same tolerance.
#include <cmath>

#include "pixel_harness.h"
#include "win32/engine/quadrant_jpeg.h"

namespace vtl {
namespace {

using pixeltest::Corner;
using pixeltest::Cube;
using pixeltest::EnginePixelTest;
using pixeltest::kLit;
using pixeltest::kTol;
using pixeltest::Near;
using pixeltest::Rgb;
using pixeltest::Sphere;
using pixeltest::WriteBmp;
using pixeltest::WriteBytes;
using pixeltest::WriteMesh;

TEST_F(EnginePixelTest, WhiteQuadFacingTheLightShowsThreeQuartersGrey) {
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

TEST_F(EnginePixelTest, TwoSidedMeshSeenFromInsideShowsItsBackBuffer) {
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

TEST_F(EnginePixelTest, DepthTestKeepsTheNearerQuadWhateverTheOrder) {
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

TEST_F(EnginePixelTest, ReflectionMapsTheFacingNormalToThePictureCentre) {
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
    const Rgb rim = pixeltest::ToRgb(Pixel(px, py));
    EXPECT_GT(rim.b, 20);
    EXPECT_LT(rim.r, rim.b);
}

TEST_F(EnginePixelTest, NumberFontLineReadsLeftToRightOverTheScene) {
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

TEST_F(EnginePixelTest, PictureQuadShowsItsTextureUprightAndUnmirrored) {
    // The quadrant picture: red top left, green top right, blue bottom left, white
    // bottom right. On the scene's two-sided quad the back side faces the camera and
    // must show it as it is, at the light's three quarters.
    WriteBytes(Path("quad.jpg"), vtl::testing::kQuadrantJpeg, sizeof vtl::testing::kQuadrantJpeg);
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

}  // namespace
}  // namespace vtl
