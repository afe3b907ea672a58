#include "app/saver/win32/monitor_covers.h"

namespace vtl::win32 {
namespace {

constexpr wchar_t kCoverClass[] = L"VTL3DCover";

HWND SceneOf(HWND cover) { return reinterpret_cast<HWND>(GetWindowLongPtrW(cover, GWLP_USERDATA)); }

// Input on a cover is input on the scene: moves arrive in the scene window's client
// coordinates, as if the cursor had moved over it, and the scene's own rules decide.
LRESULT CALLBACK CoverWndProc(HWND cover, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
        case WM_SETCURSOR: SetCursor(nullptr); return TRUE;
        case WM_MOUSEMOVE:
            if (HWND scene = SceneOf(cover)) {
                POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
                ClientToScreen(cover, &point);
                ScreenToClient(scene, &point);
                SendMessageW(scene, WM_MOUSEMOVE, wParam, MAKELPARAM(point.x, point.y));
            }
            return 0;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
            if (HWND scene = SceneOf(cover)) SendMessageW(scene, message, wParam, lParam);
            return 0;
        default: return DefWindowProcW(cover, message, wParam, lParam);
    }
}

void RegisterCoverClass() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = CoverWndProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = kCoverClass;
    RegisterClassW(&windowClass);  // fails harmlessly when already registered
}

BOOL CALLBACK AddMonitor(HMONITOR, HDC, LPRECT rect, LPARAM list) {
    reinterpret_cast<std::vector<ScreenRect>*>(list)->push_back({rect->left, rect->top, rect->right, rect->bottom});
    return TRUE;
}

}  // namespace

std::vector<ScreenRect> SystemMonitors() {
    std::vector<ScreenRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

void MonitorCovers::Cover(HWND sceneWindow) {
    Remove();
    const SaverLayout layout = LayOutSaver(monitors_(), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    RegisterCoverClass();
    for (const ScreenRect& rect : layout.covers) {
        // Not owned by the scene window: an owned window always stands above its
        // owner, and a cover that overlaps the scene in part must stay beneath it.
        HWND cover =
            CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW, kCoverClass, L"Cover", WS_POPUP,
                            rect.left, rect.top, static_cast<int>(rect.Width()), static_cast<int>(rect.Height()),
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!cover) continue;  // a monitor left uncovered is better than no saver
        windows_.push_back(cover);
        SetWindowLongPtrW(cover, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(sceneWindow));
        SetWindowPos(cover, sceneWindow, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

void MonitorCovers::Remove() {
    for (HWND cover : windows_) DestroyWindow(cover);
    windows_.clear();
}

}  // namespace vtl::win32
