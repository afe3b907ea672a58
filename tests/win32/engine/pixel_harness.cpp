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

namespace vtl::testing {

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

Rgb ToRgb(std::uint32_t argb) {
    return Rgb{int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)};
}

::testing::AssertionResult Near(std::uint32_t argb, Rgb want, int tolerance) {
    const Rgb got = ToRgb(argb);
    if (std::abs(got.r - want.r) <= tolerance && std::abs(got.g - want.g) <= tolerance &&
        std::abs(got.b - want.b) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << got.r << "," << got.g << "," << got.b << "), want ("
                                         << want.r << "," << want.g << "," << want.b << ") +-" << tolerance;
}

void EnginePixelTest::SetUp() {
    SetDirect3DCreate(&CreateD3D8);
    SetTextureLoader(CreateD3D8ExTextureLoader());
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

std::string EnginePixelTest::Path(const std::string& name) const { return folder_ + "\\" + name; }

void EnginePixelTest::StartFrame(D3DCOLOR clear) {
    ASSERT_EQ(BeginFrame(R()), 0);
    ClearFrame(R(), clear);
    SetCamera(R(), 0, 0, 1.44f, 0, 0, 0);
    R()->Device->GetTransform(::D3DTS_VIEW, view_);
    R()->Device->GetTransform(::D3DTS_PROJECTION, projection_);
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

std::uint32_t EnginePixelTest::Pixel(int x, int y) const {
    if (pitch_ == 0 || x < 0 || y < 0 || x >= pitch_ || std::size_t(y) * pitch_ >= pixels_.size()) return 0xDEADBEEF;
    return pixels_[std::size_t(y) * pitch_ + x] & 0xFFFFFFu;
}

void EnginePixelTest::ScreenOf(float x, float y, float z, int& px, int& py) const {
    const D3DMATRIX m = MatrixMultiply(view_, projection_);
    const float cx = x * m.m[0][0] + y * m.m[1][0] + z * m.m[2][0] + m.m[3][0];
    const float cy = x * m.m[0][1] + y * m.m[1][1] + z * m.m[2][1] + m.m[3][1];
    const float cw = x * m.m[0][3] + y * m.m[1][3] + z * m.m[2][3] + m.m[3][3];
    px = int((cx / cw + 1.0f) * 0.5f * kWidth);
    py = int((1.0f - cy / cw) * 0.5f * kHeight);
}

std::uint32_t EnginePixelTest::PixelAt(float x, float y, float z) const {
    int px = 0, py = 0;
    ScreenOf(x, y, z, px, py);
    return Pixel(px, py);
}

void WriteMesh(const std::string& path, const std::vector<Corner>& corners) {
    MeshData mesh;
    for (std::size_t i = 0; i + 2 < corners.size(); i += 3) {
        const std::int32_t b = std::int32_t(i);
        mesh.triangles.push_back({b, b + 1, b + 2, b, b + 1, b + 2, 0, 0, 0});
    }
    for (const Corner& c : corners) {
        mesh.positions.push_back(c.p);
        mesh.normals.push_back(c.n);
    }
    ASSERT_TRUE(SaveMeshFile(path, mesh));
}

void WriteBytes(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary);
    out.write(static_cast<const char*>(data), std::streamsize(size));
    ASSERT_TRUE(out.good());
}

void WriteBmp(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb) {
    const int rowBytes = (width * 3 + 3) & ~3;
    std::vector<std::uint8_t> file(54 + std::size_t(rowBytes) * height, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = std::uint8_t(v >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, std::uint32_t(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    file[26] = 1;
    file[28] = 24;
    put32(34, std::uint32_t(file.size() - 54));
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = &file[54 + std::size_t(height - 1 - y) * rowBytes];
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = argb[std::size_t(y) * width + x];
            row[x * 3 + 0] = std::uint8_t(p);
            row[x * 3 + 1] = std::uint8_t(p >> 8);
            row[x * 3 + 2] = std::uint8_t(p >> 16);
        }
    }
    WriteBytes(path, file.data(), file.size());
}

}  // namespace vtl::testing
