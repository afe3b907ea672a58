#include <algorithm>
#include <cmath>
#include <cstring>

#include "e3d_fixture.h"

namespace vtl {
namespace {

using testing::RendererTest;
using testing::TransformPoint;
using Texts = std::vector<std::string>;

bool SameMatrix(const D3DMATRIX& a, const D3DMATRIX& b, float tol = 1e-6f) {
    for (int i = 0; i < 16; ++i)
        if (std::fabs(a.m[i / 4][i % 4] - b.m[i / 4][i % 4]) > tol) return false;
    return true;
}

TEST_F(RendererTest, InitCreatesTheSharedObjectForSdk120) {
    EXPECT_EQ(sdkVersion, 120u);
    SetDirect3DCreate([](std::uint32_t) { return std::shared_ptr<IRenderD3D>(); });
    EXPECT_EQ(InitDirect3D(1), kErrNoDirect3D);
    EXPECT_FALSE(CreateRenderInfo(nullptr, 1024, 768, kVertexProcessingHardware));
}

TEST_F(RendererTest, InitWithOtherModeDropsTheObjectAndDeviceCreationStops) {
    EXPECT_EQ(InitDirect3D(0), 0);
    EXPECT_FALSE(CreateRenderInfo(nullptr, 1024, 768, kVertexProcessingHardware));
    EXPECT_TRUE(log().Calls().empty());
    // An existing renderer keeps its own reference.
    EXPECT_EQ(R()->D3D, d3d);
}

TEST_F(RendererTest, CreateRenderInfoSetsUpTheDevice) {
    auto r = CreateRenderInfo(reinterpret_cast<WindowHandle>(0x77), 1024, 768, kVertexProcessingHardware);
    ASSERT_TRUE(r);
    EXPECT_EQ(log().Texts(), (Texts{"GetAdapterDisplayMode(0)", "CreateDevice(0,1,64)", "SetRenderState(143,1)",
                                    "SetLight(0)", "LightEnable(0,1)"}));
    EXPECT_EQ(d3d->LastFocusWindow(), reinterpret_cast<WindowHandle>(0x77));
    EXPECT_EQ(r->D3D, d3d);
    EXPECT_EQ(r->Device, d3d->LastDevice());

    const D3DPRESENT_PARAMETERS& pp = d3d->LastPresentParameters();
    EXPECT_EQ(pp.BackBufferWidth, 0u);
    EXPECT_EQ(pp.BackBufferHeight, 0u);
    EXPECT_EQ(pp.BackBufferFormat, D3DFMT_X8R8G8B8);  // the display mode's format
    EXPECT_EQ(pp.BackBufferCount, 0u);
    EXPECT_EQ(pp.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(pp.SwapEffect, D3DSWAPEFFECT_DISCARD);
    EXPECT_EQ(pp.hDeviceWindow, nullptr);
    EXPECT_EQ(pp.Windowed, 1);
    EXPECT_EQ(pp.EnableAutoDepthStencil, 1);
    EXPECT_EQ(pp.AutoDepthStencilFormat, D3DFMT_D16);
    EXPECT_EQ(pp.Flags, 0u);
    EXPECT_EQ(pp.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(pp.FullScreen_PresentationInterval, 0u);

    const D3DLIGHT8& light = log().Calls()[3].light;
    D3DLIGHT8 want{};
    want.Type = D3DLIGHT_DIRECTIONAL;
    want.Diffuse = {0.75f, 0.75f, 0.75f, 0.0f};
    want.Direction = {0, 0, -1};
    EXPECT_EQ(std::memcmp(&light, &want, sizeof want), 0);
}

TEST_F(RendererTest, AScreenWithoutSizeGetsNoRendererAndNoDevice) {
    for (auto size : {std::pair{0, 768}, std::pair{1024, 0}, std::pair{-1024, 768}, std::pair{0, 0}}) {
        log().Clear();
        EXPECT_FALSE(CreateRenderInfo(nullptr, size.first, size.second, kVertexProcessingHardware))
            << size.first << "x" << size.second;
        EXPECT_TRUE(log().Calls().empty());
    }
}

TEST_F(RendererTest, BackBufferFollowsTheDisplayFormat) {
    d3d->SetDisplayMode({800, 600, 60, D3DFMT_R5G6B5});
    ASSERT_TRUE(CreateRenderInfo(nullptr, 800, 600, kVertexProcessingHardware));
    EXPECT_EQ(d3d->LastPresentParameters().BackBufferFormat, D3DFMT_R5G6B5);
}

TEST_F(RendererTest, VertexProcessingChoosesTheBehaviourFlags) {
    struct Case {
        int processing;
        const char* create;
    };
    const Case cases[] = {{1, "CreateDevice(0,1,32)"},
                          {2, "CreateDevice(0,1,64)"},
                          {3, "CreateDevice(0,1,32)"},
                          {0, nullptr},
                          {4, nullptr}};
    for (const Case& c : cases) {
        log().Clear();
        auto r = CreateRenderInfo(nullptr, 1024, 768, c.processing);
        EXPECT_EQ(bool(r), c.create != nullptr) << c.processing;
        EXPECT_EQ(log().Count("GetAdapterDisplayMode"), 1u);
        if (c.create) {
            EXPECT_EQ(log().Texts({"CreateDevice"}), Texts{c.create});
        } else {
            EXPECT_EQ(log().Count("CreateDevice"), 0u);
        }
    }
}

TEST_F(RendererTest, AspectIsHeightOverWidth) {
    struct Case {
        int w, h;
        float aspect;
    };
    for (const Case& c : {Case{1280, 1024, 0.8f}, Case{1024, 768, 0.75f}, Case{640, 480, 0.75f}}) {
        auto r = CreateRenderInfo(nullptr, c.w, c.h, kVertexProcessingSoftware);
        ASSERT_TRUE(r);
        EXPECT_EQ(r->Aspect, c.aspect) << c.w;
    }
}

TEST_F(RendererTest, CreateRenderInfoFailuresYieldNothingAndKeepTheSharedObject) {
    for (const char* failing : {"GetAdapterDisplayMode", "CreateDevice"}) {
        log().FailCall(failing);
        log().Clear();
        EXPECT_FALSE(CreateRenderInfo(nullptr, 1024, 768, kVertexProcessingHardware)) << failing;
        EXPECT_EQ(log().Count("SetRenderState"), 0u);
        if (std::string(failing) == "GetAdapterDisplayMode") {
            EXPECT_EQ(log().Count("CreateDevice"), 0u);
        }
        log().ClearFailures();
        EXPECT_TRUE(CreateRenderInfo(nullptr, 1024, 768, kVertexProcessingHardware)) << failing;
    }
}

TEST_F(RendererTest, FrameOperationsWithoutRendererReportTheirCodes) {
    EXPECT_EQ(BeginFrame(nullptr), kErrBeginNoRenderer);
    EXPECT_EQ(EndFrame(nullptr), kErrEndNoRenderer);
    EXPECT_EQ(ClearFrame(nullptr, 0), kErrClearNoRenderer);
    EXPECT_EQ(SetCamera(nullptr, 0, 0, 1, 0, 0, 0), 0);
    ResetWorld(nullptr);
    TranslateWorld(nullptr, 1, 2, 3);
    RotateWorldDeg(nullptr, 1, 2, 3);
    EXPECT_TRUE(log().Calls().empty());
}

TEST_F(RendererTest, FrameProtocol) {
    EXPECT_EQ(BeginFrame(R()), 0);
    EXPECT_EQ(ClearFrame(R(), 0x00123456), 0);
    EXPECT_EQ(EndFrame(R()), 0);
    EXPECT_EQ(log().Texts(), (Texts{"BeginScene()", "SetRenderState(7,1)", "SetRenderState(143,1)",
                                    "SetRenderState(23,4)", "Clear(0,3,1193046,1,0)", "EndScene()", "Present()"}));
}

// Other monitors' windows show each frame too, from a back buffer that is kept (copy)
// rather than discarded, before the scene's own window; a mirror that fails does not
// fail the frame.
TEST_F(RendererTest, AKeptBackBufferIsPresentedToEveryMirrorAndThenTheScenesWindow) {
    auto mirrored = CreateRenderInfo(nullptr, 1024, 768, kVertexProcessingHardware, true);
    ASSERT_TRUE(mirrored);
    EXPECT_EQ(d3d->LastPresentParameters().SwapEffect, D3DSWAPEFFECT_COPY);
    mirrored->MirrorWindows = {reinterpret_cast<WindowHandle>(0x21), reinterpret_cast<WindowHandle>(0x22)};
    log().Clear();
    log().FailCall("PresentTo");  // the first mirror's window went with its monitor
    ASSERT_EQ(BeginFrame(mirrored.get()), 0);
    EXPECT_EQ(EndFrame(mirrored.get()), 0);
    EXPECT_EQ(log().Texts({"Present", "PresentTo"}), (Texts{"PresentTo(33)", "PresentTo(34)", "Present()"}));

    // A discarding renderer never shows mirrors: its back buffer is undefined after
    // the first present.
    R()->MirrorWindows = {reinterpret_cast<WindowHandle>(0x21)};
    log().Clear();
    log().ClearFailures();
    ASSERT_EQ(BeginFrame(R()), 0);
    EXPECT_EQ(EndFrame(R()), 0);
    EXPECT_EQ(log().Count("PresentTo"), 0u);
    R()->MirrorWindows.clear();
}

TEST_F(RendererTest, FrameFailuresReportTheirCodes) {
    struct Case {
        const char* failing;
        int begin, end;
        Texts calls;
    };
    const Case cases[] = {
        // The frame is still ended, and the device refuses to end a scene it never began.
        {"BeginScene", kErrBeginScene, kErrEndScene, {"BeginScene()", "EndScene()"}},
        {"EndScene",
         0,
         kErrEndScene,
         {"BeginScene()", "SetRenderState(7,1)", "SetRenderState(143,1)", "SetRenderState(23,4)", "EndScene()"}},
        {"Present",
         0,
         kErrPresent,
         {"BeginScene()", "SetRenderState(7,1)", "SetRenderState(143,1)", "SetRenderState(23,4)", "EndScene()",
          "Present()"}},
        // The clear's own result is not a frame failure.
        {"Clear",
         0,
         0,
         {"BeginScene()", "SetRenderState(7,1)", "SetRenderState(143,1)", "SetRenderState(23,4)", "EndScene()",
          "Present()"}},
    };
    for (const Case& c : cases) {
        log().Clear();
        log().ClearFailures();
        log().FailCall(c.failing);
        EXPECT_EQ(BeginFrame(R()), c.begin) << c.failing;
        EXPECT_EQ(ClearFrame(R(), 0), 0);
        EXPECT_EQ(EndFrame(R()), c.end) << c.failing;
        Texts calls = log().Texts();
        calls.erase(
            std::remove_if(calls.begin(), calls.end(), [](const std::string& t) { return t.rfind("Clear", 0) == 0; }),
            calls.end());
        EXPECT_EQ(calls, c.calls) << c.failing;
    }
}

TEST_F(RendererTest, SetCameraSetsViewThenProjection) {
    EXPECT_EQ(SetCamera(R(), 0, 0, 1.44f, 0, 0, 0), 0);
    EXPECT_EQ(log().Texts(), (Texts{"SetTransform(2)", "SetTransform(3)"}));
    D3DMATRIX view, projection;
    ASSERT_EQ(MakeLookAtMatrix(view, MakeVector(0, 0, 1.44f), MakeVector(0, 0, 0), MakeVector(0, 1, 0)), 0);
    ASSERT_EQ(MakePerspectiveMatrix(projection, 1.0f, 0.75f, 0.1f, 100.0f), 0);
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_VIEW), view, 0));
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_PROJECTION), projection, 0));
}

