// The OpenGL device's texture loader through the engine's loaders: the texels,
// formats and mip chains it makes from real JPEG and BMP files, matched against what
// the Windows loader makes. Tolerance: BMP texels exact; JPEG texels within 6 steps
// per channel (the codec's rounding); box-filtered mip texels within 1.
#include "pixel_harness.h"
#include "platform/fake/recording_device.h"
#include "win32/engine/quadrant_jpeg.h"

namespace vtl {
namespace {

using gltest::Near;
using gltest::Rgb;
using GlTextureLoader = gltest::GlEnginePixelTest;

gl::TextureLevel ReadLevel(IRenderTexture& texture, std::uint32_t level) {
    gl::TextureLevel out;
    EXPECT_TRUE(gl::ReadTextureLevel(texture, level, out)) << "level " << level;
    return out;
}

TEST_F(GlTextureLoader, DecodesABmpWithAFullMipChain) {
    // 4 x 2: the top row red, green, blue, white; the bottom row black, grey, yellow, cyan.
    const std::vector<std::uint32_t> bmp = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                            0xFF000000, 0xFF808080, 0xFFFFFF00, 0xFF00FFFF};
    gltest::WriteBmp(Path("small.bmp"), 4, 2, bmp);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("small.bmp"), texture), 0);
    ASSERT_TRUE(texture);
    const gl::TextureLevel top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.levelCount, 3u);  // 4x2, 2x1, 1x1
    EXPECT_EQ(top.format, D3DFMT_X8R8G8B8);
    ASSERT_EQ(top.width, 4);
    ASSERT_EQ(top.height, 2);
    for (std::size_t i = 0; i < bmp.size(); ++i) EXPECT_EQ(top.texels[i], bmp[i]) << i;
    // Box filter: each texel of level 1 is the mean of a 2 x 2 block.
    const gl::TextureLevel one = ReadLevel(*texture, 1);
    ASSERT_EQ(one.texels.size(), 2u);
    EXPECT_TRUE(Near(one.texels[0], Rgb{96, 96, 32}, 1));     // red, green, black, grey
    EXPECT_TRUE(Near(one.texels[1], Rgb{128, 191, 191}, 1));  // blue, white, yellow, cyan
    EXPECT_EQ(ReadLevel(*texture, 2).texels.size(), 1u);
    gl::TextureLevel none;
    EXPECT_FALSE(gl::ReadTextureLevel(*texture, 3, none));
}

TEST_F(GlTextureLoader, RoundsOddSizesUpToPowersOfTwo) {
    gltest::WriteBmp(Path("odd.bmp"), 3, 5, std::vector<std::uint32_t>(15, 0xFF336699));
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("odd.bmp"), texture), 0);
    const gl::TextureLevel top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.width, 4);
    EXPECT_EQ(top.height, 8);
    EXPECT_EQ(top.levelCount, 4u);
    for (std::uint32_t t : top.texels) EXPECT_TRUE(Near(t, Rgb{0x33, 0x66, 0x99}, 1));
}

TEST_F(GlTextureLoader, DecodesAJpeg) {
    gltest::WriteBytes(Path("quad.jpg"), testing::kQuadrantJpeg, sizeof testing::kQuadrantJpeg);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("quad.jpg"), texture), 0);
    ASSERT_TRUE(texture);
    const gl::TextureLevel top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.levelCount, 5u);
    ASSERT_EQ(top.width, 16);
    ASSERT_EQ(top.height, 16);
    const int tol = 6;
    EXPECT_TRUE(Near(top.texels[2 * 16 + 2], Rgb{255, 0, 0}, tol));
    EXPECT_TRUE(Near(top.texels[2 * 16 + 13], Rgb{0, 255, 0}, tol));
    EXPECT_TRUE(Near(top.texels[13 * 16 + 2], Rgb{0, 0, 255}, tol));
    EXPECT_TRUE(Near(top.texels[13 * 16 + 13], Rgb{255, 255, 255}, tol));
    const gl::TextureLevel last = ReadLevel(*texture, 4);
    ASSERT_EQ(last.texels.size(), 1u);
    EXPECT_TRUE(Near(last.texels[0], Rgb{128, 128, 128}, tol));
}

