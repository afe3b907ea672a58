// Renderer core: the shared Direct3D object, device creation, the frame protocol,
// the camera and the composing world transforms.
#include <cstring>
#include <utility>

#include "engine/e3d_renderer.h"

#include "engine/e3d_mesh.h"
#include "engine/e3d_numfont.h"

namespace vtl {

namespace {

struct Direct3DModule {
    Direct3DCreateFn create;
    std::shared_ptr<IRenderD3D> d3d;
};

Direct3DModule& Module() {
    static Direct3DModule module;
    return module;
}

D3DPRESENT_PARAMETERS PresentParameters(std::uint32_t backBufferFormat) {
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 0;  // both taken from the window
    pp.BackBufferHeight = 0;
    pp.BackBufferFormat = backBufferFormat;
    pp.BackBufferCount = 0;
    pp.MultiSampleType = D3DMULTISAMPLE_NONE;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = nullptr;  // the focus window is used
    pp.Windowed = 1;
    pp.EnableAutoDepthStencil = 1;
    pp.AutoDepthStencilFormat = D3DFMT_D16;
    pp.Flags = 0;
    pp.FullScreen_RefreshRateInHz = 0;
    pp.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;
    return pp;
}

// A default-pool buffer holding `bytes`, or for a back side the same vertices with
// their normals negated; null when there are none or the device refuses (the mesh then
// draws nothing).
std::shared_ptr<IRenderVertexBuffer> RefilledBuffer(IRenderDevice& device, const std::vector<std::uint8_t>& bytes,
                                                    bool backSide = false) {
    if (bytes.empty()) return nullptr;
    const auto length = static_cast<std::uint32_t>(bytes.size());
    std::shared_ptr<IRenderVertexBuffer> buffer;
    if (device.CreateVertexBuffer(length, 0, kBufferVertexFvf, D3DPOOL_DEFAULT, buffer) < 0 || !buffer) return nullptr;
    std::uint8_t* data = nullptr;
    if (buffer->Lock(0, length, &data, 0) < 0 || data == nullptr) return nullptr;
    std::memcpy(data, bytes.data(), length);
    if (backSide) {
        for (std::uint32_t at = 0; at + kBufferVertexStride <= length; at += kBufferVertexStride) {
            TBufferVertex vertex;
            std::memcpy(&vertex, data + at, kBufferVertexStride);
            vertex = BackSideVertex(vertex);
            std::memcpy(data + at, &vertex, kBufferVertexStride);
        }
    }
    buffer->Unlock();
    return buffer;
}

// The device's own states, made again after a reset.
void SetDeviceDefaults(IRenderDevice& device) {
    device.SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    D3DLIGHT8 light;
    InitDirectionalLight(light, MakeVector(0, 0, -2), kLightDiffuse, kLightDiffuse, kLightDiffuse, 0);
    device.SetLight(0, light);
    device.LightEnable(0, true);
}

// Composes on the left of the device's current world matrix.
void PrependWorld(TRenderInfo* R, const D3DMATRIX& m) {
    if (R == nullptr) return;
    D3DMATRIX world = kIdentityMatrix;
    R->Device->GetTransform(D3DTS_WORLD, world);
    R->Device->SetTransform(D3DTS_WORLD, MatrixMultiply(m, world));
}

}  // namespace

void SetDirect3DCreate(Direct3DCreateFn create) { Module().create = std::move(create); }

int InitDirect3D(int Mode) {
    Direct3DModule& module = Module();
    module.d3d.reset();
    if (Mode != 1) return 0;
    if (module.create) module.d3d = module.create(kD3DSdkVersion);
    return module.d3d ? 0 : kErrNoDirect3D;
}

std::unique_ptr<TRenderInfo> CreateRenderInfo(WindowHandle Window, int Width, int Height, int VertexProcessing,
                                              bool KeepBackBuffer) {
    const std::shared_ptr<IRenderD3D>& d3d = Module().d3d;
    if (!d3d) return nullptr;
    // A screen without width or height has no aspect: the projection would be
    // infinite or zero and nothing could be seen.
    if (Width <= 0 || Height <= 0) return nullptr;
    auto info = std::make_unique<TRenderInfo>();
    info->D3D = d3d;

    D3DDISPLAYMODE mode{};
    if (d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode) < 0) return nullptr;
    D3DPRESENT_PARAMETERS pp = PresentParameters(mode.Format);
    if (KeepBackBuffer) pp.SwapEffect = D3DSWAPEFFECT_COPY;

    std::uint32_t flags;
    if (VertexProcessing & 1)
        flags = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
    else if (VertexProcessing & 2)
        flags = D3DCREATE_HARDWARE_VERTEXPROCESSING;
    else
        return nullptr;

    if (d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, Window, flags, pp, info->Device) < 0 || !info->Device)
        return nullptr;

    info->KeepsBackBuffer = KeepBackBuffer;
    info->PresentParams = pp;
    info->Aspect = static_cast<float>(static_cast<double>(Height) / Width);
    SetDeviceDefaults(*info->Device);
    return info;
}

