// The OpenGL device on its own, below the engine: creation and the back buffer's
// size, vertex-buffer locks, draws it must refuse rather than let GL read past a
// buffer, Reset, presenting, and the fixed-function states the engine relies on
// (cull modes, depth writes, texture-stage operations, lighting), each compared with
// what Direct3D 8 draws for them.
#include <cmath>
#include <cstring>

#include "pixel_harness.h"
#include "platform/fake/recording_device.h"

namespace vtl {
namespace {

using gltest::Near;
using gltest::Rgb;

constexpr int kW = 64, kH = 48;
constexpr std::uint32_t kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr std::uint32_t kTssColorArg1 = D3DTSS_COLORARG1, kTaDiffuse = 0, kTaCurrent = 1, kTaTexture = 2;
constexpr std::uint32_t kRsZWrite = D3DRS_ZWRITEENABLE;
constexpr D3DMATRIX kIdentity = {{{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}}};

struct Vertex {
    float x, y, z, nx, ny, nz;
    D3DCOLOR colour;
    float u, v;
};
static_assert(sizeof(Vertex) == 36, "the engine's vertex layout");

D3DPRESENT_PARAMETERS Params(std::uint32_t width = 0, std::uint32_t height = 0) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    return pp;
}

class GlDevice : public ::testing::Test {
protected:
    void SetUp() override {
        VTL_REQUIRE_GL();
        surface_ = std::make_shared<gltest::OffscreenSurface>(kW, kH);
        d3d_ = gl::MakeGlDirect3DCreate(surface_)(120);
        ASSERT_TRUE(d3d_);
        D3DPRESENT_PARAMETERS pp = Params();
        ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device_),
                  D3D_OK);
        ASSERT_TRUE(device_);
        folder_ = gltest::MakeTempFolder();
    }
    void TearDown() override {
        device_.reset();
        if (!folder_.empty()) gltest::RemoveFolder(folder_);
    }

    IRenderDevice& D() { return *device_; }

    // A buffer of the given vertices, filled through Lock and Unlock.
    std::shared_ptr<IRenderVertexBuffer> Buffer(const std::vector<Vertex>& vertices) {
        std::shared_ptr<IRenderVertexBuffer> buffer;
        const auto bytes = std::uint32_t(vertices.size() * sizeof(Vertex));
        EXPECT_EQ(D().CreateVertexBuffer(bytes, 0, kFvf, D3DPOOL_DEFAULT, buffer), D3D_OK);
        if (!buffer) return nullptr;
        std::uint8_t* data = nullptr;
        EXPECT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        if (data) std::memcpy(data, vertices.data(), bytes);
        EXPECT_EQ(buffer->Unlock(), D3D_OK);
        return buffer;
    }

    // Two triangles over the whole target at depth z (identity transforms), both
    // clockwise on the screen, facing the viewer with their normals.
    static std::vector<Vertex> Screen(D3DCOLOR colour, float z = 0.5f) {
        const Vertex a{-1, -1, z, 0, 0, -1, colour, 0, 1}, b{-1, 1, z, 0, 0, -1, colour, 0, 0},
            c{1, 1, z, 0, 0, -1, colour, 1, 0}, d{1, -1, z, 0, 0, -1, colour, 1, 1};
        return {a, b, c, a, c, d};
    }

    HResult Draw(IRenderVertexBuffer* buffer, std::uint32_t triangles = 2, std::uint32_t start = 0,
                 std::uint32_t stride = sizeof(Vertex)) {
        D().SetStreamSource(0, buffer, stride);
        D().SetVertexShader(kFvf);
        return D().DrawPrimitive(D3DPT_TRIANGLELIST, start, triangles);
    }

    void Begin(D3DCOLOR clear = 0xFF000000u) {
        ASSERT_EQ(D().BeginScene(), D3D_OK);
        ASSERT_EQ(D().Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0), D3D_OK);
        D().SetTransform(D3DTS_WORLD, kIdentity);
        D().SetTransform(D3DTS_VIEW, kIdentity);
        D().SetTransform(D3DTS_PROJECTION, kIdentity);
    }

    std::uint32_t Centre() {
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        EXPECT_TRUE(gl::ReadBackBuffer(D(), pixels, w, h));
        D().EndScene();
        if (w != kW || h != kH) return 0xDEADBEEF;
        return pixels[std::size_t(h / 2) * w + w / 2] & 0xFFFFFFu;
    }

    std::string Path(const std::string& name) const { return folder_ + "/" + name; }

    std::shared_ptr<gltest::OffscreenSurface> surface_;
    std::shared_ptr<IRenderD3D> d3d_;
    std::shared_ptr<IRenderDevice> device_;
    std::string folder_;
};

