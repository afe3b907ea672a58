// The OpenGL device drawing straight into the window's framebuffer: when it does (the
// window has the back buffer's size and a framebuffer as good as the device's own),
// when it keeps its own and stretches it over the window instead, and that the frame,
// its depth and its read-back are the same either way.
#include <cstring>

#include "pixel_harness.h"
#include "window_harness.h"

namespace vtl {
namespace {

using gltest::PbufferWindow;
using gltest::WindowFormat;

constexpr int kW = 64, kH = 48;
constexpr std::uint32_t kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr D3DMATRIX kIdentity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};
constexpr std::uint32_t kTssAlphaArg1 = 5, kTaDiffuse = 0;  // Direct3D 8's values
constexpr std::uint32_t kGreen = 0x8000FF00u, kRed = 0xFFFF0000u, kMagenta = 0xFF00FF;

struct Vertex {
    float x, y, z, nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
};

// A rectangle from x0 to x1 across the whole height at depth z, clockwise on screen.
std::vector<Vertex> Band(float x0, float x1, float z, D3DCOLOR colour) {
    const Vertex a{x0, -1, z, 0, 0, -1, colour, 0, 1}, b{x0, 1, z, 0, 0, -1, colour, 0, 0},
        c{x1, 1, z, 0, 0, -1, colour, 1, 0}, d{x1, -1, z, 0, 0, -1, colour, 1, 1};
    return {a, b, c, a, c, d};
}

D3DPRESENT_PARAMETERS Params(std::uint32_t format = D3DFMT_X8R8G8B8) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = kW;
    pp.BackBufferHeight = kH;
    pp.BackBufferFormat = format;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

std::shared_ptr<IRenderDevice> MakeDevice(std::shared_ptr<gl::IGlSurface> surface, std::uint32_t format) {
    auto d3d = gl::MakeGlDirect3DCreate(std::move(surface))(120);
    D3DPRESENT_PARAMETERS pp = Params(format);
    std::shared_ptr<IRenderDevice> device;
    if (!d3d || d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device) < 0)
        return nullptr;
    return device;
}

// A frame whose picture needs the depth buffer: a near green band over the left half
// drawn before a far red one over the whole target, which must stay behind it. Read
// back before it is presented.
std::vector<std::uint32_t> DrawFrame(IRenderDevice& device) {
    std::vector<std::shared_ptr<IRenderVertexBuffer>> buffers;
    EXPECT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0), D3D_OK);
    for (std::uint32_t t : {D3DTS_WORLD, D3DTS_VIEW, D3DTS_PROJECTION}) device.SetTransform(t, kIdentity);
    device.SetRenderState(D3DRS_LIGHTING, 0);
    // Alpha from the vertices, so that a back buffer with alpha shows whether it kept it.
    device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device.SetTextureStageState(0, kTssAlphaArg1, kTaDiffuse);
    device.SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    device.SetVertexShader(kFvf);
    for (const auto& band : {Band(-1, 0, 0.2f, kGreen), Band(-1, 1, 0.8f, kRed)}) {
        std::shared_ptr<IRenderVertexBuffer> buffer;
        const auto bytes = std::uint32_t(band.size() * sizeof(Vertex));
        EXPECT_EQ(device.CreateVertexBuffer(bytes, 0, kFvf, D3DPOOL_MANAGED, buffer), D3D_OK);
        std::uint8_t* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, band.data(), bytes);
        buffer->Unlock();
        device.SetStreamSource(0, buffer.get(), sizeof(Vertex));
        EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
        buffers.push_back(buffer);
    }
    EXPECT_EQ(device.EndScene(), D3D_OK);
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    EXPECT_TRUE(gl::ReadBackBuffer(device, pixels, w, h));
    EXPECT_EQ(w, kW);
    EXPECT_EQ(h, kH);
    device.SetStreamSource(0, nullptr, 0);
    return pixels;
}

std::vector<std::uint32_t> Rgb(std::vector<std::uint32_t> pixels) {
    for (auto& p : pixels) p &= 0xFFFFFFu;
    return pixels;
}

