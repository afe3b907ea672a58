// A stand-in for the Display Properties' preview area, for the end-to-end tests.
//
//   previewhost.exe watch W H   makes a host window of W x H (outer size) and prints its
//       handle as "host <decimal>"; once another process has put a child into it,
//       prints "child class=<c> title=<t> disabled=<0|1> size=<w>x<h> visible=<0|1>",
//       then destroys the host (as the dialog does on closing) and prints "destroyed".
//   previewhost.exe inproc X Y W H SECONDS   makes a host window at X, Y and runs the
//       saver's own preview code in it in this process (a child window in another
//       process's window is never drawn under Wine), prints "picture <x>,<y> <r> <g> <b>"
//       for sample points of the "PREVIEW" bitmap, destroys the host after SECONDS and
//       prints "returned" when the preview code has returned.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/saver/win32/preview.h"

namespace {

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER) {
        KillTimer(window, wParam);
        DestroyWindow(window);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeHost(int x, int y, int w, int h) {
    WNDCLASSW cls{};
    cls.lpfnWndProc = HostProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = CreateSolidBrush(RGB(255, 0, 255));  // stands out from the picture
    cls.lpszClassName = L"VtlTestPreviewHost";
    RegisterClassW(&cls);
    return CreateWindowExW(0, cls.lpszClassName, L"Preview host", WS_POPUP | WS_VISIBLE, x, y, w, h, nullptr, nullptr,
                           cls.hInstance, nullptr);
}

void Pump(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(20);
    }
}

int Watch(int w, int h) {
    HWND host = MakeHost(0, 0, w, h);
    if (!host) return 2;
    std::printf("host %ld\n", static_cast<long>(reinterpret_cast<INT_PTR>(host)));
    std::fflush(stdout);
    HWND child = nullptr;
    for (int i = 0; i < 600 && !child; ++i) {
        Pump(50);
        child = GetWindow(host, GW_CHILD);
    }
    if (!child) {
        std::printf("no child\n");
        return 3;
    }
    Pump(300);
    wchar_t cls[128] = {}, title[128] = {};
    GetClassNameW(child, cls, 128);
    GetWindowTextW(child, title, 128);
    RECT r{};
    GetWindowRect(child, &r);
    std::printf("child class=%ls title=%ls disabled=%d size=%ldx%ld visible=%d\n", cls, title,
                IsWindowEnabled(child) ? 0 : 1, r.right - r.left, r.bottom - r.top, IsWindowVisible(child) ? 1 : 0);
    std::fflush(stdout);
    DestroyWindow(host);
    std::printf("destroyed\n");
    std::fflush(stdout);
    return 0;
}

// Expected colours straight from the resource, for comparison with the screen.
void PrintPictureSamples() {
    auto* bitmap = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), L"PREVIEW", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) {
        std::printf("no picture\n");
        return;
    }
    BITMAP info{};
    GetObjectW(bitmap, sizeof info, &info);
    std::printf("picture size %ldx%ld bpp %d\n", info.bmWidth, info.bmHeight, info.bmBitsPixel);
    BITMAPINFO request{};
    request.bmiHeader.biSize = sizeof request.bmiHeader;
    request.bmiHeader.biWidth = info.bmWidth;
    request.bmiHeader.biHeight = -info.bmHeight;  // top-down rows
    request.bmiHeader.biPlanes = 1;
    request.bmiHeader.biBitCount = 32;
    request.bmiHeader.biCompression = BI_RGB;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(info.bmWidth * info.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &request, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    for (int y = 4; y < info.bmHeight; y += 9)
        for (int x = 3; x < info.bmWidth; x += 11) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(y * info.bmWidth + x)];
            std::printf("picture %d,%d %u %u %u\n", x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
        }
    std::fflush(stdout);
}

int InProcess(int x, int y, int w, int h, int seconds) {
    HWND host = MakeHost(x, y, w, h);
    if (!host) return 2;
    PrintPictureSamples();
    SetTimer(host, 1, static_cast<UINT>(seconds) * 1000, nullptr);
    RunPreview(static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(host)));
    std::printf("returned\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "watch" && argc == 4) return Watch(std::atoi(argv[2]), std::atoi(argv[3]));
    if (mode == "inproc" && argc == 7)
        return InProcess(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]),
                         std::atoi(argv[6]));
    std::fprintf(stderr, "usage: previewhost watch W H | inproc X Y W H SECONDS\n");
    return 2;
}
