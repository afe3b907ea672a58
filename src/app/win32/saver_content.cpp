#include "app/win32/saver_content.h"

#include "app/scrutils.h"
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

// An error in a sound timer is shown like any error of a timer event, and the saver
// goes on.
void ShowTimerError(const std::exception& error) {
    MessageBoxW(nullptr, Widen(error.what()).c_str(), Widen(kApplicationTitle).c_str(), MB_OK | MB_ICONSTOP);
}

}  // namespace

struct SaverContent::Parts {
    Parts(IRegistry& r, IHostFolders& f) : registry(r), folders(f) {}
    IRegistry& registry;
    IHostFolders& folders;
    TickClock clock;
    Win32MessageTimers timers{ShowTimerError};
    std::unique_ptr<IRandom> random = CreateClockRandom();
};

SaverContent::SaverContent(IRegistry& registry, IHostFolders& folders)
    : parts_(std::make_unique<Parts>(registry, folders)) {}

SaverContent::~SaverContent() = default;

void SaverContent::SetupScene(HWND window, int width, int height) {
    SceneServices services;
    services.registry = &parts_->registry;
    services.folders = &parts_->folders;
    services.clock = &parts_->clock;
    services.requestQuit = [](int code) { PostQuitMessage(code); };
    services.direct3DCreate = CreateD3D8;
    services.textureLoader = CreateD3D8ExTextureLoader();
    services.decimalSeparator = UserDecimalSeparator();
    vtl::SetupScene(std::move(services), window, width, height);
}

void SaverContent::RenderFrame() { RenderSceneFrame(); }

void SaverContent::ReleaseScene() { vtl::ReleaseScene(); }

void SaverContent::StartSound() {
    Parts& parts = *parts_;
    parts.random->Randomize();
    SoundHost host;
    host.services.createAudio = CreateBestAudioBackend;
    host.services.timers = &parts.timers;
    host.services.random = parts.random.get();
    host.unpackToTemp = [&parts](const std::string& pack) { return UnpackToTemp(pack, parts.folders); };
    host.clearFolder = [](const std::string& folder) { ClearFolder(folder); };
    SetSoundHost(std::move(host));
    vtl::StartSound();
}

void SaverContent::StopSound() { vtl::StopSound(); }

}  // namespace vtl::win32
