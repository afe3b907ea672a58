#pragma once
// The saver's scene: a skull turning in front of a background picture, optionally
// wearing sunglasses, optionally with environment reflections on both, and two
// optional overlay lines (the measured frame rate, the time the saver has run).
//
// One scene per saver run. Setup reads the scene's settings, creates the renderer on
// the saver window, unpacks the scene pack, loads every asset onto the device and
// deletes the unpacked files again; each painted frame then turns the skull by a fixed
// step and draws. Everything runs on the UI thread; nothing here locks.
//
// A setup that cannot show the scene does not report through a result: it asks the
// host to quit with a code (the saver's message loop then ends at its first message)
// and goes on with the remaining steps, so a missing renderer gives 1, 3, 4 and 5.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/e3d.h"
#include "pack/assetnames.h"
#include "platform/host.h"
#include "platform/registry.h"
#include "platform/renderdevice.h"
#include "platform/textureloader.h"
#include "scene/scene_layout.h"

namespace vtl {

// Quit codes of a setup that cannot show the scene.
inline constexpr int kQuitNoRenderer = 1;
inline constexpr int kQuitNoScratchFolder = 2;
inline constexpr int kQuitNoBackground = 3;
inline constexpr int kQuitNoSkullReflection = 4;
inline constexpr int kQuitNoGlassesReflection = 5;

// Asks the host to end the saver's message loop with an exit code (PostQuitMessage on
// Windows). Setup goes on after the request.
using QuitRequest = std::function<void(int code)>;

// What the scene needs of the platform. The pointers must outlive the scene.
struct SceneServices {
    IRegistry* registry = nullptr;    // the settings
    IHostFolders* folders = nullptr;  // install folder (the pack) and temporary folder (unpacking)
    IClock* clock = nullptr;          // the overlay's timing
    QuitRequest requestQuit;
    // Installed into the engine by setup when given; otherwise whatever the program's
    // start-up installed is used.
    Direct3DCreateFn direct3DCreate;
    std::shared_ptr<ITextureLoader> textureLoader;
    // The user's decimal separator as the locale reports it (only its first character
    // counts); empty means ".".
    std::string decimalSeparator = ".";
    // Where the pack is looked for when the install folder lacks it; empty means the
    // folder of the running program.
    std::string programFolder;
    // Unpacks a pack and returns the folder it went to; empty means unpacking packs
    // from the folders above. A test can stand in for the pack layer here.
    std::function<std::string(const std::string& packFileName)> unpack;
    // Each frame is shown in other windows too (SetSceneMirrorWindows): the renderer
    // then keeps its back buffer after presenting.
    bool mirrored = false;
};

class Scene {
public:
    explicit Scene(SceneServices services);
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Once, after the saver window exists and before the first frame. Errors of the
    // pack layer (a pack that cannot be opened, a file that cannot be written out)
    // propagate; one raised while the assets load removes the unpacked files first.
    void Setup(WindowHandle window, std::int32_t width, std::int32_t height);
    // Turns the skull one step and, with a renderer, draws and presents one frame.
    void RenderFrame();
    // Counts the frame, rebuilds the overlay texts once a second and draws them.
    void UpdateOverlay();

    // The state, named as the rest of the saver speaks of it. Device objects stay
    // alive as long as the scene.
    std::unique_ptr<TRenderInfo> Renderer;
    std::unique_ptr<TMeshInfo> BackgroundQuad;
    std::unique_ptr<TMeshInfo> SkullMesh;
    std::unique_ptr<TMeshInfo> GlassesMesh;
    std::unique_ptr<TTextureInfo> BackgroundTexture;
    std::unique_ptr<TTextureInfo> SkullReflection;
    std::unique_ptr<TTextureInfo> GlassesReflection;  // a texture of its own from the same picture
    std::unique_ptr<TNumFontInfo> NumFont;
    bool DeviceMayBeLost = false;  // the last present failed
    std::string ScratchFolder;

    bool ShowGlasses = false;
    bool ReflectionOnSkull = false;
    bool ReflectionOnGlasses = false;
    bool ShowFPS = false;
    bool ShowActivityTime = false;

    float RotationStep = 0;                       // degrees per frame, subtracted
    float RotationAngle = kInitialRotationAngle;  // degrees about the skull's Z axis
    std::uint32_t FramesSinceUpdate = 0;
    std::uint32_t LastUpdateTick = 0;
    std::uint32_t ActivitySeconds = 0;
    std::string FpsText;
    std::string ActivityText;

private:
    void ReadSettings();
    void CreateRenderer(WindowHandle window, std::int32_t width, std::int32_t height);
    void LoadAssets();
    std::string AssetPath(const char* name) const;
    void Quit(int code);
    void DrawBackground();
    void DrawSkull();
    void DrawGlasses();

    SceneServices services_;
    char decimalSeparator_;
};

// The turn after one more frame: angle - step in single precision, brought back into
// one turn once it has left it. A float that only grows would lose the step to its
// rounding after a long run and the skull would stop.
float NextRotationAngle(float angle, float step);

// The saver's one scene, for the run loop. SetupScene makes it (replacing an earlier
// one) and sets it up; RenderSceneFrame does nothing before that.
void SetupScene(SceneServices services, WindowHandle window, std::int32_t width, std::int32_t height);
void RenderSceneFrame();
// Releases the saver's scene with its device objects and the shared Direct3D object,
// after the last frame: the device goes down in order while the saver still runs,
// rather than among the process's exit-time teardown. RenderSceneFrame then does
// nothing.
void ReleaseScene();
// The scene SetupScene made, or null.
Scene* CurrentScene();
// The windows that show each frame besides the scene's own (the other monitors'),
// replacing earlier ones; nothing without a scene, or for a scene not set up as
// mirrored.
void SetSceneMirrorWindows(std::vector<WindowHandle> windows);

}  // namespace vtl
