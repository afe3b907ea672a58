#pragma once
// The renderer: a thin layer over a Direct3D 8 device (through the render-device seam).
// One shared Direct3D object per process; a TRenderInfo per device; meshes, textures
// and the number font made on that device. Every operation takes the renderer first
// and treats a null one as "no renderer". Objects made here live as long as their
// owner keeps them; the saver keeps them until the process ends.
//
// Matrices follow Direct3D: row vectors on the left, left-handed, radians unless a
// name says degrees. The world operations multiply on the left of the current world
// matrix, so the one called last acts first on the vertices.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/_tex.h"
#include "engine/e3dmath.h"
#include "platform/renderdevice.h"

namespace vtl {

// --- Renderer core -------------------------------------------------------------

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
// grey, along -z). VertexProcessing: bit 0 software (wins), bit 1 hardware. Null on any failure.
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

// --- Meshes and textures -------------------------------------------------------

// The engine's one vertex layout.
struct TBufferVertex {
    float x, y, z;
    float nx, ny, nz;
    D3DCOLOR Color;
    float u, v;
};
inline constexpr std::uint32_t kBufferVertexFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;
inline constexpr std::uint32_t kBufferVertexStride = 36;
// The device reads the buffers with this exact layout.
static_assert(sizeof(TBufferVertex) == kBufferVertexStride, "TBufferVertex is 36 bytes");
static_assert(offsetof(TBufferVertex, nx) == 12, "normal at 12");
static_assert(offsetof(TBufferVertex, Color) == 24, "diffuse at 24");
static_assert(offsetof(TBufferVertex, u) == 28, "u at 28");
static_assert(offsetof(TBufferVertex, v) == 32, "v at 32");
static_assert(kBufferVertexFvf == 0x152, "position, normal, diffuse, one texture pair");

struct TMeshInfo {
    bool TwoSided = false;
    std::int32_t TriangleCount = 0;
    std::shared_ptr<IRenderVertexBuffer> BackBuffer;   // only when two-sided: normals negated
    std::shared_ptr<IRenderVertexBuffer> FrontBuffer;  // 3 x TriangleCount vertices, a triangle list
    // The front buffer's contents: the buffers live in the default pool, which a lost
    // device loses. The back buffer is made again from them (BackSideVertex), so its
    // bytes are not kept a second time.
    std::vector<std::uint8_t> FrontBytes;
};

// A vertex of the back side of a two-sided mesh: the same with its normal negated.
TBufferVertex BackSideVertex(const TBufferVertex& front);

struct TTextureInfo {
    std::shared_ptr<IRenderTexture> Texture;
    D3DMATRIX SavedTransform = kIdentityMatrix;  // stage-0 texture transform before BeginReflection
};

// Null when the file is missing, unreadable as a mesh, indexes outside its pools, has
// no triangles, or the device refuses a buffer.
std::unique_ptr<TMeshInfo> CreateMeshInfo(const std::string& FileName, TRenderInfo* R, bool TwoSided,
                                          D3DCOLOR Color);
// Shape 1: the 4 x 3 picture quad at z = 0 facing -z. Any other shape: null.
std::unique_ptr<TMeshInfo> CreateQuadMesh(TRenderInfo* R, bool TwoSided, D3DCOLOR Color, int Shape);
int DrawMesh(TRenderInfo* R, TMeshInfo* Mesh);

std::unique_ptr<TTextureInfo> CreateTextureInfo(const std::string& FileName, TRenderInfo* R);
// Stage 0 modulates the lit vertex colour with the texture.
int ApplyTexture(TRenderInfo* R, TTextureInfo* Tex);
int RemoveTexture(TRenderInfo* R, TTextureInfo* Tex);
// Stage 0 addresses the texture by camera-space normals: an environment reflection.
int BeginReflection(TRenderInfo* R, TTextureInfo* Tex);
int EndReflection(TRenderInfo* R, TTextureInfo* Tex);

// --- Number font ---------------------------------------------------------------

struct TNumFontInfo {
    std::shared_ptr<IRenderVertexBuffer> VertexBuffer;  // one glyph quad, six vertices
    std::shared_ptr<IRenderTexture> Texture;            // 16 glyph cells in one row
    std::vector<std::uint8_t> QuadBytes;                // the quad as first made, for a lost device
};

inline constexpr D3DCOLOR kNumFontColorKey = 0xFF000000u;

// The glyph cell (0..15) that shows a character.
int NumFontCell(char Ch);
std::unique_ptr<TNumFontInfo> CreateNumFont(const std::string& FileName, TRenderInfo* R);
// Draws Text as a row of glyphs advancing toward -x from (X, Y, Z); Size 50 is the
// font's own unit scale. Leaves depth testing on and blending off.
void DrawNumText(TRenderInfo* R, TNumFontInfo* Font, const std::string& Text, float Size, float X, float Y,
                 float Z);
// One glyph at the current world matrix.
void DrawNumChar(TRenderInfo* R, TNumFontInfo* Font, char Ch);

}  // namespace vtl
