#include "app/hack/linux/hack_run.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>

#include "app/common/display_watch.h"
#include "app/common/saverloop.h"
#include "app/hack/frame_pacing.h"
#include "app/hack/linux/instance_sound.h"
#include "app/hack/loop_timers.h"
#include "app/hack/monitor_poll.h"
#include "pack/packlib.h"
#include "platform/errors.h"
#include "platform/gl/gl_device.h"
#include "platform/openal/openal_audio.h"
#include "platform/posix/posix_host.h"
#include "platform/random.h"
#include "platform/x11/x11_dpms.h"
#include "platform/x11/x11_gl_window.h"
#include "scene/scene.h"
#include "settings/memory_store.h"
#include "settings/settingsstore.h"
#include "sound/qvsound.h"

namespace vtl::hack {

volatile std::sig_atomic_t g_stopSignal = 0;

namespace {

const char* QuitReason(int code) {
    switch (code) {
        case kQuitNoRenderer: return "no OpenGL renderer could be made";
        case kQuitNoScratchFolder: return "no private scratch folder could be made";
        case kQuitNoBackground: return "the background picture could not be loaded";
        case kQuitNoSkullReflection: return "the skull's reflection picture could not be loaded";
        case kQuitNoGlassesReflection: return "the glasses' reflection picture could not be loaded";
        default: return "the scene could not be shown";
    }
}

// Sound errors after the start are said on stderr; the run goes on, as on Windows.
void SaySoundError(const std::exception& error) { std::cerr << "vtl3d: " << error.what() << '\n'; }

// No device: said once, and the sound system then leaves the run silent.
std::unique_ptr<TDirectAudio> MakeAudio() {
    try {
        return openal::CreateOpenALAudio();
    } catch (const std::exception& error) {
        std::cerr << "vtl3d: no sound (" << error.what() << ")\n";
        throw;
    }
}

// Only files: the display is gone and the process ends right after.
void ClearSoundFiles() {
    if (!SoundScratchFolder().empty()) ClearFolder(SoundScratchFolder());
}

void ClearRunFiles() {
    ClearSoundFiles();
    CloseInstanceAtExit();
}

// A damaged or missing sound pack costs the sound, never the picture; said once.
void SayUnpackError(const std::exception& error) { std::cerr << "vtl3d: no sound: " << error.what() << '\n'; }

std::optional<DisplayPower> MonitorPower(const x11::X11GlWindow& window) {
    const std::optional<bool> down = x11::MonitorPoweredDown(window.XDisplay());
    if (!down) return std::nullopt;
    return *down ? DisplayPower::Off : DisplayPower::On;
}

// Where the hack's packs lie when it is installed from the package.
constexpr const char* kSharedDataFolder = "/usr/share/vtl3d";

x11::WindowRequest WindowRequestOf(const HackOptions& options) {
    x11::WindowRequest request;
    switch (options.target) {
        case HackTarget::OwnWindow: request.target = x11::WindowTarget::OwnWindow; break;
        case HackTarget::Root: request.target = x11::WindowTarget::Root; break;
        case HackTarget::WindowId: request.target = x11::WindowTarget::WindowId; break;
    }
    request.windowId = options.windowId;
    if (const char* named = std::getenv("XSCREENSAVER_WINDOW"))
        request.screensaverWindow = ParseWindowId(named).value_or(0);
    request.display = options.display;
    request.width = options.width;
    request.height = options.height;
    return request;
}

// However the run ends, an error included: the sound stops and its unpacked files go,
// and the scene's device is released while the window's context still exists.
struct RunTeardown {
    RunTeardown() = default;
    RunTeardown(const RunTeardown&) = delete;
    RunTeardown& operator=(const RunTeardown&) = delete;
    ~RunTeardown() {
        StopSound();
        // A silent run keeps what it unpacked until somebody clears it: that is now.
        ClearSoundFiles();
        ReleaseScene();
    }
};

}  // namespace

int RunHack(const HackOptions& options) {
    // The settings live for this run only, behind the same seam the scene reads on Windows.
    MemorySettingsStore settings;
    StoreHackSettings(options, settings);
    posix::PosixFolders folders(kScenePackName, kSharedDataFolder);
    posix::MonotonicClock clock;
    x11::X11GlWindow window(WindowRequestOf(options));
    x11::SetDisplayLostCleanup(ClearRunFiles);
    // The device holds the surface only while the scene lives; RunTeardown ends both
    // before the window goes.
    auto surface = std::shared_ptr<gl::IGlSurface>(&window, [](gl::IGlSurface*) {});
    LoopTimers timers(clock, SaySoundError);
    std::unique_ptr<IRandom> random = CreateClockRandom();
    // Outlives the teardown below: the files it removes lie in the instance's folder.
    const std::unique_ptr<posix::InstanceFolder> instance = OpenInstanceFolder();
    const std::string scratch = instance ? JoinPath(instance->Folder(), kScratchFolderName) : std::string();
    // Both packs come whole into this instance's own folder, or not at all.
    const auto unpack = [&folders, &scratch](const std::string& pack) {
        if (scratch.empty()) return std::string();
        UnpackWholePack(FindPack(pack, folders, ExecutableFolder()), scratch);
        return scratch;
    };
    const RunTeardown teardown;
    const std::uint32_t interval = FrameTimerDelayMs(ReadSetting(settings, kTimingFPS));
    // Nothing is drawn or played while the monitor is powered down.
    DisplayWatch watch(interval);
    SceneClock sceneClock(clock, watch);

    int quitCode = 0;
    SceneServices services;
    services.registry = &settings;
    services.folders = &folders;
    services.clock = &sceneClock;
    services.requestQuit = [&quitCode](int code) {
        if (quitCode == 0) quitCode = code;
    };
    services.direct3DCreate = gl::MakeGlDirect3DCreate(surface);
    services.textureLoader = gl::CreateGlTextureLoader();
    services.decimalSeparator = posix::UserDecimalSeparator();
    services.programFolder = ExecutableFolder();
    services.unpack = unpack;
    int width = 0, height = 0;
    window.WindowSize(width, height);
    SetupScene(std::move(services), reinterpret_cast<WindowHandle>(window.DrawWindow()), width, height);

    std::unique_ptr<SoundTurn> soundTurn;
    if (quitCode == 0 && instance && ReadSettingBool(settings, kEnableSounds)) {
        random->Randomize();
        SoundHost host;
        host.services.createAudio = MakeAudio;
        host.services.timers = &timers;
        host.services.random = random.get();
        host.unpackToTemp = unpack;
        host.clearFolder = [](const std::string& folder) { ClearFolder(folder); };
        host.reportUnpackError = SayUnpackError;
        SetSoundHost(std::move(host));
        // One instance per display plays the city; the others wait their turn.
        soundTurn = std::make_unique<SoundTurn>(*instance, DisplayOf(options), StartSound);
        soundTurn->Poll(clock.TickCount());
    }

    MonitorPoll monitor([&window] { return MonitorPower(window); }, watch, clock.TickCount());
    if (watch.Paused()) PauseSound(true);
    FramePacer pacer(interval, clock.TickCount());
    bool closed = false;
    while (quitCode == 0 && !closed && !g_stopSignal) {
        if (monitor.Poll(clock.TickCount())) PauseSound(watch.Paused());
        const std::uint32_t now = clock.TickCount();
        const std::uint32_t untilAsk = monitor.WaitMs(now);
        const std::uint32_t untilFrame = watch.Paused() ? untilAsk : std::min(pacer.WaitMs(now), untilAsk);
        pollfd connection{window.ConnectionFd(), POLLIN, 0};
        // A signal cuts the wait short (no SA_RESTART), so the end comes at once.
        ::poll(&connection, 1, static_cast<int>(timers.MillisecondsToNextDue(untilFrame)));
        const x11::WindowEvents events = window.TakeEvents();
        closed = events.closed;
        timers.ProcessMessages();
        // A sound error is said once; the run goes on silent rather than saying it anew.
        StopSoundAfterFailure();
        // An instance that takes the sound over during a dark spell starts it paused.
        if (soundTurn && soundTurn->Poll(clock.TickCount()) && watch.Paused()) PauseSound(true);
        // After a dark spell the pacer starts counting afresh: one frame, no catching up.
        if (!closed && !watch.Paused() && pacer.TakeFrame(clock.TickCount())) RenderSceneFrame();
    }

    if (quitCode != 0) {
        std::cerr << "vtl3d: " << QuitReason(quitCode) << '\n';
        return 1;
    }
    return 0;
}

}  // namespace vtl::hack
