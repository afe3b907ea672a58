#include <cmath>

#include "e3d_fixture.h"

namespace vtl {
namespace {

using testing::RendererTest;
using testing::TransformPoint;
using testing::Vertices;
using Texts = std::vector<std::string>;

class NumFontTest : public RendererTest {
protected:
    std::unique_ptr<TNumFontInfo> MakeFont() {
        auto font = CreateNumFont(WriteFile("numfont.bmp"), R());
        EXPECT_TRUE(font);
        log().Clear();
        return font;
    }
    const RecordingVertexBuffer& Buffer() const { return *device->Buffers().back(); }
};

TEST(NumFontCell, GlyphTable) {
    struct Case {
        char ch;
        int cell;
    };
    const Case cases[] = {{'0', 0},  {'5', 5},  {'9', 9},  {',', 10}, {' ', 11},  {'.', 12},
                          {':', 12}, {'-', 12}, {'a', 12}, {'Z', 12}, {'\0', 12}, {char(0xE9), 12},
                          {'F', 13}, {'f', 13}, {'P', 14}, {'p', 14}, {'S', 15},  {'s', 15}};
    for (const Case& c : cases) EXPECT_EQ(NumFontCell(c.ch), c.cell) << int(c.ch);
}

TEST_F(NumFontTest, CreationLoadsTheKeyedStripAndWritesTheQuad) {
    const std::string file = WriteFile("numfont.bmp");
    auto font = CreateNumFont(file, R());
    ASSERT_TRUE(font);
    ASSERT_EQ(loader->loads.size(), 1u);
    EXPECT_TRUE(loader->loads[0].keyed);
    EXPECT_EQ(loader->loads[0].key, 0xFF000000u);
    const std::string vb = std::to_string(Buffer().Id());
    EXPECT_EQ(log().Texts(),
              (Texts{"CreateVertexBuffer(216,0,338,0)", "Lock(" + vb + ",0,216,0)", "Unlock(" + vb + ")"}));
    const auto v = Vertices(Buffer());
    const float want[6][5] = {{0, 0.4f, 1, 0}, {0.24f, 0.4f, 0, 0}, {0, 0, 1, 1},
                              {0, 0, 1, 1},    {0.24f, 0.4f, 0, 0}, {0.24f, 0, 0, 1}};
    ASSERT_EQ(v.size(), 6u);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(v[i].x, want[i][0]);
        EXPECT_EQ(v[i].y, want[i][1]);
        EXPECT_EQ(v[i].z, 0.0f);
        EXPECT_EQ(v[i].u, want[i][2]);
        EXPECT_EQ(v[i].v, want[i][3]);
        EXPECT_EQ(v[i].nz, 1.0f);
        EXPECT_EQ(v[i].Color, 0x00FFFFFFu);
    }
}

TEST_F(NumFontTest, CreationFailuresGiveNoFont) {
    const std::string file = WriteFile("numfont.bmp");
    EXPECT_FALSE(CreateNumFont(Path("missing.bmp"), R()));
    EXPECT_FALSE(CreateNumFont(file, nullptr));
    EXPECT_TRUE(loader->loads.empty());
    loader->result = D3DERR_INVALIDCALL;
    EXPECT_FALSE(CreateNumFont(file, R()));
    EXPECT_EQ(log().Count("CreateVertexBuffer"), 0u);
    loader->result = 0;
    for (const char* failing : {"CreateVertexBuffer", "Lock"}) {
        log().ClearFailures();
        log().FailCall(failing);
        EXPECT_FALSE(CreateNumFont(file, R())) << failing;
    }
}

TEST_F(NumFontTest, CharacterSetsItsCellAndTheOverlayStates) {
    auto font = MakeFont();
    const std::string tex = std::to_string(static_cast<RecordingTexture&>(*font->Texture).Id());
    const std::string vb = std::to_string(Buffer().Id());
    DrawNumChar(R(), font.get(), 'S');
    EXPECT_EQ(log().Texts(),
              (Texts{"Lock(" + vb + ",0,216,0)", "Unlock(" + vb + ")", "SetTextureStageState(0,1,4)",
                     "SetTextureStageState(0,16,2)", "SetTextureStageState(0,17,2)", "SetTextureStageState(0,4,2)",
                     "SetRenderState(27,1)", "SetRenderState(19,5)", "SetRenderState(20,6)",
                     "SetTexture(0," + tex + ")", "SetRenderState(7,0)", "SetStreamSource(0," + vb + ",36)",
                     "SetVertexShader(338)", "SetRenderState(22,1)", "DrawPrimitive(4,0,2)", "SetTexture(0,0)",
                     "SetRenderState(27,0)", "SetRenderState(7,1)"}));
}

TEST_F(NumFontTest, CellTextureCoordinates) {
    auto font = MakeFont();
    struct Case {
        char ch;
        float left, right;
    };
    for (const Case& c : {Case{'0', 0, 1 / 16.0f}, Case{'S', 15 / 16.0f, 1}, Case{'s', 15 / 16.0f, 1},
                          Case{':', 12 / 16.0f, 13 / 16.0f}}) {
        DrawNumChar(R(), font.get(), c.ch);
        const auto v = Vertices(Buffer());
        const bool right[6] = {true, false, true, true, false, false};
        const float tv[6] = {0, 0, 1, 1, 0, 1};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(v[i].u, right[i] ? c.right : c.left) << c.ch << i;
            EXPECT_EQ(v[i].v, tv[i]) << c.ch << i;
        }
        // Positions stay as created.
        EXPECT_EQ(v[5].x, 0.24f);
        EXPECT_EQ(v[0].y, 0.4f);
    }
}

