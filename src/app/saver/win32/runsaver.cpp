// The full-screen saver on Windows: the top-most window, the optional display-mode
// switch, the multimedia frame timer that only invalidates, and the start and
// shutdown orders. The decisions about input live in SaverController.
#include "app/saver/win32/runsaver.h"

#include <windows.h>
#include <mmsystem.h>
#include <windowsx.h>

#include <atomic>
#include <memory>
#include <optional>

#include "app/common/display_watch.h"
#include "app/common/saverloop.h"
#include "app/saver/win32/display_power.h"
#include "app/saver/win32/host_folders.h"
#include "app/saver/win32/monitor_covers.h"
#include "app/saver/win32/saver_content.h"
#include "platform/errors.h"
#include "platform/hooks/faults.h"
#include "settings/settingsstore.h"

namespace {

using namespace vtl;

// The window timer that paces frames when the multimedia timer cannot be had.
constexpr UINT_PTR kFallbackFrameTimer = 1;

// One saver per process, and the window procedure and the timer callbacks need
// the run's state without parameters of their own.
struct SaverRun : ISaverHost {
    IRegistry* registry = nullptr;
    HWND window = nullptr;
    UINT frameTimer = 0;
    UINT unblockTimer = 0;
    std::unique_ptr<SaverController> controller;
    std::unique_ptr<win32::SaverContent> content;
    win32::MonitorCovers covers;
    bool covering = false;            // the covers follow monitor changes only while the saver runs
    std::exception_ptr pendingError;  // an error raised inside a window message
    bool errorNoticePosted = false;
    bool sceneOnEveryMonitor = false;  // the covers show the scene rather than black
    // Nobody sees frames on a monitor that is off: none are asked for then.
    std::unique_ptr<DisplayWatch> watch;
    win32::DisplayPowerNotices notices;
    std::atomic<bool> paused{false};  // read by the frame timer's thread too
    bool framesStarted = false;       // the frame timer runs from the loop's start ...
    bool framesEnded = false;         // ... until an end or an error stops it for good

    bool VerifyPassword() override {
        win32::PasswordHost host;
        return VerifySaverPassword(*registry, host, reinterpret_cast<std::intptr_t>(window));
    }
    void StopFrameTimer() override {
        framesEnded = true;
        KillFrameTimer();
    }
    void KillFrameTimer() {
        if (frameTimer) timeKillEvent(frameTimer);
        frameTimer = 0;
        if (window) KillTimer(window, kFallbackFrameTimer);  // the fallback, if it runs
    }
    void StartFrameTimer();
    void OnPowerBroadcast(WPARAM event, LPARAM data);
    void ShowCursor() override { ::ShowCursor(TRUE); }
    void PostQuit() override { PostQuitMessage(0); }
    bool StartUnblockTimer() override;

    void CoverOtherMonitors() {
        if (sceneOnEveryMonitor && content) content->SetMirrors({});  // no frame to a cover that goes
        covers.Cover(window);
        covering = true;
        if (sceneOnEveryMonitor && content) content->SetMirrors(covers.Windows());
    }
    void RemoveCovers() {
        covering = false;
        if (content) content->SetMirrors({});
        covers.Remove();
    }
};

SaverRun g_run;

// Posted to the saver window when a handler raised an error.
constexpr UINT kHandlerErrorMessage = WM_APP + 1;

bool ReadCursor(POINT& cursor) { return !FaultInjected("cursor") && GetCursorPos(&cursor); }

// Only an active saver paints frames, and none while an error box is open: a window
// that is always waiting to be painted would keep the box from being painted.
void CALLBACK FrameTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    if (g_run.controller && g_run.controller->SaverActive() && !g_run.paused && !win32::SaverContent::ShowingError())
        InvalidateRect(g_run.window, nullptr, FALSE);
}

void CALLBACK UnblockTimerProc(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    g_run.controller->UnblockInput();
    timeKillEvent(id);
}

bool SaverRun::StartUnblockTimer() {
    unblockTimer = FaultInjected("unblock-timer") ? 0 : timeSetEvent(100, 0, UnblockTimerProc, 0, TIME_PERIODIC);
    return unblockTimer != 0;
}

// Only the first frame after a dark spell comes at once; a new timer has no backlog.
void SaverRun::StartFrameTimer() {
    const UINT period = watch->FrameInterval();
    frameTimer = FaultInjected("frame-timer") ? 0 : timeSetEvent(period, 0, FrameTimerProc, 0, TIME_PERIODIC);
    // Without the multimedia timer a window timer paces the frames (coarser, but the
    // saver is not left showing one still picture).
    if (!frameTimer) SetTimer(window, kFallbackFrameTimer, period, nullptr);
}

