// A lost device brought back: only when the system says it may be, with the default
// pool emptied before the reset and filled again with the same bytes after it, and
// the device's own states set again.
#include "e3d_fixture.h"

namespace vtl {
namespace {

using testing::RendererTest;
using Texts = std::vector<std::string>;

const RecordingVertexBuffer& Recorded(const std::shared_ptr<IRenderVertexBuffer>& buffer) {
    return static_cast<const RecordingVertexBuffer&>(*buffer);
}

TEST_F(RendererTest, ADeviceThatCanDrawIsLeftAlone) {
    EXPECT_EQ(RestoreLostDevice(R(), {}, nullptr), 0);
    EXPECT_EQ(log().Texts(), (Texts{"TestCooperativeLevel()"}));
    EXPECT_EQ(RestoreLostDevice(nullptr, {}, nullptr), kErrDeviceLost);
}

TEST_F(RendererTest, AStillLostDeviceIsNotResetAndKeepsItsBuffers) {
    auto quad = CreateQuadMesh(R(), true, 0xFF336699u, 1);
    ASSERT_TRUE(quad);
    log().Clear();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICELOST);
    EXPECT_EQ(RestoreLostDevice(R(), {quad.get()}, nullptr), kErrDeviceLost);
    EXPECT_EQ(log().Count("Reset"), 0u);
    EXPECT_TRUE(quad->FrontBuffer && quad->BackBuffer);
}

TEST_F(RendererTest, AResetBringsTheDefaultPoolBackWithTheSameBytes) {
    auto quad = CreateQuadMesh(R(), true, 0xFF336699u, 1);
    auto single = CreateQuadMesh(R(), false, 0xFF112233u, 1);
    ASSERT_TRUE(quad && single);
    const auto front = Recorded(quad->FrontBuffer).Bytes(), back = Recorded(quad->BackBuffer).Bytes();
    const auto singleFront = Recorded(single->FrontBuffer).Bytes();
    TNumFontInfo font;
    font.QuadBytes.assign(6 * kBufferVertexStride, 0x5A);
    log().Clear();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICENOTRESET);

    EXPECT_EQ(RestoreLostDevice(R(), {quad.get(), nullptr, single.get()}, &font), 0);
    const Texts calls =
        log().Texts({"SetStreamSource", "Reset", "SetRenderState", "SetLight", "LightEnable", "CreateVertexBuffer"});
    // Nothing of the default pool is held at the reset; the states come before the
    // buffers, as at creation.
    ASSERT_GE(calls.size(), 9u);
    EXPECT_EQ(calls[0].rfind("SetStreamSource(0,", 0), 0u) << calls[0];
    EXPECT_EQ(calls[1], "Reset(1,1)");  // the discard swap effect it was made with, windowed
    EXPECT_EQ(calls[2], "SetRenderState(143,1)");
    EXPECT_EQ(log().Count("CreateVertexBuffer"), 4u);  // front and back, the single front, the font
    EXPECT_EQ(Recorded(quad->FrontBuffer).Bytes(), front);
    EXPECT_EQ(Recorded(quad->BackBuffer).Bytes(), back);
    EXPECT_EQ(Recorded(single->FrontBuffer).Bytes(), singleFront);
    EXPECT_FALSE(single->BackBuffer);
    ASSERT_TRUE(font.VertexBuffer);
    EXPECT_EQ(Recorded(font.VertexBuffer).Bytes(), font.QuadBytes);
    EXPECT_FALSE(Recorded(quad->FrontBuffer).Locked());
}

TEST_F(RendererTest, AFailedResetIsTriedAgainAndAMeshWithoutItsBufferDrawsNothing) {
    auto quad = CreateQuadMesh(R(), false, 0xFF336699u, 1);
    ASSERT_TRUE(quad);
    log().Clear();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICENOTRESET);
    log().FailCall("Reset", D3DERR_DEVICELOST);
    EXPECT_EQ(RestoreLostDevice(R(), {quad.get()}, nullptr), kErrDeviceLost);
    EXPECT_FALSE(quad->FrontBuffer);
    log().Clear();
    EXPECT_EQ(DrawMesh(R(), quad.get()), 0);
    EXPECT_EQ(log().Count("DrawPrimitive"), 0u);

    log().ClearFailures();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICENOTRESET);
    EXPECT_EQ(RestoreLostDevice(R(), {quad.get()}, nullptr), 0);
    EXPECT_TRUE(quad->FrontBuffer);
}

}  // namespace
}  // namespace vtl