TEST_F(GlTextureLoader, ColourKeyTurnsMatchingTexelsTransparentBlack) {
    const std::vector<std::uint32_t> bmp = {0xFF000000, 0xFFFFFFFF, 0xFF010000, 0xFF000000};
    gltest::WriteBmp(Path("keyed.bmp"), 2, 2, bmp);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFileEx(R()->Device.get(), Path("keyed.bmp"), 0xFF000000u, texture), 0);
    const gl::TextureLevel top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.format, D3DFMT_A8R8G8B8);
    ASSERT_EQ(top.texels.size(), 4u);
    EXPECT_EQ(top.texels[0], 0x00000000u);
    EXPECT_EQ(top.texels[1], 0xFFFFFFFFu);
    EXPECT_EQ(top.texels[2], 0xFF010000u);  // near black is not the key
    EXPECT_EQ(top.texels[3], 0x00000000u);
    // A key without alpha matches nothing: decoded pixels are opaque.
    ASSERT_GE(LoadTextureFromFileEx(R()->Device.get(), Path("keyed.bmp"), 0x00000001u, texture), 0);
    EXPECT_EQ(ReadLevel(*texture, 0).texels[0], 0xFF000000u);
}

TEST_F(GlTextureLoader, FailuresAreNegativeAndLeaveNoTexture) {
    const char garbage[] = "this is not a picture at all, just some bytes";
    gltest::WriteBytes(Path("garbage.jpg"), garbage, sizeof garbage);
    const unsigned char truncatedBmp[] = {'B', 'M', 0x40, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    gltest::WriteBytes(Path("short.bmp"), truncatedBmp, sizeof truncatedBmp);
    // A JPEG cut off inside its header: the decoder's fatal error must come back as a result.
    gltest::WriteBytes(Path("cut.jpg"), testing::kQuadrantJpeg, 200);
    gltest::WriteBytes(Path("empty.bmp"), "", 0);
    for (const char* name : {"missing.jpg", "garbage.jpg", "short.bmp", "cut.jpg", "empty.bmp"}) {
        std::shared_ptr<IRenderTexture> texture;
        EXPECT_LT(LoadTextureFromFile(R()->Device.get(), Path(name), texture), 0) << name;
        EXPECT_FALSE(texture) << name;
        EXPECT_LT(LoadTextureFromFileEx(R()->Device.get(), Path(name), 0xFF000000u, texture), 0) << name;
        EXPECT_FALSE(texture) << name;
    }
    // A folder is not a picture either.
    std::shared_ptr<IRenderTexture> texture;
    EXPECT_LT(LoadTextureFromFile(R()->Device.get(), Path(""), texture), 0);
    // Through the engine: the picture is missing or undecodable, so no record.
    EXPECT_FALSE(CreateTextureInfo(Path("garbage.jpg"), R()));
    EXPECT_FALSE(CreateNumFont(Path("short.bmp"), R()));
}

TEST_F(GlTextureLoader, RefusesADeviceThatIsNotAnOpenGLOne) {
    gltest::WriteBmp(Path("one.bmp"), 1, 1, {0xFF123456});
    RecordingDevice other;
    std::shared_ptr<IRenderTexture> texture;
    EXPECT_LT(gl::CreateGlTextureLoader()->LoadFromFile(other, Path("one.bmp"), texture), 0);
    EXPECT_FALSE(texture);
    // And a texture of this device cannot be set on another one, nor read as GL's.
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("one.bmp"), texture), 0);
    gl::TextureLevel level;
    RecordingTexture foreign(1, "x");
    EXPECT_FALSE(gl::ReadTextureLevel(foreign, 0, level));
    EXPECT_LT(R()->Device->SetTexture(0, &foreign), 0);
}

}  // namespace
}  // namespace vtl