void SaverRun::OnPowerBroadcast(WPARAM event, LPARAM data) {
    DisplayWatch::Change change;
    if (const auto power = win32::DisplayStateOf(event, data)) {
        change = watch->SetDisplay(*power, GetTickCount());
    } else if (win32::PowerSourceChanged(event)) {
        change = watch->SetPowerSource(win32::ReadPowerSource());
    }
    if (change.paused) {
        paused = watch->Paused();
        if (content) content->PauseSound(paused);
    }
    if ((change.paused || change.interval) && framesStarted && !framesEnded) {
        KillFrameTimer();
        if (!paused) StartFrameTimer();
    }
}

// C++ errors must not unwind through the system's message dispatch: the window
// procedure keeps the first one, and RunSaver raises it again once the loop ends. The
// loop ends the way every run does, through the password in force; only an error
// before the rules exist, or one the rules raise again, ends it at once.
template <typename F>
void Guarded(F&& body) {
    try {
        body();
    } catch (...) {
        if (!g_run.pendingError) g_run.pendingError = std::current_exception();
        if (!g_run.controller) {
            PostQuitMessage(1);
            return;
        }
        // Decided after this message, not inside it: the password dialog must not
        // open in the middle of a paint.
        if (!g_run.errorNoticePosted)
            g_run.errorNoticePosted = PostMessageW(g_run.window, kHandlerErrorMessage, 0, 0) != 0;
        if (!g_run.errorNoticePosted) PostQuitMessage(1);
    }
}

void OnHandlerErrorMessage() {
    g_run.errorNoticePosted = false;
    try {
        g_run.controller->OnHandlerError();
    } catch (...) {
        PostQuitMessage(1);
    }
}

