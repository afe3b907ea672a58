#include "scene/scene.h"

#include <cmath>
#include <utility>

#include "pack/packlib.h"
#include "scene/scene_overlay.h"
#include "settings/settingsstore.h"

namespace vtl {

namespace {

constexpr double kDegreesPerSpeedUnit = 0.15;
constexpr float kFullTurn = 360.0f;

constexpr D3DCOLOR kClearColor = 0x00000000u;
constexpr D3DCOLOR kQuadColor = 0x00FFFFFFu;
constexpr int kQuadShape = 1;

constexpr float kOverlaySize = 6.0f;
constexpr float kOverlayX = 0.98f;
constexpr float kFpsLineY = 0.72f;
constexpr float kActivityLineY = -0.78f;
constexpr std::uint32_t kOverlayPeriodMs = 1000;

std::unique_ptr<Scene>& SceneSlot() {
    static std::unique_ptr<Scene> scene;
    return scene;
}

}  // namespace

float NextRotationAngle(float angle, float step) {
    const float next = angle - step;
    // fmod is exact, so a turn that stays inside one revolution is left bit for bit.
    if (std::isfinite(next) && (next <= -kFullTurn || next >= kFullTurn)) return std::fmod(next, kFullTurn);
    return next;
}

Scene::Scene(SceneServices services)
    : services_(std::move(services)), decimalSeparator_(DecimalSeparatorOf(services_.decimalSeparator)) {}

void Scene::Setup(WindowHandle window, std::int32_t width, std::int32_t height) {
    ReadSettings();
    CreateRenderer(window, width, height);

    ScratchFolder = services_.unpack
                        ? services_.unpack(kScenePackName)
                        : UnpackToTemp(kScenePackName, *services_.folders,
                                       services_.programFolder.empty() ? ExecutableFolder() : services_.programFolder);
    if (ScratchFolder.empty()) Quit(kQuitNoScratchFolder);

    try {
        LoadAssets();
    } catch (...) {
        // The files are of no use once setup has failed; leave nothing on disk.
        if (!ScratchFolder.empty()) ClearFolder(ScratchFolder);
        throw;
    }

    LastUpdateTick = services_.clock->TickCount();
    ActivitySeconds = 0;
    // Every asset is on the device now. An empty path must never reach ClearFolder:
    // it would name the root of the current drive.
    if (!ScratchFolder.empty()) ClearFolder(ScratchFolder);
}

void Scene::ReadSettings() {
    IRegistry& registry = *services_.registry;
    ShowGlasses = ReadSettingBool(registry, kShowGlasses);
    ReflectionOnSkull = ReadSettingBool(registry, kReflectionOnSkull);
    ReflectionOnGlasses = ReadSettingBool(registry, kReflectionOnGlasses);
    const std::int32_t speed = ReadSetting(registry, kSpeed);
    ShowFPS = ReadSettingBool(registry, kShowFPS);
    ShowActivityTime = ReadSettingBool(registry, kShowActivityTime);
    RotationStep = static_cast<float>(speed * kDegreesPerSpeedUnit);
}

void Scene::CreateRenderer(WindowHandle window, std::int32_t width, std::int32_t height) {
    if (services_.direct3DCreate) SetDirect3DCreate(services_.direct3DCreate);
    if (services_.textureLoader) SetTextureLoader(services_.textureLoader);
    // A failure here shows as no device below.
    InitDirect3D(1);
    Renderer = CreateRenderInfo(window, width, height, kVertexProcessingHardware, services_.mirrored);
    if (!Renderer) Renderer = CreateRenderInfo(window, width, height, kVertexProcessingSoftware, services_.mirrored);
    if (!Renderer) Quit(kQuitNoRenderer);
}

std::string Scene::AssetPath(const char* name) const { return JoinPath(ScratchFolder, name); }

void Scene::LoadAssets() {
    TRenderInfo* R = Renderer.get();
    // Without a scratch folder there are no files to load: a name alone would be looked
    // up in whatever folder is current.
    const bool haveFiles = !ScratchFolder.empty();

    BackgroundQuad = CreateQuadMesh(R, true, kQuadColor, kQuadShape);
    if (haveFiles) {
        SkullMesh = CreateMeshInfo(AssetPath(kSkullMeshFile), R, true, kSkullColor);
        GlassesMesh = CreateMeshInfo(AssetPath(kGlassesMeshFile), R, true, kGlassesColor);
        BackgroundTexture = CreateTextureInfo(AssetPath(kBackgroundPictureFile), R);
    }
    if (!BackgroundTexture) Quit(kQuitNoBackground);
    if (haveFiles) SkullReflection = CreateTextureInfo(AssetPath(kEnvironmentMapFile), R);
    if (!SkullReflection) Quit(kQuitNoSkullReflection);
    if (haveFiles) GlassesReflection = CreateTextureInfo(AssetPath(kEnvironmentMapFile), R);
    if (!GlassesReflection) Quit(kQuitNoGlassesReflection);
    // Without the font the overlay lines are simply not drawn.
    if (haveFiles) NumFont = CreateNumFont(AssetPath(kNumFontFile), R);
}

void Scene::Quit(int code) {
    if (services_.requestQuit) services_.requestQuit(code);
}

void Scene::RenderFrame() {
    // The skull turns with every paint, drawn or not.
    RotationAngle = NextRotationAngle(RotationAngle, RotationStep);
    TRenderInfo* R = Renderer.get();
    if (R == nullptr) return;
    // After a failed present the device may be lost: no frame until it is back, and
    // it is brought back as soon as the system lets it.
    if (DeviceMayBeLost) {
        if (RestoreLostDevice(R, {BackgroundQuad.get(), SkullMesh.get(), GlassesMesh.get()}, NumFont.get()) != 0)
            return;
        DeviceMayBeLost = false;
    }

    // Other results are not looked at: a frame whose begin failed is still ended so the
    // device sees matching calls.
    BeginFrame(R);
    ClearFrame(R, kClearColor);
    SetCamera(R, 0, 0, kCameraEyeZ, 0, 0, 0);
    DrawBackground();
    DrawSkull();
    if (ShowGlasses) DrawGlasses();
    UpdateOverlay();
    if (EndFrame(R) == kErrPresent) DeviceMayBeLost = true;
}

void Scene::DrawBackground() {
    TRenderInfo* R = Renderer.get();
    SetWorldTranslation(R, 0, 0, kBackgroundZ);
    ApplyTexture(R, BackgroundTexture.get());
    DrawMesh(R, BackgroundQuad.get());
    RemoveTexture(R, BackgroundTexture.get());
}

void Scene::DrawSkull() {
    TRenderInfo* R = Renderer.get();
    ResetWorld(R);
    RotateWorldDeg(R, kModelTiltXDeg, 0, RotationAngle);
    if (ReflectionOnSkull) BeginReflection(R, SkullReflection.get());
    DrawMesh(R, SkullMesh.get());
    if (ReflectionOnSkull) EndReflection(R, SkullReflection.get());
}

void Scene::DrawGlasses() {
    TRenderInfo* R = Renderer.get();
    // The calls compose toward the model: scaled and moved in the glasses' own frame
    // first, then turned with the skull.
    ResetWorld(R);
    RotateWorldDeg(R, kModelTiltXDeg, 0, static_cast<float>(RotationAngle + kGlassesTurnDeg));
    TranslateWorld(R, 0, static_cast<float>(kGlassesOffsetY), static_cast<float>(kGlassesOffsetZ));
    const float scaleXY = static_cast<float>(kGlassesScaleXY);
    ScaleWorld(R, scaleXY, scaleXY, static_cast<float>(kGlassesScaleZ));
    if (ReflectionOnGlasses) BeginReflection(R, GlassesReflection.get());
    DrawMesh(R, GlassesMesh.get());
    if (ReflectionOnGlasses) EndReflection(R, GlassesReflection.get());
}

void Scene::UpdateOverlay() {
    ++FramesSinceUpdate;
    const std::uint32_t now = services_.clock->TickCount();
    // Unsigned arithmetic keeps the difference right across the tick count's wrap.
    const std::uint32_t elapsed = now - LastUpdateTick;
    if (elapsed > kOverlayPeriodMs) {
        ++ActivitySeconds;
        FpsText = FormatFrameRate(MeasureFrameRate(FramesSinceUpdate, elapsed), decimalSeparator_);
        LastUpdateTick = now;
        FramesSinceUpdate = 0;
        ActivityText = FormatActivityTime(ActivitySeconds);
    }
    TRenderInfo* R = Renderer.get();
    if (ShowFPS && NumFont) DrawNumText(R, NumFont.get(), FpsText, kOverlaySize, kOverlayX, kFpsLineY, 0);
    if (ShowActivityTime && NumFont)
        DrawNumText(R, NumFont.get(), ActivityText, kOverlaySize, kOverlayX, kActivityLineY, 0);
}

void SetupScene(SceneServices services, WindowHandle window, std::int32_t width, std::int32_t height) {
    std::unique_ptr<Scene>& slot = SceneSlot();
    slot = std::make_unique<Scene>(std::move(services));
    slot->Setup(window, width, height);
}

void RenderSceneFrame() {
    if (Scene* scene = SceneSlot().get()) scene->RenderFrame();
}

void ReleaseScene() {
    SceneSlot().reset();
    InitDirect3D(0);
}

Scene* CurrentScene() { return SceneSlot().get(); }

void SetSceneMirrorWindows(std::vector<WindowHandle> windows) {
    Scene* scene = SceneSlot().get();
    if (scene && scene->Renderer) scene->Renderer->MirrorWindows = std::move(windows);
}

}  // namespace vtl
