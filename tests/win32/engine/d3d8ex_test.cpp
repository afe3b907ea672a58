// d3d8ex.dll through the engine's texture loaders on Wine's Direct3D 8: the texels,
// formats and mip chains it makes from real JPEG and BMP files. Tolerance: BMP texels
// exact; JPEG texels within 6 steps per channel (the codec's rounding); box-filtered
// mip texels within 1.
#include <windows.h>

#include <d3d8.h>

#include <cstring>

#include "pixel_harness.h"
#include "quadrant_jpeg.h"

namespace vtl {
namespace {

using testing::EnginePixelTest;
using testing::Near;
using testing::Rgb;

struct Level {
    UINT width = 0, height = 0;
    D3DFORMAT format = ::D3DFMT_UNKNOWN;
    std::vector<std::uint32_t> texels;
};

Level ReadLevel(IRenderTexture& texture, UINT level) {
    auto* native = static_cast<IDirect3DTexture8*>(texture.NativeHandle());
    Level out;
    D3DSURFACE_DESC desc{};
    if (FAILED(native->GetLevelDesc(level, &desc))) return out;
    out.width = desc.Width;
    out.height = desc.Height;
    out.format = desc.Format;
    D3DLOCKED_RECT locked{};
    if (FAILED(native->LockRect(level, &locked, nullptr, D3DLOCK_READONLY))) return out;
    out.texels.resize(std::size_t(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&out.texels[std::size_t(y) * desc.Width], static_cast<BYTE*>(locked.pBits) + y * locked.Pitch,
                    desc.Width * 4);
    native->UnlockRect(level);
    return out;
}

DWORD LevelCount(IRenderTexture& texture) {
    return static_cast<IDirect3DTexture8*>(texture.NativeHandle())->GetLevelCount();
}

TEST_F(EnginePixelTest, LoaderDecodesABmpWithAFullMipChain) {
    // 4 x 2: the top row red, green, blue, white; the bottom row black, grey, yellow, cyan.
    const std::vector<std::uint32_t> bmp = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF,
                                            0xFF000000, 0xFF808080, 0xFFFFFF00, 0xFF00FFFF};
    testing::WriteBmp(Path("small.bmp"), 4, 2, bmp);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("small.bmp"), texture), 0);
    ASSERT_TRUE(texture);
    EXPECT_EQ(LevelCount(*texture), 3u);  // 4x2, 2x1, 1x1
    const Level top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.format, ::D3DFMT_X8R8G8B8);
    ASSERT_EQ(top.width, 4u);
    ASSERT_EQ(top.height, 2u);
    for (std::size_t i = 0; i < bmp.size(); ++i) EXPECT_EQ(top.texels[i] & 0xFFFFFF, bmp[i] & 0xFFFFFF) << i;
    // Box filter: each texel of level 1 is the mean of a 2 x 2 block.
    const Level one = ReadLevel(*texture, 1);
    ASSERT_EQ(one.texels.size(), 2u);
    EXPECT_TRUE(Near(one.texels[0], Rgb{96, 96, 32}, 1));     // red, green, black, grey
    EXPECT_TRUE(Near(one.texels[1], Rgb{128, 191, 191}, 1));  // blue, white, yellow, cyan
}

TEST_F(EnginePixelTest, LoaderRoundsOddSizesUpToPowersOfTwo) {
    testing::WriteBmp(Path("odd.bmp"), 3, 5, std::vector<std::uint32_t>(15, 0xFF336699));
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("odd.bmp"), texture), 0);
    const Level top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.width, 4u);
    EXPECT_EQ(top.height, 8u);
    EXPECT_EQ(LevelCount(*texture), 4u);
    for (std::uint32_t t : top.texels) EXPECT_TRUE(Near(t, Rgb{0x33, 0x66, 0x99}, 1));
}

TEST_F(EnginePixelTest, LoaderDecodesAJpeg) {
    testing::WriteBytes(Path("quad.jpg"), testing::kQuadrantJpeg, sizeof testing::kQuadrantJpeg);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFile(R()->Device.get(), Path("quad.jpg"), texture), 0);
    ASSERT_TRUE(texture);
    EXPECT_EQ(LevelCount(*texture), 5u);
    const Level top = ReadLevel(*texture, 0);
    ASSERT_EQ(top.width, 16u);
    ASSERT_EQ(top.height, 16u);
    const int tol = 6;
    EXPECT_TRUE(Near(top.texels[2 * 16 + 2], Rgb{255, 0, 0}, tol));
    EXPECT_TRUE(Near(top.texels[2 * 16 + 13], Rgb{0, 255, 0}, tol));
    EXPECT_TRUE(Near(top.texels[13 * 16 + 2], Rgb{0, 0, 255}, tol));
    EXPECT_TRUE(Near(top.texels[13 * 16 + 13], Rgb{255, 255, 255}, tol));
    const Level last = ReadLevel(*texture, 4);
    ASSERT_EQ(last.texels.size(), 1u);
    EXPECT_TRUE(Near(last.texels[0], Rgb{128, 128, 128}, tol));
}

