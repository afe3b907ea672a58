// The floor of the saver's frame: a minimal Direct3D 8 program that draws the same
// geometry (picture quad, skull and glasses, each as a front and a back triangle list
// of the same 36-byte vertices), with the same textures, lighting, filtering, depth
// and cull states and the same present parameters, paced by the same multimedia timer
// and paint messages; but it sets every state only when it changes and keeps nothing
// else. Variants leave parts out, so that their differences split a frame's cost.
//   floord3d8.exe ASSETDIR TIMINGFPS SECONDS [VARIANT]
// ASSETDIR holds the unpacked scene pack. VARIANT:
//   full        the saver's default frame (glasses and both reflections)
//   plain       no glasses, no reflection
//   clear       clear and present only
//   background  the picture quad only
//   skull       the picture quad and the reflecting skull
//   tinyskull   as full, but skull and glasses shrunk to a point: their vertices cost
//               as much, their pixels nothing
//   backonly    as full, without the front buffers of skull and glasses (their
//               outside, which covers most of their pixels)
// and, to weigh what an equivalent but different use of Direct3D 8 would save:
//   zclear      as full, clearing the depth buffer only (the picture covers the screen)
//   point       as full, with point instead of linear texture filtering
//   writeonly   as full, with write-only vertex buffers
#include <windows.h>
#include <d3d8.h>
#include <mmsystem.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "pack/assetnames.h"

#include "app/common/saverloop.h"
#include "figure_run.h"
#include "process_clock.h"
#include "support/floor_mesh.h"

namespace {

struct Vertex {
    float x, y, z, nx, ny, nz;
    DWORD color;
    float u, v;
};
static_assert(sizeof(Vertex) == 36, "vertex layout");
constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct Mesh {
    IDirect3DVertexBuffer8* front = nullptr;
    IDirect3DVertexBuffer8* back = nullptr;
    UINT triangles = 0;
};

DWORD g_bufferUsage = 0;

IDirect3DVertexBuffer8* Buffer(IDirect3DDevice8* device, const std::vector<Vertex>& vertices) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    const UINT length = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    if (FAILED(device->CreateVertexBuffer(length, g_bufferUsage, kFvf, D3DPOOL_DEFAULT, &buffer))) return nullptr;
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, length, &data, 0))) return nullptr;
    std::memcpy(data, vertices.data(), length);
    buffer->Unlock();
    return buffer;
}

Mesh Upload(IDirect3DDevice8* device, const std::vector<Vertex>& front) {
    std::vector<Vertex> back = front;
    for (Vertex& v : back) {
        v.nx = -v.nx;
        v.ny = -v.ny;
        v.nz = -v.nz;
    }
    Mesh mesh;
    mesh.front = Buffer(device, front);
    mesh.back = Buffer(device, back);
    mesh.triangles = static_cast<UINT>(front.size() / 3);
    return mesh;
}

using CreateTexture = HRESULT(WINAPI*)(IDirect3DDevice8*, LPCSTR, IDirect3DTexture8**);

IDirect3DTexture8* LoadTexture(IDirect3DDevice8* device, const std::string& path) {
    static HMODULE library = LoadLibraryW(L"d3d8ex.dll");
    const auto create =
        reinterpret_cast<CreateTexture>(reinterpret_cast<void*>(GetProcAddress(library, "D3DXCreateTextureFromFileA")));
    IDirect3DTexture8* texture = nullptr;
    if (!create || FAILED(create(device, path.c_str(), &texture))) return nullptr;
    return texture;
}

D3DMATRIX Identity() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1;
    return m;
}

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

D3DMATRIX Translation(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m._41 = x;
    m._42 = y;
    m._43 = z;
    return m;
}

D3DMATRIX Scale(float x, float y, float z) {
    D3DMATRIX m = Identity();
    m._11 = x;
    m._22 = y;
    m._33 = z;
    return m;
}

D3DMATRIX RotationX(float a) {
    D3DMATRIX m = Identity();
    m._22 = std::cos(a);
    m._23 = std::sin(a);
    m._32 = -std::sin(a);
    m._33 = std::cos(a);
    return m;
}

D3DMATRIX RotationZ(float a) {
    D3DMATRIX m = Identity();
    m._11 = std::cos(a);
    m._12 = std::sin(a);
    m._21 = -std::sin(a);
    m._22 = std::cos(a);
    return m;
}

float Radians(double degrees) { return static_cast<float>(degrees * 3.14159265358979323846 / 180.0); }

struct Floor {
    IDirect3DDevice8* device = nullptr;
    Mesh quad, skull, glasses;
    IDirect3DTexture8* background = nullptr;
    IDirect3DTexture8* environment = nullptr;
    std::string variant = "full";
    float angle = -90.0f;
    DWORD cull = 0;
    double drawSeconds = 0, presentSeconds = 0;