TEST_F(RendererTest, CameraOnItsTargetKeepsThePreviousView) {
    SetCamera(R(), 0, 0, 1.44f, 0, 0, 0);
    const D3DMATRIX before = device->Transform(D3DTS_VIEW);
    log().Clear();
    EXPECT_EQ(SetCamera(R(), 1, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(log().Texts(), Texts{"SetTransform(3)"});
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_VIEW), before, 0));
}

TEST_F(RendererTest, WorldOperationsComposeOnTheLeft) {
    ResetWorld(R());
    RotateWorld(R(), 0, 0, 0);
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_WORLD), kIdentityMatrix, 0));

    ResetWorld(R());
    TranslateWorld(R(), 1, -2, 3);
    const D3DMATRIX composed = device->Transform(D3DTS_WORLD);
    SetWorldTranslation(R(), 1, -2, 3);
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_WORLD), composed, 0));

    ResetWorld(R());
    RotateWorldDeg(R(), 90, 0, 0);
    const D3DVECTOR p = TransformPoint({0, 1, 0}, device->Transform(D3DTS_WORLD));
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, 0, 1e-6);
    EXPECT_NEAR(p.z, 1, 1e-6);
}

TEST_F(RendererTest, LastWorldOperationActsFirst) {
    // Reset, rotate, translate, scale places v at v x S x T x Rz x Ry x Rx.
    ResetWorld(R());
    RotateWorldDeg(R(), 30, 40, 50);
    TranslateWorld(R(), 0.5f, -1, 2);
    ScaleWorld(R(), 2, 3, 4);
    const D3DMATRIX want = MatrixMultiply(
        MatrixMultiply(MatrixMultiply(MatrixMultiply(MakeScaleMatrix(2, 3, 4), MakeTranslationMatrix(0.5f, -1, 2)),
                                      MakeRotationZMatrix(DegToRad(50))),
                       MakeRotationYMatrix(DegToRad(40))),
        MakeRotationXMatrix(DegToRad(30)));
    EXPECT_TRUE(SameMatrix(device->Transform(D3DTS_WORLD), want, 1e-5f));
}

TEST_F(RendererTest, ComposingCostsOneReadAndOneWrite) {
    ResetWorld(R());
    log().Clear();
    TranslateWorld(R(), 1, 2, 3);
    ScaleWorld(R(), 1, 2, 3);
    RotateWorld(R(), 1, 2, 3);
    EXPECT_EQ(log().Texts(), (Texts{"GetTransform(256)", "SetTransform(256)", "GetTransform(256)", "SetTransform(256)",
                                    "GetTransform(256)", "SetTransform(256)"}));
}

TEST(DegToRad, IsSinglePrecisionRadians) {
    EXPECT_EQ(DegToRad(180), 3.14159265f);
    EXPECT_EQ(DegToRad(-90), -1.57079633f);
    EXPECT_EQ(DegToRad(0), 0.0f);
}

}  // namespace
}  // namespace vtl