TEST_F(EnginePixelTest, ColourKeyTurnsMatchingTexelsTransparentBlack) {
    const std::vector<std::uint32_t> bmp = {0xFF000000, 0xFFFFFFFF, 0xFF010000, 0xFF000000};
    testing::WriteBmp(Path("keyed.bmp"), 2, 2, bmp);
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(LoadTextureFromFileEx(R()->Device.get(), Path("keyed.bmp"), 0xFF000000u, texture), 0);
    const Level top = ReadLevel(*texture, 0);
    EXPECT_EQ(top.format, ::D3DFMT_A8R8G8B8);
    ASSERT_EQ(top.texels.size(), 4u);
    EXPECT_EQ(top.texels[0], 0x00000000u);
    EXPECT_EQ(top.texels[1], 0xFFFFFFFFu);
    EXPECT_EQ(top.texels[2], 0xFF010000u);  // near black is not the key
    EXPECT_EQ(top.texels[3], 0x00000000u);
}

TEST_F(EnginePixelTest, LoaderFailuresAreNegativeAndLeaveNoTexture) {
    const char garbage[] = "this is not a picture at all, just some bytes";
    testing::WriteBytes(Path("garbage.jpg"), garbage, sizeof garbage);
    const unsigned char truncatedBmp[] = {'B', 'M', 0x40, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
    testing::WriteBytes(Path("short.bmp"), truncatedBmp, sizeof truncatedBmp);
    for (const char* name : {"missing.jpg", "garbage.jpg", "short.bmp"}) {
        std::shared_ptr<IRenderTexture> texture;
        EXPECT_LT(LoadTextureFromFile(R()->Device.get(), Path(name), texture), 0) << name;
        EXPECT_FALSE(texture) << name;
        EXPECT_LT(LoadTextureFromFileEx(R()->Device.get(), Path(name), 0xFF000000u, texture), 0) << name;
        EXPECT_FALSE(texture) << name;
    }
    // Through the engine: the picture is missing or undecodable, so no record.
    EXPECT_FALSE(CreateTextureInfo(Path("garbage.jpg"), R()));
    EXPECT_FALSE(CreateNumFont(Path("short.bmp"), R()));
}

// The published entry point called directly with explicit size, one level, the
// default pool and a source-information record.
TEST_F(EnginePixelTest, ExplicitArgumentsAreHonoured) {
    struct ImageInfo {
        UINT Width, Height, Depth, MipLevels;
        D3DFORMAT Format;
        D3DRESOURCETYPE ResourceType;
        DWORD ImageFileFormat;
    };
    using CreateEx = HRESULT(WINAPI*)(IDirect3DDevice8*, LPCSTR, UINT, UINT, UINT, DWORD, D3DFORMAT, D3DPOOL, DWORD,
                                      DWORD, D3DCOLOR, ImageInfo*, PALETTEENTRY*, IDirect3DTexture8**);
    testing::WriteBytes(Path("quad.jpg"), testing::kQuadrantJpeg, sizeof testing::kQuadrantJpeg);
    HMODULE library = LoadLibraryA("d3d8ex.dll");
    ASSERT_NE(library, nullptr);
    auto create =
        reinterpret_cast<CreateEx>(reinterpret_cast<void*>(GetProcAddress(library, "D3DXCreateTextureFromFileExA")));
    ASSERT_NE(create, nullptr);
    auto* device = static_cast<IDirect3DDevice8*>(R()->Device->NativeHandle());
    ImageInfo info{};
    IDirect3DTexture8* texture = nullptr;
    const HRESULT hr = create(device, Path("quad.jpg").c_str(), 8, 4, 1, 0, ::D3DFMT_UNKNOWN, ::D3DPOOL_DEFAULT,
                              0xFFFFFFFF, 0xFFFFFFFF, 0, &info, nullptr, &texture);
    ASSERT_EQ(hr, D3D_OK);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->GetLevelCount(), 1u);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 8u);
    EXPECT_EQ(desc.Height, 4u);
    EXPECT_EQ(desc.Pool, ::D3DPOOL_DEFAULT);
    EXPECT_EQ(info.Width, 16u);
    EXPECT_EQ(info.Height, 16u);
    EXPECT_EQ(info.ImageFileFormat, 1u);  // JPEG
    texture->Release();
    // Missing arguments are refused, not dereferenced.
    EXPECT_LT(
        create(device, nullptr, 0, 0, 0, 0, ::D3DFMT_UNKNOWN, ::D3DPOOL_MANAGED, 0, 0, 0, nullptr, nullptr, &texture),
        0);
    EXPECT_LT(create(nullptr, Path("quad.jpg").c_str(), 0, 0, 0, 0, ::D3DFMT_UNKNOWN, ::D3DPOOL_MANAGED, 0, 0, 0,
                     nullptr, nullptr, &texture),
              0);
    FreeLibrary(library);
}

}  // namespace
}  // namespace vtl