    void Cull(DWORD mode) {
        if (cull != mode) device->SetRenderState(D3DRS_CULLMODE, mode);
        cull = mode;
    }
    void Draw(const Mesh& mesh, bool front = true) {
        if (front && mesh.front) {
            Cull(D3DCULL_CCW);
            device->SetStreamSource(0, mesh.front, sizeof(Vertex));
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, mesh.triangles);
        }
        if (mesh.back) {
            Cull(D3DCULL_CW);
            device->SetStreamSource(0, mesh.back, sizeof(Vertex));
            device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, mesh.triangles);
        }
    }

    void Setup(float aspect) {
        // Device states that never change: the same values the saver sets.
        device->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
        device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
        device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
        D3DLIGHT8 light{};
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Diffuse.r = light.Diffuse.g = light.Diffuse.b = 0.75f;
        light.Direction.z = -1;
        device->SetLight(0, &light);
        device->LightEnable(0, TRUE);
        device->SetVertexShader(kFvf);
        device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
        const DWORD filter = variant == "point" ? D3DTEXF_POINT : D3DTEXF_LINEAR;
        device->SetTextureStageState(0, D3DTSS_MAGFILTER, filter);
        device->SetTextureStageState(0, D3DTSS_MINFILTER, filter);
        // The saver leaves the two-coordinate texture transform on after its first
        // reflection; with the identity matrix it does not move the picture's coordinates.
        device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
        // Camera at (0, 0, 1.44) looking at the origin, left-handed; 1 radian vertical.
        D3DMATRIX view = Identity();
        view._11 = -1;
        view._33 = -1;
        view._43 = 1.44f;
        device->SetTransform(D3DTS_VIEW, &view);
        const float yScale = 1.0f / std::tan(0.5f), zf = 100.0f, zn = 0.1f;
        D3DMATRIX projection{};
        projection._11 = yScale * aspect;
        projection._22 = yScale;
        projection._33 = zf / (zf - zn);
        projection._34 = 1;
        projection._43 = -zn * zf / (zf - zn);
        device->SetTransform(D3DTS_PROJECTION, &projection);
        cull = D3DCULL_CCW;
    }

    void Reflect(bool on) {
        D3DMATRIX m = Identity();
        if (on) {
            m._11 = 0.5f;
            m._22 = -0.5f;
            m._41 = 0.5f;
            m._42 = 0.5f;
        }
        device->SetTransform(D3DTS_TEXTURE0, &m);
        device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, on ? D3DTSS_TCI_CAMERASPACENORMAL : 0);
    }

    void Frame() {
        angle -= 0.9f;
        const bool all = variant == "full" || variant == "tinyskull" || variant == "backonly" || variant == "zclear" ||
                         variant == "point" || variant == "writeonly";
        const bool plain = variant == "plain";
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        device->BeginScene();
        device->Clear(0, nullptr, variant == "zclear" ? D3DCLEAR_ZBUFFER : D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f,
                      0);
        if (variant != "clear") {
            const D3DMATRIX at = Translation(0, 0, -1.24f);
            device->SetTransform(D3DTS_WORLD, &at);
            device->SetTexture(0, background);
            Draw(quad);
        }
        const D3DMATRIX dot = variant == "tinyskull" ? Scale(1e-4f, 1e-4f, 1e-4f) : Identity();
        if (all || plain || variant == "skull") {
            const D3DMATRIX world = Multiply(dot, Multiply(RotationZ(Radians(angle)), RotationX(Radians(-80))));
            device->SetTransform(D3DTS_WORLD, &world);
            if (!plain) {
                Reflect(true);
                device->SetTexture(0, environment);
            } else {
                device->SetTexture(0, nullptr);
            }
            Draw(skull, variant != "backonly");
        }
        if (all) {
            const D3DMATRIX world =
                Multiply(Multiply(dot, Multiply(Scale(0.37f, 0.37f, 0.4f), Translation(0, -0.034f, 0.25f))),
                         Multiply(RotationZ(Radians(double(angle) + 90)), RotationX(Radians(-80))));
            device->SetTransform(D3DTS_WORLD, &world);
            Draw(glasses, variant != "backonly");
        }
        if (all || variant == "skull") Reflect(false);
        device->EndScene();
        QueryPerformanceCounter(&t1);
        device->Present(nullptr, nullptr, nullptr, nullptr);
        QueryPerformanceCounter(&t2);
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        drawSeconds += double(t1.QuadPart - t0.QuadPart) / double(f.QuadPart);
        presentSeconds += double(t2.QuadPart - t1.QuadPart) / double(f.QuadPart);
    }
};

