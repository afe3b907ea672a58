#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "scene/scene.h"
#include "unit/scene/frame_reader.h"
#include "unit/scene/scene_fixture.h"

namespace vtl::scene_test {
namespace {

// A point turned about Z by az degrees, then about X by ax degrees (row vectors, as
// Direct3D turns them).
D3DVECTOR TurnZThenX(D3DVECTOR p, double az, double ax) {
    constexpr double kPi = 3.14159265358979323846;
    const double z = az * kPi / 180, x = ax * kPi / 180;
    const double px = p.x * std::cos(z) - p.y * std::sin(z), py = p.x * std::sin(z) + p.y * std::cos(z);
    return {float(px), float(py * std::cos(x) - p.z * std::sin(x)), float(py * std::sin(x) + p.z * std::cos(x))};
}

void ExpectNear(const D3DVECTOR& got, const D3DVECTOR& want) {
    EXPECT_NEAR(got.x, want.x, 1e-5);
    EXPECT_NEAR(got.y, want.y, 1e-5);
    EXPECT_NEAR(got.z, want.z, 1e-5);
}

TEST_F(SceneTest, DrawSequenceFollowsTheSettings) {
    const std::string head = "begin clear camera tex:background quad.front quad.back tex:none";
    const std::string tail = "end present";
    const std::string skullPlain = "skull.front skull.back";
    const std::string skullShiny = "envmap tex:skullenv skull.front skull.back envmap tex:none";
    const std::string glassesPlain = "glasses.front glasses.back";
    const std::string glassesShiny = "envmap tex:glassesenv glasses.front glasses.back envmap tex:none";
    const struct {
        std::uint32_t glasses, skullReflection, glassesReflection;
        std::string middle;
    } cases[] = {
        {1, 1, 1, skullShiny + " " + glassesShiny},
        {1, 0, 1, skullPlain + " " + glassesShiny},
        {1, 1, 0, skullShiny + " " + glassesPlain},
        {1, 0, 0, skullPlain + " " + glassesPlain},
        {0, 1, 1, skullShiny},  // the glasses' reflection goes with the glasses
        {0, 0, 1, skullPlain},
        {0, 1, 0, skullShiny},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.glasses << c.skullReflection << c.glassesReflection);
        SetSetting(kShowGlasses, c.glasses);
        SetSetting(kReflectionOnSkull, c.skullReflection);
        SetSetting(kReflectionOnGlasses, c.glassesReflection);
        Scene& s = MakeScene();
        s.RenderFrame();
        EXPECT_EQ(FrameReader(s).Events(log()), head + " " + c.middle + " " + tail);
    }
}

TEST_F(SceneTest, FirstFramePlacesCameraBackgroundSkullAndGlasses) {
    Scene& s = MakeScene();
    s.RenderFrame();
    EXPECT_EQ(s.RotationAngle, -90.9f);

    const FrameReader frame(s);
    const D3DVECTOR x{1, 0, 0}, origin{0, 0, 0};
    ExpectNear(Apply(origin, frame.WorldAt(log(), "quad.front")), {0, 0, -1.24f});
    ExpectNear(Apply(x, frame.WorldAt(log(), "skull.front")), TurnZThenX(x, -90.9f, -80));
    const D3DMATRIX glasses = frame.WorldAt(log(), "glasses.front");
    // Scaled and moved in the glasses' own frame, then turned with the skull a quarter
    // turn further.
    ExpectNear(Apply(origin, glasses), TurnZThenX({0, -0.034f, 0.25f}, -0.9f, -80));
    ExpectNear(Apply({1, 1, 1}, glasses), TurnZThenX({0.37f, 0.37f - 0.034f, 0.4f + 0.25f}, -0.9f, -80));

    // The camera looks from (0, 0, 1.44) at the origin: the origin lies 1.44 ahead.
    for (const RecordedCall& c : log().Calls())
        if (c.name == "SetTransform" && c.args[0] == D3DTS_VIEW) ExpectNear(Apply(origin, c.matrix), {0, 0, 1.44f});
    EXPECT_EQ(log().Texts({"Clear"}), std::vector<std::string>{"Clear(0,3,0,1,0)"});
}

TEST_F(SceneTest, WithoutRendererTheSkullStillTurnsButNothingIsDrawn) {
    noDirect3D = true;
    Scene& s = MakeScene();
    for (int i = 0; i < 3; ++i) s.RenderFrame();
    EXPECT_EQ(s.RotationAngle, -90.0f - 0.9f - 0.9f - 0.9f);
    EXPECT_TRUE(log().Calls().empty());
    EXPECT_EQ(s.FramesSinceUpdate, 0u);
}

TEST_F(SceneTest, TheTurnKeepsGoingOnLongRuns) {
    SetSetting(kSpeed, 11);
    noDirect3D = true;
    Scene& s = MakeScene();
    // Within the first turn every angle is the plain single-precision subtraction.
    float plain = kInitialRotationAngle;
    for (int i = 0; i < 150; ++i) {
        s.RenderFrame();
        plain -= 1.65f;
        ASSERT_EQ(s.RotationAngle, plain) << i;
    }
    // A float that kept growing would have lost the 1.65 degree step to its rounding
    // long before 25 million frames (a few hours at the fastest timer).
    for (int i = 0; i < 25'000'000; ++i) s.RenderFrame();
    const float before = s.RotationAngle;
    s.RenderFrame();
    EXPECT_GT(before, -360.0f);
    EXPECT_LT(before, 360.0f);
    const float moved = before - s.RotationAngle;
    EXPECT_NEAR(std::fmod(moved + 360.0f, 360.0f), 1.65f, 1e-3f);
}

TEST_F(SceneTest, OverlayShowsRateAndTimeAfterTheFirstSecondAcrossATickWrap) {
    const std::uint32_t starts[] = {0, 5000, 0xFFFFFF00u, 0xFFFFFFFFu, 0xFFFFFC18u};
    for (std::uint32_t start : starts) {
        SCOPED_TRACE(start);
        SetSetting(kShowFPS, 1);
        SetSetting(kShowActivityTime, 1);
        clock.now = start;
        Scene& s = MakeScene();
        const FrameReader frame(s);
        // A steady 50 frames per second: the frame at 1000 ms is not yet past the second.
        for (int i = 1; i <= 50; ++i) {
            clock.now = start + 20u * static_cast<std::uint32_t>(i);
            s.RenderFrame();
        }
        EXPECT_EQ(frame.Count(log(), "font"), 0u);
        EXPECT_EQ(s.FramesSinceUpdate, 50u);

        log().Clear();
        clock.now = start + 1020u;
        s.RenderFrame();
        EXPECT_EQ(s.FpsText, "50.00 fps");
        EXPECT_EQ(s.ActivityText, "0.01");
        EXPECT_EQ(s.FramesSinceUpdate, 0u);
        EXPECT_EQ(s.LastUpdateTick, start + 1020u);
        EXPECT_EQ(frame.Count(log(), "font"), std::string("50.00 fps0.01").size());
        // The lines lie over the models, inside the frame.
        const std::string events = frame.Events(log());
        EXPECT_LT(events.find("glasses.back"), events.find("font"));
        EXPECT_GT(events.rfind("end present"), events.rfind("font"));
        // The frame-rate line starts one glyph pitch left of its origin near the top.
        ExpectNear(Apply({0, 0, 0}, frame.WorldAt(log(), "font")), {0.98f - 0.28f * 0.12f, 0.72f, 0});
    }
}

TEST_F(SceneTest, OverlayCountsEachSecondAndUsesTheLocaleSeparator) {
    SetSetting(kShowFPS, 1);
    decimalSeparator = ",";
    Scene& s = MakeScene();
    const FrameReader frame(s);
    std::uint32_t now = 0;
    for (int second = 1; second <= 61; ++second) {
        log().Clear();
        for (int i = 0; i < 25; ++i) {  // 25 frames 41 ms apart: the 25th passes 1000 ms
            now += 41;
            clock.now = now;
            s.RenderFrame();
        }
        ASSERT_EQ(s.ActivitySeconds, static_cast<std::uint32_t>(second));
    }
    EXPECT_EQ(s.FpsText, "24,39 fps");
    EXPECT_EQ(s.ActivityText, "1.01");
    log().Clear();
    s.RenderFrame();
    // Only the frame-rate line is enabled.
    EXPECT_EQ(frame.Count(log(), "font"), std::string("24,39 fps").size());
}

TEST_F(SceneTest, NoNumberFontNoOverlayLines) {
    WritePack(PackWithout(kNumFontFile));
    SetSetting(kShowFPS, 1);
    SetSetting(kShowActivityTime, 1);
    SetSetting(kSpeed, 0);
    Scene& s = MakeScene();
    for (std::uint32_t t = 20; t <= 3000; t += 20) {
        clock.now = t;
        s.RenderFrame();
    }
    // The texts are kept up to date, the skull stands still, and nothing is written.
    EXPECT_EQ(s.ActivityText, "0.02");
    EXPECT_EQ(s.FpsText, "50.00 fps");
    EXPECT_EQ(s.RotationAngle, kInitialRotationAngle);
    EXPECT_EQ(log().Count("Lock"), 0u);
}

TEST_F(SceneTest, TheSaversOneSceneIsMadeBySetupScene) {
    SetupScene(Services(), kWindow, 1024, 768);
    ASSERT_NE(CurrentScene(), nullptr);
    log().Clear();
    RenderSceneFrame();
    EXPECT_EQ(CurrentScene()->RotationAngle, -90.9f);
    EXPECT_EQ(log().Count("Present"), 1u);
    EXPECT_TRUE(quitCodes.empty());

    ReleaseScene();
    EXPECT_EQ(CurrentScene(), nullptr);
    log().Clear();
    RenderSceneFrame();
    EXPECT_EQ(log().Count("Present"), 0u);
}

// A device lost (the screen locked, a remote session): no frame is drawn while it
// cannot be brought back, and the skull turns on; once it can, it is reset and the
// frames come again, without a restart of the saver.
TEST_F(SceneTest, ALostDeviceIsBroughtBackAndTheFramesComeAgain) {
    SetupScene(Services(), kWindow, 1024, 768);
    Scene& s = *CurrentScene();
    log().FailCall("Present", D3DERR_DEVICELOST);
    s.RenderFrame();
    log().Clear();
    log().ClearFailures();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICELOST);
    const float before = s.RotationAngle;
    for (int i = 0; i < 3; ++i) s.RenderFrame();
    EXPECT_EQ(log().Count("TestCooperativeLevel"), 3u);
    EXPECT_EQ(log().Count("BeginScene"), 0u) << "a frame drawn on a lost device";
    EXPECT_NE(s.RotationAngle, before);

    log().Clear();
    log().ClearFailures();
    log().FailCall("TestCooperativeLevel", D3DERR_DEVICENOTRESET);
    s.RenderFrame();
    EXPECT_EQ(log().Count("Reset"), 1u);
    EXPECT_EQ(log().Count("Present"), 1u);
    // Its meshes are back: the skull is drawn again.
    EXPECT_GE(log().Count("DrawPrimitive"), 2u);

    log().Clear();
    log().ClearFailures();
    s.RenderFrame();  // the device is well: no more asking
    EXPECT_EQ(log().Count("TestCooperativeLevel"), 0u);
    EXPECT_EQ(log().Count("Present"), 1u);
    ReleaseScene();
}

}  // namespace
}  // namespace vtl::scene_test