int RestoreLostDevice(TRenderInfo* R, const std::vector<TMeshInfo*>& Meshes, TNumFontInfo* Font) {
    if (R == nullptr) return kErrDeviceLost;
    IRenderDevice& device = *R->Device;
    const HResult level = device.TestCooperativeLevel();
    if (level >= 0) return 0;
    if (level != D3DERR_DEVICENOTRESET) return kErrDeviceLost;
    // Reset refuses while anything of the default pool lives, a bound stream included.
    device.SetStreamSource(0, nullptr, 0);
    for (TMeshInfo* mesh : Meshes) {
        if (mesh == nullptr) continue;
        mesh->FrontBuffer.reset();
        mesh->BackBuffer.reset();
    }
    if (Font) Font->VertexBuffer.reset();
    D3DPRESENT_PARAMETERS pp = R->PresentParams;
    if (device.Reset(pp) < 0) return kErrDeviceLost;
    SetDeviceDefaults(device);
    for (TMeshInfo* mesh : Meshes) {
        if (mesh == nullptr) continue;
        mesh->FrontBuffer = RefilledBuffer(device, mesh->FrontBytes);
        if (mesh->TwoSided) mesh->BackBuffer = RefilledBuffer(device, mesh->FrontBytes, true);
    }
    if (Font) Font->VertexBuffer = RefilledBuffer(device, Font->QuadBytes);
    return 0;
}

int BeginFrame(TRenderInfo* R) {
    if (R == nullptr) return kErrBeginNoRenderer;
    if (R->Device->BeginScene() < 0) return kErrBeginScene;
    R->Device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    R->Device->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
    R->Device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    return 0;
}

int ClearFrame(TRenderInfo* R, D3DCOLOR Color) {
    if (R == nullptr) return kErrClearNoRenderer;
    R->Device->Clear(0, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, Color, 1.0f, 0);
    return 0;
}

int SetCamera(TRenderInfo* R, float EyeX, float EyeY, float EyeZ, float AtX, float AtY, float AtZ) {
    if (R == nullptr) return 0;
    D3DMATRIX view;
    // An eye on the target has no line of sight: the previous view stays.
    if (MakeLookAtMatrix(view, MakeVector(EyeX, EyeY, EyeZ), MakeVector(AtX, AtY, AtZ), MakeVector(0, 1, 0)) >= 0)
        R->Device->SetTransform(D3DTS_VIEW, view);
    D3DMATRIX projection = kZeroMatrix;
    MakePerspectiveMatrix(projection, kCameraFieldOfView, R->Aspect, kCameraNearPlane, kCameraFarPlane);
    R->Device->SetTransform(D3DTS_PROJECTION, projection);
    return 0;
}

// The world operations do nothing without a renderer rather than fault.
void ResetWorld(TRenderInfo* R) {
    if (R == nullptr) return;
    R->Device->SetTransform(D3DTS_WORLD, MakeTranslationMatrix(0, 0, 0));
}

void SetWorldTranslation(TRenderInfo* R, float X, float Y, float Z) {
    if (R == nullptr) return;
    R->Device->SetTransform(D3DTS_WORLD, MakeTranslationMatrix(X, Y, Z));
}

void TranslateWorld(TRenderInfo* R, float X, float Y, float Z) { PrependWorld(R, MakeTranslationMatrix(X, Y, Z)); }

void ScaleWorld(TRenderInfo* R, float X, float Y, float Z) { PrependWorld(R, MakeScaleMatrix(X, Y, Z)); }

void RotateWorld(TRenderInfo* R, float AngleX, float AngleY, float AngleZ) {
    if (R == nullptr) return;
    D3DMATRIX world = kIdentityMatrix;
    R->Device->GetTransform(D3DTS_WORLD, world);
    world = MatrixMultiply(MakeRotationXMatrix(AngleX), world);
    world = MatrixMultiply(MakeRotationYMatrix(AngleY), world);
    world = MatrixMultiply(MakeRotationZMatrix(AngleZ), world);
    R->Device->SetTransform(D3DTS_WORLD, world);
}

void RotateWorldDeg(TRenderInfo* R, float AngleX, float AngleY, float AngleZ) {
    RotateWorld(R, DegToRad(AngleX), DegToRad(AngleY), DegToRad(AngleZ));
}

float DegToRad(float Degrees) { return static_cast<float>(double(Degrees) * 3.14159265358979323846 / 180.0); }

int EndFrame(TRenderInfo* R) {
    if (R == nullptr) return kErrEndNoRenderer;
    if (R->Device->EndScene() < 0) return kErrEndScene;
    // Mirrors first: a driver that scales a mirror's copy through the scene window's own
    // surface (Wine's does) has it overwritten by the scene's present that follows. A
    // mirror that failed (its window went with a monitor) costs only its own copy.
    if (R->KeepsBackBuffer)
        for (WindowHandle mirror : R->MirrorWindows) R->Device->PresentTo(mirror);
    if (R->Device->Present() < 0) return kErrPresent;
    return 0;
}

}  // namespace vtl