HWND g_window = nullptr;
Floor* g_floor = nullptr;
long g_frames = 0;

void CALLBACK Tick(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) { InvalidateRect(g_window, nullptr, FALSE); }

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && g_floor) {
        PAINTSTRUCT paint;
        BeginPaint(window, &paint);
        g_floor->Frame();
        EndPaint(window, &paint);
        ++g_frames;
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fputs("usage: floord3d8 ASSETDIR TIMINGFPS SECONDS [VARIANT]\n", stderr);
        return 2;
    }
    const std::string assets = argv[1];
    const int timingFps = std::atoi(argv[2]);
    const int seconds = std::atoi(argv[3]);
    Floor floor;
    if (argc > 4) floor.variant = argv[4];
    if (floor.variant == "writeonly") g_bufferUsage = D3DUSAGE_WRITEONLY;

    WNDCLASSW windowClass{};
    windowClass.style = CS_OWNDC;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"FloorD3D8";
    RegisterClassW(&windowClass);
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    g_window = CreateWindowExW(WS_EX_TOPMOST, L"FloorD3D8", L"FloorD3D8", WS_POPUP, 0, 0, width, height, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    IDirect3D8* d3d = nullptr;
    if (const int failed = CreateWindowedDevice(g_window, d3d, floor.device)) return failed;

    const std::vector<Vertex> quad = {
        {-2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFF, 1, 0},  {2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFF, 0, 0},
        {-2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFF, 1, 1}, {-2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFF, 1, 1},
        {2.0f, 1.5f, 0, 0, 0, -1, 0xFFFFFF, 0, 0},   {2.0f, -1.5f, 0, 0, 0, -1, 0xFFFFFF, 0, 1},
    };
    floor.quad = Upload(floor.device, quad);
    {
        std::vector<Vertex> skull, glasses;
        if (!vtl::floor::LoadFloorMesh(assets + "\\" + vtl::kSkullMeshFile, DWORD(0xFFFFFF), skull) ||
            !vtl::floor::LoadFloorMesh(assets + "\\" + vtl::kGlassesMeshFile, DWORD(0x404080), glasses)) {
            std::fputs("floord3d8: meshes not found\n", stderr);
            return 1;
        }
        floor.skull = Upload(floor.device, skull);
        floor.glasses = Upload(floor.device, glasses);
    }
    floor.background = LoadTexture(floor.device, assets + "\\" + vtl::kBackgroundPictureFile);
    floor.environment = LoadTexture(floor.device, assets + "\\" + vtl::kEnvironmentMapFile);
    if (!floor.background || !floor.environment) {
        std::fputs("floord3d8: textures not loaded\n", stderr);
        return 1;
    }
    floor.Setup(static_cast<float>(double(height) / width));
    g_floor = &floor;
    ShowWindow(g_window, SW_SHOW);
    UpdateWindow(g_window);

    const double cpuStart = CpuMs(), wallStart = MsSinceProcessStart();
    const long framesStart = g_frames;
    floor.drawSeconds = floor.presentSeconds = 0;
    const UINT timer = timeSetEvent(vtl::FrameTimerDelayMs(timingFps), 0, Tick, 0, TIME_PERIODIC);
    PumpMessagesFor(seconds);
    timeKillEvent(timer);
    const double wall = (MsSinceProcessStart() - wallStart) / 1000.0;
    const double frames = static_cast<double>(g_frames - framesStart);
    const double cpu = CpuMs() - cpuStart;
    std::printf(
        "variant %s\ntiming-fps %d\nframes-per-second %.1f\ncpu-ms-per-second %.0f\ncpu-ms-per-frame %.1f\n"
        "calls-ms-per-frame %.2f\npresent-ms-per-frame %.2f\npeak-mb %.1f\n",
        floor.variant.c_str(), timingFps, frames / wall, cpu / wall, frames > 0 ? cpu / frames : 0.0,
        frames > 0 ? floor.drawSeconds * 1000 / frames : 0.0, frames > 0 ? floor.presentSeconds * 1000 / frames : 0.0,
        PeakMegabytes());
    std::fflush(stdout);
    // Everything released before the window goes: a device left to the process's end
    // can take the process down with it under Wine, and the figures with it.
    for (Mesh* mesh : {&floor.quad, &floor.skull, &floor.glasses}) {
        if (mesh->front) mesh->front->Release();
        if (mesh->back) mesh->back->Release();
    }
    floor.device->SetStreamSource(0, nullptr, 0);
    floor.device->SetTexture(0, nullptr);
    floor.background->Release();
    floor.environment->Release();
    floor.device->Release();
    d3d->Release();
    g_floor = nullptr;
    DestroyWindow(g_window);
    return 0;
}