LRESULT CALLBACK SaverWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* controller = g_run.controller.get();
    switch (message) {
        case WM_ACTIVATE:
            if (controller) controller->OnActivate(LOWORD(wParam));
            break;
        case WM_PAINT:
            if (controller && controller->SaverActive() && !g_run.paused) {
                PAINTSTRUCT paint;
                BeginPaint(window, &paint);
                Guarded([] { g_run.content->RenderFrame(); });
                EndPaint(window, &paint);
                return 0;
            }
            break;
        case WM_KEYDOWN:
            if (controller) Guarded([&] { controller->OnKey(); });
            break;
        case WM_MOUSEMOVE:
            if (controller) {
                // The window covers the screen from its origin; where the cursor cannot
                // be read, the message's own position stands in.
                POINT cursor{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
                if (!ReadCursor(cursor)) ClientToScreen(window, &cursor);
                Guarded([&] { controller->OnMouseMove({cursor.x, cursor.y}); });
            }
            break;
        case WM_TIMER:
            if (wParam == kFallbackFrameTimer) {
                FrameTimerProc(0, 0, 0, 0, 0);
                return 0;
            }
            break;
        case WM_POWERBROADCAST:
            if (g_run.watch) Guarded([&] { g_run.OnPowerBroadcast(wParam, lParam); });
            return TRUE;
        case kHandlerErrorMessage:
            if (controller) OnHandlerErrorMessage();
            return 0;
        case WM_DISPLAYCHANGE:
            // A monitor came or went, or another program changed a display mode.
            if (g_run.covering) Guarded([] { g_run.CoverOtherMonitors(); });
            break;
        case WM_CLOSE:
            // The window stays: the run ends only through an accepted request's quit.
            if (controller) Guarded([&] { controller->OnClose(); });
            return 0;
        case WM_DESTROY:
            if (controller) Guarded([&] { controller->OnClose(); });
            break;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool SetVideoMode(int width, int height, int bitsPerPixel) {
    DEVMODEW mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bitsPerPixel);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    return ChangeDisplaySettingsW(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void RestoreVideoMode() { ChangeDisplaySettingsW(nullptr, 0); }

HWND CreateSaverWindow() {
    WNDCLASSW windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = SaverWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"VTL3DSaver";
    RegisterClassW(&windowClass);
    if (FaultInjected("window")) return nullptr;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    return CreateWindowExW(WS_EX_TOPMOST, L"VTL3DSaver", L"Saver", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
                           width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
}

// Runs each step even when one before it failed; a failure here must not hide the
// error that ended the run.
template <typename F>
void Quietly(F&& step) {
    try {
        step();
    } catch (...) {}
}

}  // namespace

void RunSaver(IRegistry& registry, IHostFolders& folders) {
    g_run.registry = &registry;
    const bool useCurrentMode = ReadSettingBool(registry, kUseCurrentMode);
    HWND previousForeground = nullptr;
    bool cursorHidden = false, flagOn = false;

    // However the run ends, the person gets the desktop back (window hidden, sounds and
    // their files gone, display mode restored, the running flag off) before an error
    // box is shown, or the box would open beneath the top-most saver.
    auto restoreAfterError = [&] {
        Quietly([] { g_run.StopFrameTimer(); });
        g_run.notices.Unregister();
        if (g_run.window) ShowWindow(g_run.window, SW_HIDE);
        if (g_run.content && g_run.sceneOnEveryMonitor) Quietly([] { g_run.content->ReleaseScene(); });
        g_run.RemoveCovers();
        if (g_run.content) Quietly([] { g_run.content->StopSound(); });
        if (!useCurrentMode) RestoreVideoMode();
        if (flagOn) SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
        if (cursorHidden && !(g_run.controller && g_run.controller->EndPending())) ::ShowCursor(TRUE);
        if (previousForeground) SetForegroundWindow(previousForeground);
    };

    try {
        if (!useCurrentMode) {
            if (const auto mode = GetVideoModeSize(ReadSetting(registry, kVideoMode)))
                SetVideoMode(mode->width, mode->height, mode->bitsPerPixel);
        }
        g_run.window = CreateSaverWindow();
        // Nothing could show the scene or take the input that ends the saver.
        if (!g_run.window) throw EGeneral("Cannot create window");
        const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
        const std::int32_t timingFps = ReadSetting(registry, kTimingFPS);
        g_run.watch = std::make_unique<DisplayWatch>(FrameTimerDelayMs(timingFps));
        g_run.watch->SetPowerSource(win32::ReadPowerSource());
        g_run.content = std::make_unique<win32::SaverContent>(registry, folders);
        g_run.content->UseDisplayWatch(*g_run.watch);
        g_run.sceneOnEveryMonitor = ReadSettingBool(registry, kSceneOnEveryMonitor);
        g_run.content->SetupScene(g_run.window, width, height, g_run.sceneOnEveryMonitor);

        ::ShowCursor(FALSE);
        cursorHidden = true;
        POINT start{};
        std::optional<ScreenPoint> startPoint;
        if (ReadCursor(start)) startPoint = ScreenPoint{start.x, start.y};
        g_run.controller = std::make_unique<SaverController>(g_run, startPoint);
        previousForeground = GetForegroundWindow();
        SystemParametersInfoW(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
        flagOn = true;
        if (ReadSettingBool(registry, kEnableSounds)) g_run.content->StartSound();

        ShowWindow(g_run.window, SW_SHOW);
        g_run.CoverOtherMonitors();
        UpdateWindow(g_run.window);
        SetForegroundWindow(g_run.window);
        SetFocus(g_run.window);
        g_run.controller->Start();
        // Windows tells the display's state at once; a saver started on a dark monitor
        // asks for no frame and plays nothing.
        g_run.notices.Register(g_run.window);
        g_run.framesStarted = true;
        if (!g_run.paused) g_run.StartFrameTimer();

        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
            // The system makes a timer message only when no paint is waiting; where a
            // frame takes longer than the frame period (no graphics card) one always
            // is, and the sound events would never come. Due timers are served here.
            g_run.content->ServeDueTimers();
            // A sound error is shown once: the ambience that raised it is gone after it.
            g_run.content->StopFailedSound();
        }
    } catch (...) {
        restoreAfterError();
        throw;
    }
    if (g_run.pendingError) {
        restoreAfterError();
        std::rethrow_exception(g_run.pendingError);
    }

    g_run.notices.Unregister();
    ShowWindow(g_run.window, SW_HIDE);
    // No frame comes after this: release the device in order now, while the saver still
    // runs, rather than amid the exit of Direct3D's and the driver's own threads; and
    // before the covers it may present to go.
    g_run.content->ReleaseScene();
    g_run.RemoveCovers();
    g_run.content->StopSound();
    if (!useCurrentMode) RestoreVideoMode();
    SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    SetForegroundWindow(previousForeground);
}
