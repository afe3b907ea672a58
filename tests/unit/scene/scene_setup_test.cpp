#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "pack/packlib.h"
#include "platform/errors.h"
#include "scene/scene.h"
#include "unit/scene/scene_fixture.h"

namespace vtl::scene_test {
namespace {

using Codes = std::vector<int>;

// A renderer whose hardware vertex processing is refused, as on a machine without it.
class NoHardwareDirect3D : public IRenderD3D {
public:
    explicit NoHardwareDirect3D(std::shared_ptr<RecordingDirect3D> inner) : inner_(std::move(inner)) {}
    HResult GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) override {
        return inner_->GetAdapterDisplayMode(adapter, mode);
    }
    HResult CreateDevice(std::uint32_t adapter, std::uint32_t type, WindowHandle window, std::uint32_t flags,
                         D3DPRESENT_PARAMETERS& params, std::shared_ptr<IRenderDevice>& device) override {
        flagsTried.push_back(flags);
        if (flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) return D3DERR_NOTAVAILABLE;
        return inner_->CreateDevice(adapter, type, window, flags, params, device);
    }
    std::vector<std::uint32_t> flagsTried;

private:
    std::shared_ptr<RecordingDirect3D> inner_;
};

TEST_F(SceneTest, SetupFailuresBecomeQuitRequestsAndSetupGoesOn) {
    enum Variant { complete, noD3D, noDevice, missing, undecodable, foreignPack };
    const struct {
        const char* what;
        Variant variant;
        const char* file;  // the asset concerned
        Codes codes;
        bool skull, glasses, font;  // which optional assets exist afterwards
    } cases[] = {
        {"complete pack", complete, "", {}, true, true, true},
        {"no Direct3D", noD3D, "", {1, 3, 4, 5}, false, false, false},
        {"no device of either kind", noDevice, "", {1, 3, 4, 5}, false, false, false},
        {"background missing", missing, kBackgroundPictureFile, {3}, true, true, true},
        {"background not decodable", undecodable, kBackgroundPictureFile, {3}, true, true, true},
        {"environment map missing", missing, kEnvironmentMapFile, {4, 5}, true, true, true},
        {"environment map not decodable", undecodable, kEnvironmentMapFile, {4, 5}, true, true, true},
        {"pack of another kind", foreignPack, "", {3, 4, 5}, false, false, false},
        {"no skull mesh", missing, kSkullMeshFile, {}, false, true, true},
        {"no glasses mesh", missing, kGlassesMeshFile, {}, true, false, true},
        {"no number font", missing, kNumFontFile, {}, true, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        if (c.variant == noD3D) noDirect3D = true;
        if (c.variant == noDevice) d3d->Log().FailCall("CreateDevice");
        if (c.variant == missing) WritePack(PackWithout(c.file));
        if (c.variant == undecodable) loader->refused.insert(c.file);
        if (c.variant == foreignPack) {
            test::PackBytes bytes = test::PackBytes::Of(FullPack());
            bytes.b[0] = 'v';
            bytes.WriteTo((dir / "install" / kScenePackName).string());
        }
        quitCodes.clear();

        Scene& s = MakeScene();

        EXPECT_EQ(quitCodes, c.codes);
        EXPECT_EQ(s.Renderer != nullptr, c.variant != noD3D && c.variant != noDevice);
        EXPECT_EQ(s.SkullMesh != nullptr, c.skull);
        EXPECT_EQ(s.GlassesMesh != nullptr, c.glasses);
        EXPECT_EQ(s.NumFont != nullptr, c.font);
        const bool backgroundFailed = std::find(c.codes.begin(), c.codes.end(), 3) != c.codes.end();
        EXPECT_EQ(s.BackgroundTexture == nullptr, backgroundFailed);
        EXPECT_FALSE(std::filesystem::exists(s.ScratchFolder)) << s.ScratchFolder;
    }
}

TEST_F(SceneTest, NoDeviceTriesHardwareThenSoftwareVertexProcessing) {
    auto d3dNoHardware = std::make_shared<NoHardwareDirect3D>(d3d);
    SceneServices services = Services();
    services.direct3DCreate = [&](std::uint32_t) { return d3dNoHardware; };
    Scene s(services);
    s.Setup(kWindow, 800, 600);

    EXPECT_EQ(d3dNoHardware->flagsTried, (std::vector<std::uint32_t>{0x40, 0x20}));
    ASSERT_TRUE(s.Renderer);
    EXPECT_EQ(d3d->LastFocusWindow(), kWindow);
    EXPECT_FLOAT_EQ(s.Renderer->Aspect, 0.75f);
    EXPECT_TRUE(quitCodes.empty());
}

TEST_F(SceneTest, AssetsAreLoadedFromTheUnpackedPackWhichIsGoneBeforeTheFirstFrame) {
    Scene& s = MakeScene();

    ASSERT_FALSE(s.ScratchFolder.empty());
    EXPECT_EQ(std::filesystem::path(s.ScratchFolder).filename().string(), kScratchFolderName);
    ASSERT_EQ(loader->loads.size(), 4u);  // background, two environment maps, font
    for (const auto& load : loader->loads) {
        EXPECT_TRUE(load.existed) << load.file;
        EXPECT_EQ(std::filesystem::path(load.file).parent_path(), std::filesystem::path(s.ScratchFolder));
    }
    // The two reflections are separate texture objects of the same picture.
    ASSERT_TRUE(s.SkullReflection && s.GlassesReflection);
    EXPECT_NE(s.SkullReflection->Texture, s.GlassesReflection->Texture);
    EXPECT_FALSE(std::filesystem::exists(s.ScratchFolder));
    EXPECT_TRUE(quitCodes.empty());
}

TEST_F(SceneTest, NoScratchFolderQuitsAndLoadsNothing) {
    SceneServices services = Services();
    services.unpack = [](const std::string&) { return std::string(); };
    Scene s(services);
    s.Setup(kWindow, 1024, 768);

    EXPECT_EQ(quitCodes, (Codes{2, 3, 4, 5}));
    EXPECT_TRUE(s.Renderer);
    EXPECT_TRUE(s.BackgroundQuad);  // built in code, needs no file
    EXPECT_TRUE(loader->loads.empty());
}

TEST_F(SceneTest, AnUnreadablePackIsAnErrorNotAQuit) {
    std::filesystem::remove(dir / "install" / kScenePackName);
    EXPECT_THROW(MakeScene(), EFOpenError);
    EXPECT_TRUE(quitCodes.empty());
}

TEST_F(SceneTest, TheProgramFolderServesWhenTheInstallFolderLacksThePack) {
    std::filesystem::rename(dir / "install" / kScenePackName, dir / "program" / kScenePackName);
    Scene& s = MakeScene();
    EXPECT_TRUE(quitCodes.empty());
    EXPECT_TRUE(s.SkullMesh);
}

TEST_F(SceneTest, SettingsAsStored) {
    const struct {
        const char* what;
        const SettingDef* setting;
        std::uint32_t stored;
        bool showGlasses, reflectionOnSkull, reflectionOnGlasses, showFps, showActivityTime;
        float step;
    } cases[] = {
        {"defaults", nullptr, 0, true, true, true, false, false, 0.9f},
        {"glasses 256 reads as off", &kShowGlasses, 256, false, true, true, false, false, 0.9f},
        {"glasses 2 reads as on", &kShowGlasses, 2, true, true, true, false, false, 0.9f},
        {"skull reflection off", &kReflectionOnSkull, 0, true, false, true, false, false, 0.9f},
        {"glasses reflection off", &kReflectionOnGlasses, 0, true, true, false, false, false, 0.9f},
        {"frame rate shown", &kShowFPS, 1, true, true, true, true, false, 0.9f},
        {"activity time shown", &kShowActivityTime, 0x101, true, true, true, false, true, 0.9f},
        {"speed 0 stands still", &kSpeed, 0, true, true, true, false, false, 0.0f},
        {"speed 1", &kSpeed, 1, true, true, true, false, false, 0.15f},
        {"speed 11", &kSpeed, 11, true, true, true, false, false, 1.65f},
        {"negative speed turns the other way", &kSpeed, static_cast<std::uint32_t>(-4), true, true, true, false, false,
         -0.6f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        registry = FakeRegistry();
        if (c.setting) SetSetting(*c.setting, c.stored);
        Scene& s = MakeScene();
        EXPECT_EQ(s.ShowGlasses, c.showGlasses);
        EXPECT_EQ(s.ReflectionOnSkull, c.reflectionOnSkull);
        EXPECT_EQ(s.ReflectionOnGlasses, c.reflectionOnGlasses);
        EXPECT_EQ(s.ShowFPS, c.showFps);
        EXPECT_EQ(s.ShowActivityTime, c.showActivityTime);
        EXPECT_EQ(s.RotationStep, c.step);
        EXPECT_EQ(s.RotationAngle, kInitialRotationAngle);
    }
}

TEST_F(SceneTest, SetupStartsTheOverlayClock) {
    clock.now = 123456;
    Scene& s = MakeScene();
    EXPECT_EQ(s.LastUpdateTick, 123456u);
    EXPECT_EQ(s.ActivitySeconds, 0u);
    EXPECT_EQ(s.FramesSinceUpdate, 0u);
    EXPECT_TRUE(s.FpsText.empty());
    EXPECT_TRUE(s.ActivityText.empty());
}

}  // namespace
}  // namespace vtl::scene_test