TEST_F(GlDevice, CreationTakesTheScreenSizeAndRefusesBadArguments) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d_->GetAdapterDisplayMode(0, mode), D3D_OK);
    EXPECT_EQ(mode.Width, std::uint32_t(kW));
    EXPECT_EQ(mode.Height, std::uint32_t(kH));
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_LT(d3d_->GetAdapterDisplayMode(1, mode), 0);

    struct Case {
        std::uint32_t adapter, flags, width, height;
        bool made;
        int wantWidth, wantHeight;
    } const cases[] = {
        {0, D3DCREATE_SOFTWARE_VERTEXPROCESSING, 0, 0, true, kW, kH},  // sizes from the screen
        {0, D3DCREATE_HARDWARE_VERTEXPROCESSING, 32, 16, true, 32, 16},
        {0, 0, 0, 0, false, 0, 0},  // no vertex processing named
        {0, D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING, 0, 0, false, 0, 0},
        {1, D3DCREATE_HARDWARE_VERTEXPROCESSING, 0, 0, false, 0, 0},  // one adapter only
        {0, D3DCREATE_HARDWARE_VERTEXPROCESSING, 1u << 30, 16, false, 0, 0},
    };
    for (const Case& c : cases) {
        D3DPRESENT_PARAMETERS pp = Params(c.width, c.height);
        std::shared_ptr<IRenderDevice> made;
        const HResult result = d3d_->CreateDevice(c.adapter, D3DDEVTYPE_HAL, nullptr, c.flags, pp, made);
        EXPECT_EQ(result >= 0, c.made) << c.adapter << " " << c.flags << " " << c.width;
        EXPECT_EQ(bool(made), c.made);
        if (!made) continue;
        EXPECT_EQ(int(pp.BackBufferWidth), c.wantWidth);
        std::vector<std::uint32_t> pixels;
        int w = 0, h = 0;
        ASSERT_TRUE(gl::ReadBackBuffer(*made, pixels, w, h));
        EXPECT_EQ(w, c.wantWidth);
        EXPECT_EQ(h, c.wantHeight);
    }
    RecordingDevice other;
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    EXPECT_FALSE(gl::ReadBackBuffer(other, pixels, w, h));
}

TEST_F(GlDevice, LocksStayInsideTheBuffer) {
    std::shared_ptr<IRenderVertexBuffer> buffer;
    ASSERT_EQ(D().CreateVertexBuffer(100, 0, kFvf, D3DPOOL_DEFAULT, buffer), D3D_OK);
    struct Case {
        std::uint32_t offset, size;
        bool ok;
    } const cases[] = {
        {0, 0, true},    {0, 100, true},  {40, 0, true},
        {99, 1, true},   {100, 0, true},  {0, 101, false},
        {101, 0, false}, {50, 51, false}, {0xFFFFFFF0u, 0x20, false},
    };
    for (const Case& c : cases) {
        std::uint8_t* data = reinterpret_cast<std::uint8_t*>(1);
        const HResult result = buffer->Lock(c.offset, c.size, &data, 0);
        EXPECT_EQ(result >= 0, c.ok) << c.offset << "+" << c.size;
        EXPECT_EQ(data != nullptr, c.ok) << c.offset << "+" << c.size;
        if (result >= 0) {
            EXPECT_EQ(buffer->Unlock(), D3D_OK);
        }
    }
    EXPECT_LT(buffer->Unlock(), 0) << "not locked";
    EXPECT_LT(buffer->Lock(0, 0, nullptr, 0), 0);
    std::shared_ptr<IRenderVertexBuffer> none;
    EXPECT_LT(D().CreateVertexBuffer(0, 0, kFvf, D3DPOOL_DEFAULT, none), 0);
    EXPECT_LT(D().CreateVertexBuffer(0xFFFFFFFFu, 0, kFvf, D3DPOOL_DEFAULT, none), 0);
    EXPECT_FALSE(none);
}

