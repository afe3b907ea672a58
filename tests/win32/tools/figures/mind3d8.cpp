// The least a Direct3D 8 program does before its first frame: create the object and a
// windowed device on a full-screen window, clear and present once. Prints the time
// from process creation to that first present.
#include <windows.h>
#include <d3d8.h>

#include <cstdio>

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
    // Loaded at run time, as the saver does: mingw-w64 ships no import library for it.
    HMODULE library = LoadLibraryW(L"d3d8.dll");
    using Create = IDirect3D8*(WINAPI*)(UINT);
    const auto create =
        reinterpret_cast<Create>(reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")));
    if (!create) return 1;
    IDirect3D8* d3d = create(D3D_SDK_VERSION);
    if (!d3d) return 2;
    D3DDISPLAYMODE mode{};
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = mode.Format;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    IDirect3DDevice8* device = nullptr;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                 &device)))
        return 3;
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    device->BeginScene();
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
    std::printf("first-present-ms %.1f\npeak-mb %.1f\n", MsSinceProcessStart(), PeakMegabytes());
    return 0;
}
