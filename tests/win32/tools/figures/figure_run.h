#pragma once
// What the figures programs share, so that each differs from the others only in what
// it measures: a windowed Direct3D 8 device made the way the saver makes it, and the
// timed run whose paints they count.
#include <windows.h>
#include <d3d8.h>

// Loads Direct3D 8 at run time, as the saver does (mingw-w64 ships no import library
// for it), and makes a windowed device in the display's format with a 16-bit depth
// buffer on `window`. 0 when both are made; otherwise 1 (no Direct3DCreate8), 2 (no
// Direct3D object) or 3 (no device), and nothing is left to release.
inline int CreateWindowedDevice(HWND window, IDirect3D8*& d3d, IDirect3DDevice8*& device) {
    d3d = nullptr;
    device = nullptr;
    HMODULE library = LoadLibraryW(L"d3d8.dll");
    using Create = IDirect3D8*(WINAPI*)(UINT);
    const auto create =
        library ? reinterpret_cast<Create>(reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")))
                : nullptr;
    if (!create) return 1;
    d3d = create(D3D_SDK_VERSION);
    if (!d3d) return 2;
    D3DDISPLAYMODE mode{};
    d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode);
    D3DPRESENT_PARAMETERS pp{};
    pp.Windowed = TRUE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.BackBufferFormat = mode.Format;
    pp.EnableAutoDepthStencil = TRUE;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    if (FAILED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                 &device))) {
        device = nullptr;
        d3d->Release();
        d3d = nullptr;
        return 3;
    }
    return 0;
}

// Dispatches messages for `seconds`; paints come whenever the queue is otherwise
// empty, as in the saver's own loop.
inline void PumpMessagesFor(int seconds) {
    const DWORD end = GetTickCount() + static_cast<DWORD>(seconds) * 1000;
    MSG message;
    while (static_cast<int>(end - GetTickCount()) > 0) {
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        else
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}
