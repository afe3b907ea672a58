#pragma once
// The renderer core: a thin layer over a Direct3D 8 device (through the render-device
// seam). One shared Direct3D object per process; a TRenderInfo per device. Every
// operation takes the renderer first and treats a null one as "no renderer".
//
// Matrices follow Direct3D: row vectors on the left, left-handed, radians unless a
// name says degrees. The world operations multiply on the left of the current world
// matrix, so the one called last acts first on the vertices.
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/e3dmath.h"
#include "platform/renderdevice.h"

namespace vtl {

struct TMeshInfo;
struct TNumFontInfo;

struct TRenderInfo {
    float Aspect = 0;  // height / width: the horizontal factor of the projection
    std::shared_ptr<IRenderD3D> D3D;
    std::shared_ptr<IRenderDevice> Device;
    // Windows that show each frame too, scaled (other monitors). Only a renderer made
    // to keep its back buffer shows them: after the first present a discarded back
    // buffer holds nothing defined.
    bool KeepsBackBuffer = false;
    std::vector<WindowHandle> MirrorWindows;
    // What the device was made with: a lost device is reset with the same.
    D3DPRESENT_PARAMETERS PresentParams{};
};

inline constexpr std::uint32_t kD3DSdkVersion = 120;
inline constexpr int kVertexProcessingSoftware = 1;
inline constexpr int kVertexProcessingHardware = 2;

inline constexpr int kErrNoDirect3D = -1;
inline constexpr int kErrBeginNoRenderer = -401;
inline constexpr int kErrBeginScene = -402;
inline constexpr int kErrEndNoRenderer = -501;
inline constexpr int kErrEndScene = -502;
inline constexpr int kErrPresent = -503;
inline constexpr int kErrDeviceLost = -504;
inline constexpr int kErrClearNoRenderer = -601;
inline constexpr int kErrDrawNoRenderer = -1502;
inline constexpr int kErrDrawNoMesh = -1503;

// The platform's Direct3DCreate8; chosen once by the program's start-up.
void SetDirect3DCreate(Direct3DCreateFn create);

// Drops the shared Direct3D object; with Mode 1 creates it anew. -1 when that failed.
int InitDirect3D(int Mode);
// Light 0 of every device: directional along -z, this grey on every channel, no
// ambient term.
inline constexpr float kLightDiffuse = 0.75f;

// A windowed device on the default adapter in the current display format, with a
// 16-bit depth buffer, normalised normals and light 0 (directional, kLightDiffuse
// grey, along -z). VertexProcessing: bit 0 software (wins), bit 1 hardware. Null on
// any failure.
// KeepBackBuffer: the copy swap effect instead of discard, for a frame shown in more
// than one window.
std::unique_ptr<TRenderInfo> CreateRenderInfo(WindowHandle Window, int Width, int Height, int VertexProcessing,
                                              bool KeepBackBuffer = false);

// A lost device (the screen locked, another program took the display, a remote
// session): 0 when frames can be drawn, at once or after bringing the device back,
// which releases the default-pool buffers of `Meshes` and `Font`, resets the device
// with its own parameters, makes them again from their kept contents and sets the
// device's states as CreateRenderInfo did; kErrDeviceLost while it cannot be brought
// back yet (ask again at the next frame).
int RestoreLostDevice(TRenderInfo* R, const std::vector<TMeshInfo*>& Meshes, TNumFontInfo* Font);

int BeginFrame(TRenderInfo* R);
int ClearFrame(TRenderInfo* R, D3DCOLOR Color);
// The lens of every camera: the vertical field of view in radians and the depth range.
inline constexpr float kCameraFieldOfView = 1.0f;
inline constexpr float kCameraNearPlane = 0.1f;
inline constexpr float kCameraFarPlane = 100.0f;

// View from the eye to the target with +y up, through the lens above.
int SetCamera(TRenderInfo* R, float EyeX, float EyeY, float EyeZ, float AtX, float AtY, float AtZ);
void ResetWorld(TRenderInfo* R);
void SetWorldTranslation(TRenderInfo* R, float X, float Y, float Z);
void TranslateWorld(TRenderInfo* R, float X, float Y, float Z);
void ScaleWorld(TRenderInfo* R, float X, float Y, float Z);
// world := Rz x Ry x Rx x world: a vertex turns about Z first, then Y, then X.
void RotateWorld(TRenderInfo* R, float AngleX, float AngleY, float AngleZ);
void RotateWorldDeg(TRenderInfo* R, float AngleX, float AngleY, float AngleZ);
float DegToRad(float Degrees);
int EndFrame(TRenderInfo* R);

}  // namespace vtl
