#include "platform/win32/monitor_dpi.h"

#include "platform/win32/win32_libraries.h"

namespace vtl::win32 {
namespace {

// Declared here: the program is built for Windows 7, whose headers hide these.
using GetDpiForMonitorProc = HRESULT(WINAPI*)(HMONITOR, int /* MONITOR_DPI_TYPE */, UINT*, UINT*);
using AdjustWindowRectExForDpiProc = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using SetDialogDpiChangeBehaviorProc = BOOL(WINAPI*)(HWND, int, int);
constexpr int kEffectiveDpi = 0;         // MDT_EFFECTIVE_DPI
constexpr int kDialogDpiDisableAll = 1;  // DDC_DISABLE_ALL
constexpr int kDialogDpiDisableResize = 2;
constexpr int kDialogDpiDisableRelayout = 4;

template <typename Proc>
Proc Lookup(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

}  // namespace

UINT MonitorDpi(HMONITOR monitor) {
    // Loaded once and kept: the process asks again on every DPI change.
    static const auto getDpiForMonitor =
        Lookup<GetDpiForMonitorProc>(LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
    UINT x = 0, y = 0;
    if (monitor && getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && y > 0) return y;
    return SystemDpi();
}

RECT FrameForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi) {
    RECT frame{0, 0, clientWidth, clientHeight};
    static const auto adjustForDpi = Lookup<AdjustWindowRectExForDpiProc>(User32(), "AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
        frame = RECT{0, 0, clientWidth, clientHeight};
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return frame;
}

void LeaveDpiChangesToDialog(HWND dialog) {
    static const auto setBehavior = Lookup<SetDialogDpiChangeBehaviorProc>(User32(), "SetDialogDpiChangeBehavior");
    constexpr int all = kDialogDpiDisableAll | kDialogDpiDisableResize | kDialogDpiDisableRelayout;
    if (setBehavior) setBehavior(dialog, all, all);
}

}  // namespace vtl::win32