// A small buffer (rewritten every frame) and a large one (a mesh, which lets go of
// its copy in memory between locks): each lock hands out what the buffer holds, and
// each unlock keeps what the lock changed and nothing else.
TEST_F(GlDevice, ALockHandsOutWhatTheBufferHolds) {
    for (const std::uint32_t length : {256u, 1u << 20}) {
        SCOPED_TRACE(length);
        std::shared_ptr<IRenderVertexBuffer> buffer;
        ASSERT_EQ(D().CreateVertexBuffer(length, 0, kFvf, D3DPOOL_MANAGED, buffer), D3D_OK);
        std::uint8_t* data = nullptr;
        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        EXPECT_EQ(data[length - 1], 0) << "a new buffer reads as zeros";
        for (std::uint32_t i = 0; i < length; ++i) data[i] = std::uint8_t(i * 7);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);

        const std::uint32_t offset = length / 2;
        ASSERT_EQ(buffer->Lock(offset, 16, &data, 0), D3D_OK);
        EXPECT_EQ(data[0], std::uint8_t(offset * 7));
        EXPECT_EQ(data[15], std::uint8_t((offset + 15) * 7));
        std::memset(data, 0xAB, 16);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);

        ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
        int wrong = 0;
        for (std::uint32_t i = 0; i < length; ++i) {
            const std::uint8_t want = i >= offset && i < offset + 16 ? 0xAB : std::uint8_t(i * 7);
            wrong += data[i] != want;
        }
        EXPECT_EQ(wrong, 0);
        ASSERT_EQ(buffer->Unlock(), D3D_OK);
    }
}

TEST_F(GlDevice, DrawsThatWouldReadPastTheBufferAreRefused) {
    auto buffer = Buffer(Screen(0xFFFFFFFFu));
    ASSERT_TRUE(buffer);
    D().SetRenderState(D3DRS_LIGHTING, 0);
    EXPECT_LT(Draw(buffer.get()), 0) << "outside a scene";
    Begin(0xFF102030u);
    struct Case {
        const char* what;
        std::uint32_t triangles, start, stride;
    } const cases[] = {
        {"one triangle too many", 3, 0, sizeof(Vertex)},
        {"start past the end", 2, 1, sizeof(Vertex)},
        {"stride shorter than the vertex", 2, 0, 20},
        {"stride that walks off the end", 2, 0, 40},
        {"count that wraps", 0x55555556u, 0, sizeof(Vertex)},
        {"stride and count whose product overflows", 0x7FFFFFFFu, 0, 0xFFFFFFFFu},
    };
    for (const Case& c : cases) EXPECT_LT(Draw(buffer.get(), c.triangles, c.start, c.stride), 0) << c.what;
    EXPECT_LT(Draw(nullptr), 0) << "no stream";
    D().SetStreamSource(0, buffer.get(), sizeof(Vertex));
    D().SetVertexShader(0x004 | D3DFVF_DIFFUSE);  // pre-transformed positions
    EXPECT_LT(D().DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), 0);
    EXPECT_EQ(Centre(), 0x102030u) << "nothing was drawn";
}

TEST_F(GlDevice, ResetWaitsForTheDefaultPoolAndStartsAfresh) {
    auto buffer = Buffer(Screen(0xFFFFFFFFu));
    D().SetStreamSource(0, buffer.get(), sizeof(Vertex));
    D().SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    buffer.reset();  // still bound: the device holds it
    D3DPRESENT_PARAMETERS pp = Params(32, 24);
    EXPECT_LT(D().Reset(pp), 0);
    D().SetStreamSource(0, nullptr, 0);
    ASSERT_EQ(D().Reset(pp), D3D_OK);
    std::vector<std::uint32_t> pixels;
    int w = 0, h = 0;
    ASSERT_TRUE(gl::ReadBackBuffer(D(), pixels, w, h));
    EXPECT_EQ(w, 32);
    EXPECT_EQ(h, 24);
    // States are Direct3D's defaults again: a counter-clockwise triangle is culled.
    auto fresh = Buffer(Screen(0xFFFFFFFFu));
    std::vector<Vertex> reversed = Screen(0xFFFFFFFFu);
    std::swap(reversed[1], reversed[2]);
    std::swap(reversed[4], reversed[5]);
    auto back = Buffer(reversed);
    ASSERT_EQ(D().BeginScene(), D3D_OK);
    D().Clear(0, D3DCLEAR_TARGET, 0xFF000000u, 1, 0);
    D().SetRenderState(D3DRS_LIGHTING, 0);
    EXPECT_EQ(Draw(back.get()), D3D_OK);
    ASSERT_TRUE(gl::ReadBackBuffer(D(), pixels, w, h));
    EXPECT_EQ(pixels[std::size_t(12) * 32 + 16] & 0xFFFFFFu, 0u);
    D().EndScene();
}

