#include "pixel_harness.h"

#include <windows.h>

#include <d3d8.h>

#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <fstream>

#include "engine/voxamesh.h"
#include "platform/win32/d3d8_device.h"
#include "platform/win32/d3d8_textureloader.h"

namespace vtl::pixeltest {

namespace {

const wchar_t kClassName[] = L"VtlEnginePixelTest";

void RegisterClassOnce() {
    static const bool registered = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClassName;
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        return RegisterClassW(&wc) != 0;
    }();
    (void)registered;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

void EnginePixelTest::SetUp() {
    SetDirect3DCreate(&win32::CreateD3D8);
    SetTextureLoader(win32::CreateD3D8ExTextureLoader());
    ASSERT_EQ(InitDirect3D(1), 0) << "no Direct3D 8";
    RegisterClassOnce();
    window_ = CreateWindowExW(0, kClassName, L"engine pixels", WS_POPUP | WS_VISIBLE, 0, 0, kWidth, kHeight, nullptr,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    Pump();
    renderer_ = CreateRenderInfo(window_, kWidth, kHeight, kVertexProcessingHardware);
    if (!renderer_) renderer_ = CreateRenderInfo(window_, kWidth, kHeight, kVertexProcessingSoftware);
    ASSERT_TRUE(renderer_) << "no device";

    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "vtl_engine_pixels_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder_.c_str(), nullptr);
}

void EnginePixelTest::TearDown() {
    renderer_.reset();
    if (window_) DestroyWindow(static_cast<HWND>(window_));
    InitDirect3D(0);
    SetTextureLoader(nullptr);
    SetDirect3DCreate(nullptr);
    // Best effort: the files each test wrote, then the folder.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder_ + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do DeleteFileA((folder_ + "\\" + found.cFileName).c_str());
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(folder_.c_str());
}

void EnginePixelTest::FinishFrame() {
    auto* device = static_cast<IDirect3DDevice8*>(R()->Device->NativeHandle());
    IDirect3DSurface8* back = nullptr;
    IDirect3DSurface8* copy = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    D3DSURFACE_DESC desc{};
    back->GetDesc(&desc);
    ASSERT_TRUE(desc.Format == ::D3DFMT_X8R8G8B8 || desc.Format == ::D3DFMT_A8R8G8B8) << desc.Format;
    ASSERT_EQ(device->CreateImageSurface(desc.Width, desc.Height, desc.Format, &copy), D3D_OK);
    const HRESULT copied = device->CopyRects(back, nullptr, 0, copy, nullptr);
    back->Release();
    EXPECT_EQ(EndFrame(R()), 0);
    ASSERT_EQ(copied, D3D_OK);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(copy->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    pitch_ = int(desc.Width);
    pixels_.assign(std::size_t(desc.Width) * desc.Height, 0);
    for (UINT y = 0; y < desc.Height; ++y)
        std::memcpy(&pixels_[std::size_t(y) * desc.Width], static_cast<BYTE*>(locked.pBits) + y * locked.Pitch,
                    desc.Width * 4);
    copy->UnlockRect();
    copy->Release();
}

}  // namespace vtl::pixeltest