TEST_F(NumFontTest, LinePlacesCellsLeftToRight) {
    auto font = MakeFont();
    const float size = 6.0f, x = 0.98f, y = 0.72f, s = size / 50;
    std::vector<int> cells;
    std::vector<D3DMATRIX> worlds;
    // Observe each character's cell and world matrix at its draw.
    for (char ch : std::string("12.5 fps")) {
        log().Clear();
        DrawNumText(R(), font.get(), std::string(1, ch), size, x, y, 0);
        cells.push_back(int(std::lround(Vertices(Buffer())[1].u * 16)));
    }
    EXPECT_EQ(cells, (std::vector<int>{1, 2, 12, 5, 11, 13, 14, 15}));

    log().Clear();
    DrawNumText(R(), font.get(), "12.5 fps", size, x, y, 0);
    EXPECT_EQ(log().Count("DrawPrimitive"), 8u);
    for (const RecordedCall& c : log().Calls())
        if (c.name == "SetTransform") worlds.push_back(c.matrix);
    // Each character: its translation, then the scale composed in front of it.
    ASSERT_EQ(worlds.size(), 16u);
    for (int n = 1; n <= 8; ++n) {
        const D3DMATRIX& w = worlds[std::size_t(2 * n - 1)];
        const D3DVECTOR lo = TransformPoint({0, 0, 0}, w), hi = TransformPoint({0.24f, 0.4f, 0}, w);
        EXPECT_NEAR(lo.x, x - 0.28f * n * s, 1e-6) << n;
        EXPECT_NEAR(hi.x, x - 0.28f * n * s + 0.24f * s, 1e-6) << n;
        EXPECT_NEAR(lo.y, y, 1e-6);
        EXPECT_NEAR(hi.y, y + 0.4f * s, 1e-6);
    }
    EXPECT_EQ(device->RenderState(D3DRS_ALPHABLENDENABLE), 0u);
    EXPECT_EQ(device->RenderState(D3DRS_ZENABLE), D3DZB_TRUE);
    EXPECT_EQ(device->RenderState(D3DRS_CULLMODE), D3DCULL_NONE);
    EXPECT_EQ(device->TextureId(0), 0u);
}

TEST_F(NumFontTest, NothingToDrawTouchesNothing) {
    auto font = MakeFont();
    DrawNumText(R(), font.get(), "", 6, 0, 0, 0);
    DrawNumText(R(), nullptr, "12", 6, 0, 0, 0);
    DrawNumText(nullptr, font.get(), "12", 6, 0, 0, 0);
    DrawNumChar(nullptr, font.get(), '1');
    DrawNumChar(R(), nullptr, '1');
    EXPECT_TRUE(log().Calls().empty());
}

TEST_F(NumFontTest, CharacterWhoseBufferCannotBeLockedIsSkipped) {
    auto font = MakeFont();
    log().FailCall("Lock");
    DrawNumChar(R(), font.get(), '7');
    EXPECT_EQ(log().Texts(), Texts{"Lock(" + std::to_string(Buffer().Id()) + ",0,216,0)"});
}

}  // namespace
}  // namespace vtl