TEST_F(GlDevice, CullModesNameTheWindingAsSeenOnScreen) {
    std::vector<Vertex> anticlockwise = Screen(0xFFFFFFFFu);
    std::swap(anticlockwise[1], anticlockwise[2]);
    std::swap(anticlockwise[4], anticlockwise[5]);
    auto cw = Buffer(Screen(0xFFFFFFFFu)), ccw = Buffer(anticlockwise);
    struct Case {
        std::uint32_t cull;
        bool clockwise, shown;
    } const cases[] = {
        {D3DCULL_CCW, true, true}, {D3DCULL_CCW, false, false}, {D3DCULL_CW, true, false},
        {D3DCULL_CW, false, true}, {D3DCULL_NONE, true, true},  {D3DCULL_NONE, false, true},
    };
    for (const Case& c : cases) {
        Begin();
        D().SetRenderState(D3DRS_LIGHTING, 0);
        D().SetRenderState(D3DRS_CULLMODE, c.cull);
        EXPECT_EQ(Draw(c.clockwise ? cw.get() : ccw.get()), D3D_OK);
        EXPECT_EQ(Centre(), c.shown ? 0xFFFFFFu : 0u) << "cull " << c.cull << " clockwise " << c.clockwise;
    }
}

TEST_F(GlDevice, DepthWritesAndTheDepthTestFollowTheirStates) {
    auto nearRed = Buffer(Screen(0xFFFF0000u, 0.2f)), farGreen = Buffer(Screen(0xFF00FF00u, 0.8f));
    struct Case {
        std::uint32_t zEnable, zWrite;
        std::uint32_t want;
    } const cases[] = {
        {D3DZB_TRUE, 1, 0xFF0000u},   // the near one stays
        {D3DZB_TRUE, 0, 0x00FF00u},   // the near one left no depth behind
        {D3DZB_FALSE, 1, 0x00FF00u},  // no test at all: the last one drawn
    };
    for (const Case& c : cases) {
        Begin();
        D().SetRenderState(D3DRS_LIGHTING, 0);
        D().SetRenderState(D3DRS_ZENABLE, c.zEnable);
        D().SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        D().SetRenderState(kRsZWrite, c.zWrite);
        Draw(nearRed.get());
        D().SetRenderState(kRsZWrite, 1);
        Draw(farGreen.get());
        EXPECT_EQ(Centre(), c.want) << "z " << c.zEnable << " write " << c.zWrite;
    }
    // A clear of the depth buffer works whether or not drawing may write it.
    Begin();
    D().SetRenderState(D3DRS_LIGHTING, 0);
    D().SetRenderState(kRsZWrite, 1);
    Draw(nearRed.get());
    D().SetRenderState(kRsZWrite, 0);
    D().Clear(0, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Draw(farGreen.get());
    EXPECT_EQ(Centre(), 0x00FF00u);
    EXPECT_LT(D().Clear(0, D3DCLEAR_STENCIL, 0, 1.0f, 0), 0) << "there is no stencil buffer";
}

TEST_F(GlDevice, TextureStageOperationsCombineTextureAndDiffuse) {
    gltest::WriteBmp(Path("grey.bmp"), 1, 1, {0xFF808080u});
    std::shared_ptr<IRenderTexture> texture;
    ASSERT_GE(gl::CreateGlTextureLoader()->LoadFromFile(D(), Path("grey.bmp"), texture), 0);
    auto quad = Buffer(Screen(0xFF4080C0u));
    const Rgb diffuse{0x40, 0x80, 0xC0}, texel{0x80, 0x80, 0x80}, product{0x20, 0x40, 0x60};
    struct Case {
        const char* what;
        std::uint32_t op, arg1, arg2;
        bool textured;
        Rgb want;
    } const cases[] = {
        {"modulate", D3DTOP_MODULATE, kTaTexture, kTaCurrent, true, product},
        {"modulate without a texture", D3DTOP_MODULATE, kTaTexture, kTaCurrent, false, diffuse},
        {"texture alone", D3DTOP_SELECTARG1, kTaTexture, kTaCurrent, true, texel},
        {"diffuse alone", D3DTOP_SELECTARG1, kTaDiffuse, kTaTexture, true, diffuse},
        {"second argument", 3, kTaTexture, kTaCurrent, true, diffuse},
        {"disabled stage", D3DTOP_DISABLE, kTaTexture, kTaCurrent, true, diffuse},
    };
    for (const Case& c : cases) {
        Begin();
        D().SetRenderState(D3DRS_LIGHTING, 0);
        D().SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        D().SetTextureStageState(0, kTssColorArg1, c.arg1);
        D().SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
        D().SetTexture(0, c.textured ? texture.get() : nullptr);
        EXPECT_EQ(Draw(quad.get()), D3D_OK);
        EXPECT_TRUE(Near(Centre(), c.want, 1)) << c.what;
    }
    // A bound texture lives while bound, whoever else lets it go.
    D().SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    D().SetTextureStageState(0, kTssColorArg1, kTaTexture);
    D().SetTexture(0, texture.get());
    texture.reset();
    Begin();
    D().SetRenderState(D3DRS_LIGHTING, 0);
    EXPECT_EQ(Draw(quad.get()), D3D_OK);
    EXPECT_TRUE(Near(Centre(), texel, 1));
}

TEST_F(GlDevice, DirectionalLightsUseTheVertexColourAsMaterial) {
    auto quad = Buffer(Screen(0xFFFFFF80u));  // normals toward the viewer, along -z
    const float c60 = 0.5f, s60 = std::sqrt(3.0f) / 2;
    struct Case {
        const char* what;
        bool lighting, enabled;
        D3DVECTOR direction;
        Rgb want;
    } const cases[] = {
        {"head on", true, true, {0, 0, 1}, {191, 191, 96}},
        {"at sixty degrees", true, true, {s60, 0, c60}, {96, 96, 48}},
        {"from behind", true, true, {0, 0, -1}, {0, 0, 0}},
        {"light switched off", true, false, {0, 0, 1}, {0, 0, 0}},
        {"lighting off", false, true, {0, 0, 1}, {255, 255, 128}},
    };
    for (const Case& c : cases) {
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse = {0.75f, 0.75f, 0.75f, 0};
        light.Direction = c.direction;
        ASSERT_EQ(D().SetLight(0, light), D3D_OK);
        D().LightEnable(0, c.enabled);
        Begin();
        D().SetRenderState(D3DRS_LIGHTING, c.lighting ? 1 : 0);
        D().SetRenderState(D3DRS_NORMALIZENORMALS, 1);
        EXPECT_EQ(Draw(quad.get()), D3D_OK);
        EXPECT_TRUE(Near(Centre(), c.want, 2)) << c.what;
    }
    D3DLIGHT8 bad{};
    bad.Type = D3DLIGHT_DIRECTIONAL;  // without a direction
    EXPECT_LT(D().SetLight(1, bad), 0);
}

TEST_F(GlDevice, PresentShowsTheFrameOnlyWhereThereIsAWindow) {
    EXPECT_EQ(D().Present(), D3D_OK);
    EXPECT_EQ(surface_->swaps, 0);
    EXPECT_LT(D().PresentTo(reinterpret_cast<WindowHandle>(1)), 0) << "no other windows here";
    EXPECT_EQ(D().TestCooperativeLevel(), D3D_OK);
    auto windowed = std::make_shared<gltest::OffscreenSurface>(kW, kH, true);
    auto d3d = gl::MakeGlDirect3DCreate(windowed)(120);
    D3DPRESENT_PARAMETERS pp = Params();
    std::shared_ptr<IRenderDevice> device;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, device), D3D_OK);
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_EQ(windowed->swaps, 2);
    EXPECT_LT(device->EndScene(), 0) << "no scene begun";
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_LT(device->BeginScene(), 0) << "already in a scene";
    EXPECT_FALSE(gl::MakeGlDirect3DCreate(nullptr)(120));
}

}  // namespace
}  // namespace vtl
