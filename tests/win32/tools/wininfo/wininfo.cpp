// Describes the windows of another process for end-to-end tests, one line each:
//   wininfo.exe "<window title>"
//   top class=<c> title=<t> enabled=<0|1> client=<w>x<h>
//   order z=<n> topmost=<0|1> owner=<title>   (z: 0 for the top visible window of the
//                                              desktop, counting visible top-level windows)
//   child id=<n> class=<c> text=<t> enabled=<0|1> visible=<0|1> state=<n> rect=<x>,<y>,<w>,<h>
// state: check boxes and buttons their check state, track bars their position, combo
// boxes their selected index (-1: none), edits 0; rect is in screen coordinates.
// Exit code 1 when no such window.
//   wininfo.exe --monitors
//   monitors count=<SM_CMONITORS>
//   monitor rect=<left>,<top>,<right>,<bottom> primary=<0|1>   (one line each)
//   wininfo.exe --screensaver-running
//   screensaver-running=<0|1>   (the system's flag that a saver runs)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result);
    return static_cast<LRESULT>(result);
}

std::string Utf8(const wchar_t* text) {
    char buffer[1024] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, -1, buffer, sizeof buffer - 1, nullptr, nullptr);
    return buffer;
}

BOOL CALLBACK Describe(HWND child, LPARAM) {
    wchar_t cls[128] = {}, text[512] = {};
    GetClassNameW(child, cls, 128);
    // WM_GETTEXT is carried across processes; the edit's text lives in its process.
    Ask(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text));
    const std::wstring kind = cls;
    long state = 0;
    if (_wcsicmp(cls, L"Button") == 0)
        state = static_cast<long>(Ask(child, BM_GETCHECK));
    else if (_wcsicmp(cls, TRACKBAR_CLASSW) == 0)
        state = static_cast<long>(Ask(child, TBM_GETPOS));
    else if (_wcsicmp(cls, L"ComboBox") == 0)
        state = static_cast<long>(Ask(child, CB_GETCURSEL));
    RECT r{};
    GetWindowRect(child, &r);
    std::printf("child id=%d class=%s text=%s enabled=%d visible=%d state=%ld rect=%ld,%ld,%ld,%ld\n",
                GetDlgCtrlID(child), Utf8(cls).c_str(), Utf8(text).c_str(), IsWindowEnabled(child) ? 1 : 0,
                IsWindowVisible(child) ? 1 : 0, state, r.left, r.top, r.right - r.left, r.bottom - r.top);
    return TRUE;
}

struct ZSearch {
    HWND target;
    int seen = 0;
    int found = -1;
};

BOOL CALLBACK CountDown(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ZSearch*>(param);
    if (window == search->target) {
        search->found = search->seen;
        return FALSE;
    }
    if (IsWindowVisible(window)) ++search->seen;
    return TRUE;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    const RECT& r = info.rcMonitor;
    std::printf("monitor rect=%ld,%ld,%ld,%ld primary=%d\n", r.left, r.top, r.right, r.bottom,
                (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"--screensaver-running") {
        BOOL running = FALSE;
        SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
        std::printf("screensaver-running=%d\n", running ? 1 : 0);
        return 0;
    }
    if (argc == 2 && std::wstring(argv[1]) == L"--monitors") {
        std::printf("monitors count=%d\n", GetSystemMetrics(SM_CMONITORS));
        EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, 0);
        return 0;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: wininfo \"<window title>\"\n");
        return 2;
    }
    HWND top = FindWindowW(nullptr, argv[1]);
    if (!top) return 1;
    wchar_t cls[128] = {};
    GetClassNameW(top, cls, 128);
    RECT client{};
    GetClientRect(top, &client);
    std::printf("top class=%s title=%s enabled=%d client=%ldx%ld\n", Utf8(cls).c_str(), Utf8(argv[1]).c_str(),
                IsWindowEnabled(top) ? 1 : 0, client.right, client.bottom);
    ZSearch search{top};
    EnumWindows(CountDown, reinterpret_cast<LPARAM>(&search));
    wchar_t ownerTitle[256] = {};
    if (HWND owner = GetWindow(top, GW_OWNER)) GetWindowTextW(owner, ownerTitle, 256);
    std::printf("order z=%d topmost=%d owner=%s\n", search.found,
                (GetWindowLongW(top, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0, Utf8(ownerTitle).c_str());
    EnumChildWindows(top, Describe, 0);
    std::fflush(stdout);
    return 0;
}