TEST(GlWindowTarget, TheFrameGoesStraightIntoAWindowWhoseFramebufferCanHoldIt) {
    VTL_REQUIRE_GL();
    // The reference: the same frame in the device's own framebuffer, without a window.
    std::vector<std::uint32_t> want;
    {
        auto device = MakeDevice(std::make_shared<gltest::OffscreenSurface>(kW, kH), D3DFMT_X8R8G8B8);
        ASSERT_TRUE(device);
        want = DrawFrame(*device);
    }
    ASSERT_EQ(want.size(), std::size_t(kW) * kH);
    EXPECT_EQ(want[std::size_t(kH / 2) * kW + 4], 0xFF00FF00u) << "the near band stays in front";
    EXPECT_EQ(want[std::size_t(kH / 2) * kW + kW - 4], kRed);

    struct Case {
        const char* what;
        WindowFormat window;
        std::uint32_t backBuffer;
        bool direct;
    };
    const Case cases[] = {
        {"16-bit depth, as asked", {kW, kH, 16, 0}, D3DFMT_X8R8G8B8, true},
        {"deeper depth serves as well", {kW, kH, 24, 0}, D3DFMT_X8R8G8B8, true},
        {"the window's alpha is not read", {kW, kH, 16, 8}, D3DFMT_X8R8G8B8, true},
        {"no depth buffer: the device keeps its own", {kW, kH, 0, 0}, D3DFMT_X8R8G8B8, false},
        {"a back buffer with alpha needs a window with alpha", {kW, kH, 16, 0}, D3DFMT_A8R8G8B8, false},
        {"alpha on both sides", {kW, kH, 16, 8}, D3DFMT_A8R8G8B8, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto window = std::make_shared<PbufferWindow>(c.window);
        if (!window->ok()) {
            // Mesa's software renderer offers all of these; another driver may not.
            std::printf("skipped (%s): %s\n", c.what, window->why().c_str());
            continue;
        }
        auto device = MakeDevice(window, c.backBuffer);
        ASSERT_TRUE(device);
        window->Paint();
        const std::vector<std::uint32_t> got = DrawFrame(*device);
        EXPECT_EQ(Rgb(got), Rgb(want)) << "the same picture either way";
        if (c.backBuffer == D3DFMT_X8R8G8B8) {
            EXPECT_EQ(got, want) << "an opaque back buffer reads opaque";
        } else {
            EXPECT_EQ(got[std::size_t(kH / 2) * kW + 4] >> 24, kGreen >> 24) << "alpha kept as drawn";
        }
        const std::vector<std::uint32_t> before = window->Pixels();
        if (c.direct) {
            EXPECT_EQ(before, Rgb(want)) << "drawn in the window before Present";
        } else {
            EXPECT_EQ(before[0], kMagenta) << "the window untouched until Present";
        }
        EXPECT_EQ(device->Present(), D3D_OK);
        EXPECT_EQ(window->swaps, 1);
        if (!c.direct) {
            EXPECT_EQ(window->Pixels(), Rgb(want)) << "Present copies the frame over the window";
        }
        device.reset();
    }
}

TEST(GlWindowTarget, AWindowOfAnotherSizeGetsTheFrameStretchedAndTheNextFitGoesStraightAgain) {
    VTL_REQUIRE_GL();
    auto window = std::make_shared<PbufferWindow>(WindowFormat{kW, kH, 16, 0});
    if (!window->ok()) GTEST_SKIP() << window->why();
    auto device = MakeDevice(window, D3DFMT_X8R8G8B8);
    ASSERT_TRUE(device);

    // Resized to half: the frame is drawn at the back buffer's size and stretched over
    // the half that is the window now (GL's lower left: the rows at the bottom).
    window->reportedWidth = kW / 2;
    window->reportedHeight = kH / 2;
    window->Paint();
    const std::vector<std::uint32_t> full = DrawFrame(*device);
    EXPECT_EQ(full[std::size_t(kH / 2) * kW + kW - 4], kRed) << "read back whole";
    EXPECT_EQ(window->Pixels()[0], kMagenta) << "not drawn in the window";
    EXPECT_EQ(device->Present(), D3D_OK);
    const std::vector<std::uint32_t> shown = window->Pixels();
    EXPECT_EQ(shown[std::size_t(kH * 3 / 4) * kW + 2], 0x00FF00u) << "the left band, halved";
    EXPECT_EQ(shown[std::size_t(kH * 3 / 4) * kW + kW / 2 - 2], 0xFF0000u) << "the right, halved";
    EXPECT_EQ(shown[std::size_t(kH / 4) * kW + 2], kMagenta) << "outside the window's new size";

    // The window back at the back buffer's size: straight in again from the next frame.
    window->reportedWidth = kW;
    window->reportedHeight = kH;
    window->Paint();
    const std::vector<std::uint32_t> again = DrawFrame(*device);
    EXPECT_EQ(Rgb(again), Rgb(full));
    EXPECT_EQ(window->Pixels(), Rgb(full));
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_EQ(window->swaps, 2);
}

}  // namespace
}  // namespace vtl
