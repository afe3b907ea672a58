// The least a Direct3D 8 program does before its first frame: create the object and a
// windowed device on a full-screen window, clear and present once. Prints the time
// from process creation to that first present.
#include <windows.h>
#include <d3d8.h>

#include <cstdio>

#include "figure_run.h"
#include "process_clock.h"

int main() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"MinD3D8";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, L"MinD3D8", L"MinD3D8", WS_POPUP | WS_VISIBLE, 0, 0,
                                  GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                  windowClass.hInstance, nullptr);
    IDirect3D8* d3d = nullptr;
    IDirect3DDevice8* device = nullptr;
    if (const int failed = CreateWindowedDevice(window, d3d, device)) return failed;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    std::printf("first-present-ms %.1f\npeak-mb %.1f\n", MsSinceProcessStart(), PeakMegabytes());
    return 0;
}
