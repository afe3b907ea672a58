#include "app/saver/win32/saver_content.h"

#include <atomic>

#include "app/saver/scrutils.h"
#include "pack/packlib.h"
#include "platform/random.h"
#include "platform/win32/d3d8_device.h"
#include "platform/win32/d3d8_textureloader.h"
#include "platform/win32/dmusic_audio.h"
#include "platform/win32/win32_msgtimers.h"
#include "platform/win32/win32_text.h"
#include "scene/scene.h"
#include "sound/qvsound.h"

namespace vtl::win32 {

namespace {

class TickClock : public IClock {
public:
    std::uint32_t TickCount() override { return GetTickCount(); }
};

std::string UserDecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0) return ".";
    return Narrow(separator);
}

// The saver window, owner of the boxes of timer errors.
HWND g_errorOwner = nullptr;

// Whether a sound error's box is open (the frame timer's thread asks too).
std::atomic<bool> g_timerErrorShowing{false};

// An error in a sound timer is shown like any error of a timer event, and the saver
// goes on. The box belongs to the top-most saver window and stands above it with the
// cursor shown, or nobody could see or dismiss it; errors of timers that fire while
// it is open are not shown in boxes of their own, one inside another's loop.
void ShowTimerError(const std::exception& error) {
    if (g_timerErrorShowing) return;
    g_timerErrorShowing = true;
    ::ShowCursor(TRUE);
    MessageBoxW(g_errorOwner, Widen(error.what()).c_str(), Widen(kApplicationTitle).c_str(),
                MB_OK | MB_ICONSTOP | MB_TOPMOST | MB_SETFOREGROUND);
    ::ShowCursor(FALSE);
    g_timerErrorShowing = false;
}

}  // namespace

struct SaverContent::Parts {
    Parts(IRegistry& r, IHostFolders& f) : registry(r), folders(f) {}
    IRegistry& registry;
    IHostFolders& folders;
    TickClock clock;
    std::unique_ptr<SceneClock> sceneClock;
    Win32MessageTimers timers{ShowTimerError};
    std::unique_ptr<IRandom> random = CreateClockRandom();
};

SaverContent::SaverContent(IRegistry& registry, IHostFolders& folders)
    : parts_(std::make_unique<Parts>(registry, folders)) {}

SaverContent::~SaverContent() = default;

void SaverContent::UseDisplayWatch(const DisplayWatch& watch) {
    parts_->sceneClock = std::make_unique<SceneClock>(parts_->clock, watch);
}

void SaverContent::SetupScene(HWND window, int width, int height, bool mirrored) {
    g_errorOwner = window;
    SceneServices services;
    services.registry = &parts_->registry;
    services.folders = &parts_->folders;
    services.clock = parts_->sceneClock ? static_cast<IClock*>(parts_->sceneClock.get()) : &parts_->clock;
    services.requestQuit = [](int code) { PostQuitMessage(code); };
    services.direct3DCreate = CreateD3D8;
    services.textureLoader = CreateD3D8ExTextureLoader();
    services.decimalSeparator = UserDecimalSeparator();
    services.mirrored = mirrored;
    vtl::SetupScene(std::move(services), window, width, height);
}

void SaverContent::RenderFrame() { RenderSceneFrame(); }

void SaverContent::SetMirrors(const std::vector<HWND>& windows) {
    SetSceneMirrorWindows(std::vector<WindowHandle>(windows.begin(), windows.end()));
}

void SaverContent::ReleaseScene() { vtl::ReleaseScene(); }

void SaverContent::StartSound() {
    Parts& parts = *parts_;
    parts.random->Randomize();
    SoundHost host;
    host.services.createAudio = CreateBestAudioBackend;
    host.services.timers = &parts.timers;
    host.services.random = parts.random.get();
    host.unpackToTemp = [&parts](const std::string& pack) { return UnpackWholeToTemp(pack, parts.folders); };
    host.clearFolder = [](const std::string& folder) { ClearFolder(folder); };
    // A damaged or missing sound pack is shown like a sound error of the run, and the
    // saver goes on drawing, silent: the picture never depends on the sounds.
    host.reportUnpackError = ShowTimerError;
    SetSoundHost(std::move(host));
    vtl::StartSound();
}

void SaverContent::StopSound() { vtl::StopSound(); }

void SaverContent::PauseSound(bool paused) { vtl::PauseSound(paused); }

void SaverContent::StopFailedSound() { vtl::StopSoundAfterFailure(); }

void SaverContent::ServeDueTimers() { parts_->timers.ServeDue(); }

bool SaverContent::ShowingError() { return g_timerErrorShowing; }

}  // namespace vtl::win32
