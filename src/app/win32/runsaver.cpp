// The full-screen saver on Windows: the top-most window, the optional display-mode
// switch, the multimedia frame timer that only invalidates, and the start and
// shutdown orders. The decisions about input live in SaverController.
#include "app/win32/runsaver.h"

#include <windows.h>
#include <mmsystem.h>
#include <windowsx.h>

#include <memory>
#include <optional>

#include "app/saverloop.h"
#include "app/win32/host_win32.h"
#include "app/win32/saver_content.h"
#include "settings/settingsstore.h"

namespace {

using namespace vtl;

// One saver per process, and the window procedure and the timer callbacks need
// the run's state without parameters of their own.
struct SaverRun : ISaverHost {
    IRegistry* registry = nullptr;
    HWND window = nullptr;
    UINT frameTimer = 0;
    UINT unblockTimer = 0;
    std::unique_ptr<SaverController> controller;
    std::unique_ptr<win32::SaverContent> content;
    std::exception_ptr pendingError;  // an error raised inside a window message

    bool VerifyPassword() override {
        win32::PasswordHost host;
        return VerifySaverPassword(*registry, host, reinterpret_cast<std::intptr_t>(window));
    }
    void StopFrameTimer() override {
        if (frameTimer) timeKillEvent(frameTimer);
        frameTimer = 0;
    }
    void ShowCursor() override { ::ShowCursor(TRUE); }
    void PostQuit() override { PostQuitMessage(0); }
    void StartUnblockTimer() override;
};

SaverRun g_run;

void CALLBACK FrameTimerProc(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    InvalidateRect(g_run.window, nullptr, FALSE);
}

void CALLBACK UnblockTimerProc(UINT id, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {
    g_run.controller->UnblockInput();
    timeKillEvent(id);
}

void SaverRun::StartUnblockTimer() {
    unblockTimer = timeSetEvent(100, 0, UnblockTimerProc, 0, TIME_PERIODIC);
}

// C++ errors must not unwind through the system's message dispatch: the window
// procedure keeps the first one and ends the loop, and RunSaver raises it again.
template <typename F>
void Guarded(F&& body) {
    try {
        body();
    } catch (...) {
        if (!g_run.pendingError) g_run.pendingError = std::current_exception();
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
            if (controller && controller->SaverActive()) {
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
                if (!GetCursorPos(&cursor)) ClientToScreen(window, &cursor);
                Guarded([&] { controller->OnMouseMove({cursor.x, cursor.y}); });
            }
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
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    return CreateWindowExW(WS_EX_TOPMOST, L"VTL3DSaver", L"Saver", WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                           0, width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
}

}  // namespace

void RunSaver(IRegistry& registry, IHostFolders& folders) {
    g_run.registry = &registry;
    const bool useCurrentMode = ReadSettingBool(registry, kUseCurrentMode);
    if (!useCurrentMode) {
        if (const auto mode = GetVideoModeSize(ReadSetting(registry, kVideoMode)))
            SetVideoMode(mode->width, mode->height, mode->bitsPerPixel);
    }
    g_run.window = CreateSaverWindow();
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::int32_t timingFps = ReadSetting(registry, kTimingFPS);
    g_run.content = std::make_unique<win32::SaverContent>(registry, folders);
    g_run.content->SetupScene(g_run.window, width, height);

    ::ShowCursor(FALSE);
    POINT start{};
    std::optional<ScreenPoint> startPoint;
    if (GetCursorPos(&start)) startPoint = ScreenPoint{start.x, start.y};
    g_run.controller = std::make_unique<SaverController>(g_run, startPoint);
    HWND previousForeground = GetForegroundWindow();
    SystemParametersInfoW(SPI_SCREENSAVERRUNNING, TRUE, nullptr, 0);
    if (ReadSettingBool(registry, kEnableSounds)) g_run.content->StartSound();

    ShowWindow(g_run.window, SW_SHOW);
    UpdateWindow(g_run.window);
    SetForegroundWindow(g_run.window);
    SetFocus(g_run.window);
    g_run.controller->Start();
    g_run.frameTimer = timeSetEvent(FrameTimerDelayMs(timingFps), 0, FrameTimerProc, 0, TIME_PERIODIC);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    if (g_run.pendingError) std::rethrow_exception(g_run.pendingError);

    ShowWindow(g_run.window, SW_HIDE);
    // No frame comes after this: release the device in order now, while the saver still
    // runs, rather than amid the exit of Direct3D's and the driver's own threads.
    g_run.content->ReleaseScene();
    g_run.content->StopSound();
    if (!useCurrentMode) RestoreVideoMode();
    SystemParametersInfoW(SPI_SCREENSAVERRUNNING, FALSE, nullptr, 0);
    SetForegroundWindow(previousForeground);
}
