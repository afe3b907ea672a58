#pragma once
// Render-device seam: the part of Direct3D 8 (the Direct3D object, the device, vertex
// buffers and textures) that the engine calls, with Direct3D 8's own numeric values
// for every state, format and flag, so the Windows forwarder passes numbers through
// unchanged. Implementations: platform/win32/d3d8_device.cpp (the real COM objects)
// and platform/recording_device.h (keeps every call, for tests).
//
// Objects are held by std::shared_ptr, standing in for COM reference counts.
// Results are HRESULTs: negative means failure.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/d3d8types.h"

namespace vtl {

using HResult = std::int32_t;
using WindowHandle = void*;

// Several Direct3D names are preprocessor macros in the platform headers. Shelter
// them while they are declared here, so this header may follow <windows.h> or
// <d3d8.h>; code that includes those headers then uses the platform's own macros.
#pragma push_macro("D3DCLEAR_TARGET")
#pragma push_macro("D3DCLEAR_ZBUFFER")
#pragma push_macro("D3DCLEAR_STENCIL")
#pragma push_macro("D3DTS_WORLD")
#pragma push_macro("D3DTSS_TCI_PASSTHRU")
#pragma push_macro("D3DTSS_TCI_CAMERASPACENORMAL")
#pragma push_macro("D3DFVF_XYZ")
#pragma push_macro("D3DFVF_NORMAL")
#pragma push_macro("D3DFVF_DIFFUSE")
#pragma push_macro("D3DFVF_TEX1")
#pragma push_macro("D3DCREATE_SOFTWARE_VERTEXPROCESSING")
#pragma push_macro("D3DCREATE_HARDWARE_VERTEXPROCESSING")
#pragma push_macro("D3DADAPTER_DEFAULT")
#pragma push_macro("D3DPRESENT_INTERVAL_DEFAULT")
#pragma push_macro("D3DX_DEFAULT")
#pragma push_macro("D3D_OK")
#pragma push_macro("D3DERR_INVALIDCALL")
#pragma push_macro("D3DERR_NOTAVAILABLE")
#pragma push_macro("D3DERR_OUTOFVIDEOMEMORY")
#pragma push_macro("D3DERR_DEVICELOST")
#pragma push_macro("D3DERR_DEVICENOTRESET")
#undef D3DCLEAR_TARGET
#undef D3DCLEAR_ZBUFFER
#undef D3DCLEAR_STENCIL
#undef D3DTS_WORLD
#undef D3DTSS_TCI_PASSTHRU
#undef D3DTSS_TCI_CAMERASPACENORMAL
#undef D3DFVF_XYZ
#undef D3DFVF_NORMAL
#undef D3DFVF_DIFFUSE
#undef D3DFVF_TEX1
#undef D3DCREATE_SOFTWARE_VERTEXPROCESSING
#undef D3DCREATE_HARDWARE_VERTEXPROCESSING
#undef D3DADAPTER_DEFAULT
#undef D3DPRESENT_INTERVAL_DEFAULT
#undef D3DX_DEFAULT
#undef D3D_OK
#undef D3DERR_INVALIDCALL
#undef D3DERR_NOTAVAILABLE
#undef D3DERR_OUTOFVIDEOMEMORY
#undef D3DERR_DEVICELOST
#undef D3DERR_DEVICENOTRESET

inline constexpr HResult D3D_OK = 0;
inline constexpr HResult D3DERR_INVALIDCALL = static_cast<HResult>(0x8876086Cu);
inline constexpr HResult D3DERR_NOTAVAILABLE = static_cast<HResult>(0x8876086Au);
inline constexpr HResult D3DERR_OUTOFVIDEOMEMORY = static_cast<HResult>(0x8876017Cu);
inline constexpr HResult D3DERR_DEVICELOST = static_cast<HResult>(0x88760868u);
inline constexpr HResult D3DERR_DEVICENOTRESET = static_cast<HResult>(0x88760869u);
inline constexpr HResult kResultFail = static_cast<HResult>(0x80004005u);  // E_FAIL

inline constexpr std::uint32_t D3DADAPTER_DEFAULT = 0;
inline constexpr std::uint32_t D3DX_DEFAULT = 0xFFFFFFFFu;

// Render states and their values.
inline constexpr std::uint32_t D3DRS_ZENABLE = 7;
inline constexpr std::uint32_t D3DRS_ZWRITEENABLE = 14;
inline constexpr std::uint32_t D3DRS_SRCBLEND = 19;
inline constexpr std::uint32_t D3DRS_DESTBLEND = 20;
inline constexpr std::uint32_t D3DRS_CULLMODE = 22;
inline constexpr std::uint32_t D3DRS_ZFUNC = 23;
inline constexpr std::uint32_t D3DRS_ALPHABLENDENABLE = 27;
inline constexpr std::uint32_t D3DRS_LIGHTING = 137;
inline constexpr std::uint32_t D3DRS_NORMALIZENORMALS = 143;
inline constexpr std::uint32_t D3DZB_FALSE = 0;
inline constexpr std::uint32_t D3DZB_TRUE = 1;
inline constexpr std::uint32_t D3DCMP_LESSEQUAL = 4;
inline constexpr std::uint32_t D3DCULL_NONE = 1;
inline constexpr std::uint32_t D3DCULL_CW = 2;
inline constexpr std::uint32_t D3DCULL_CCW = 3;
inline constexpr std::uint32_t D3DBLEND_SRCALPHA = 5;
inline constexpr std::uint32_t D3DBLEND_INVSRCALPHA = 6;

// Texture-stage states and their values.
inline constexpr std::uint32_t D3DTSS_COLOROP = 1;
inline constexpr std::uint32_t D3DTSS_COLORARG1 = 2;
inline constexpr std::uint32_t D3DTSS_COLORARG2 = 3;
inline constexpr std::uint32_t D3DTSS_ALPHAOP = 4;
inline constexpr std::uint32_t D3DTSS_TEXCOORDINDEX = 11;
inline constexpr std::uint32_t D3DTSS_MAGFILTER = 16;
inline constexpr std::uint32_t D3DTSS_MINFILTER = 17;
inline constexpr std::uint32_t D3DTSS_MIPFILTER = 18;
inline constexpr std::uint32_t D3DTSS_TEXTURETRANSFORMFLAGS = 24;
inline constexpr std::uint32_t D3DTOP_DISABLE = 1;
inline constexpr std::uint32_t D3DTOP_SELECTARG1 = 2;
inline constexpr std::uint32_t D3DTOP_MODULATE = 4;
inline constexpr std::uint32_t D3DTEXF_NONE = 0;
inline constexpr std::uint32_t D3DTEXF_POINT = 1;
inline constexpr std::uint32_t D3DTEXF_LINEAR = 2;
inline constexpr std::uint32_t D3DTTFF_DISABLE = 0;
inline constexpr std::uint32_t D3DTTFF_COUNT2 = 2;
inline constexpr std::uint32_t D3DTSS_TCI_PASSTHRU = 0;
inline constexpr std::uint32_t D3DTSS_TCI_CAMERASPACENORMAL = 0x10000;

// Transform states.
inline constexpr std::uint32_t D3DTS_VIEW = 2;
inline constexpr std::uint32_t D3DTS_PROJECTION = 3;
inline constexpr std::uint32_t D3DTS_TEXTURE0 = 16;
inline constexpr std::uint32_t D3DTS_WORLD = 256;

// Vertex formats, primitives, clear flags.
inline constexpr std::uint32_t D3DFVF_XYZ = 0x002;
inline constexpr std::uint32_t D3DFVF_NORMAL = 0x010;
inline constexpr std::uint32_t D3DFVF_DIFFUSE = 0x040;
inline constexpr std::uint32_t D3DFVF_TEX1 = 0x100;
inline constexpr std::uint32_t D3DPT_TRIANGLELIST = 4;
inline constexpr std::uint32_t D3DCLEAR_TARGET = 1;
inline constexpr std::uint32_t D3DCLEAR_ZBUFFER = 2;
inline constexpr std::uint32_t D3DCLEAR_STENCIL = 4;

// Surface formats and memory pools.
inline constexpr std::uint32_t D3DFMT_UNKNOWN = 0;
inline constexpr std::uint32_t D3DFMT_R8G8B8 = 20;
inline constexpr std::uint32_t D3DFMT_A8R8G8B8 = 21;
inline constexpr std::uint32_t D3DFMT_X8R8G8B8 = 22;
inline constexpr std::uint32_t D3DFMT_R5G6B5 = 23;
inline constexpr std::uint32_t D3DFMT_D16 = 80;
inline constexpr std::uint32_t D3DPOOL_DEFAULT = 0;
inline constexpr std::uint32_t D3DPOOL_MANAGED = 1;
inline constexpr std::uint32_t D3DPOOL_SYSTEMMEM = 2;

// Device creation.
inline constexpr std::uint32_t D3DDEVTYPE_HAL = 1;
inline constexpr std::uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
inline constexpr std::uint32_t D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;
inline constexpr std::uint32_t D3DMULTISAMPLE_NONE = 0;
inline constexpr std::uint32_t D3DSWAPEFFECT_DISCARD = 1;
inline constexpr std::uint32_t D3DSWAPEFFECT_COPY = 3;
inline constexpr std::uint32_t D3DPRESENT_INTERVAL_DEFAULT = 0;

#pragma pop_macro("D3DCLEAR_TARGET")
#pragma pop_macro("D3DCLEAR_ZBUFFER")
#pragma pop_macro("D3DCLEAR_STENCIL")
#pragma pop_macro("D3DTS_WORLD")
#pragma pop_macro("D3DTSS_TCI_PASSTHRU")
#pragma pop_macro("D3DTSS_TCI_CAMERASPACENORMAL")
#pragma pop_macro("D3DFVF_XYZ")
#pragma pop_macro("D3DFVF_NORMAL")
#pragma pop_macro("D3DFVF_DIFFUSE")
#pragma pop_macro("D3DFVF_TEX1")
#pragma pop_macro("D3DCREATE_SOFTWARE_VERTEXPROCESSING")
#pragma pop_macro("D3DCREATE_HARDWARE_VERTEXPROCESSING")
#pragma pop_macro("D3DADAPTER_DEFAULT")
#pragma pop_macro("D3DPRESENT_INTERVAL_DEFAULT")
#pragma pop_macro("D3DX_DEFAULT")
#pragma pop_macro("D3D_OK")
#pragma pop_macro("D3DERR_INVALIDCALL")
#pragma pop_macro("D3DERR_NOTAVAILABLE")
#pragma pop_macro("D3DERR_OUTOFVIDEOMEMORY")
#pragma pop_macro("D3DERR_DEVICELOST")
#pragma pop_macro("D3DERR_DEVICENOTRESET")

// Laid out as the platform's records, field for field.
struct D3DDISPLAYMODE {
    std::uint32_t Width;
    std::uint32_t Height;
    std::uint32_t RefreshRate;
    std::uint32_t Format;
};

struct D3DPRESENT_PARAMETERS {
    std::uint32_t BackBufferWidth;
    std::uint32_t BackBufferHeight;
    std::uint32_t BackBufferFormat;
    std::uint32_t BackBufferCount;
    std::uint32_t MultiSampleType;
    std::uint32_t SwapEffect;
    WindowHandle hDeviceWindow;
    std::int32_t Windowed;
    std::int32_t EnableAutoDepthStencil;
    std::uint32_t AutoDepthStencilFormat;
    std::uint32_t Flags;
    std::uint32_t FullScreen_RefreshRateInHz;
    std::uint32_t FullScreen_PresentationInterval;
};

class IRenderVertexBuffer {
public:
    virtual ~IRenderVertexBuffer() = default;
    // size 0 locks from offset to the end of the buffer.
    virtual HResult Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t flags) = 0;
    virtual HResult Unlock() = 0;
    // The platform object (IDirect3DVertexBuffer8*), or null where there is none.
    virtual void* NativeHandle() { return nullptr; }
};

class IRenderTexture {
public:
    virtual ~IRenderTexture() = default;
    // The platform object (IDirect3DTexture8*), or null where there is none.
    virtual void* NativeHandle() { return nullptr; }
};

class IRenderDevice {
public:
    virtual ~IRenderDevice() = default;

    virtual HResult BeginScene() = 0;
    virtual HResult EndScene() = 0;
    // Presents the whole back buffer to the device window.
    virtual HResult Present() = 0;
    // Presents the whole back buffer, scaled, into another window's client area.
    virtual HResult PresentTo(WindowHandle window) = 0;
    // D3D_OK while the device can draw; D3DERR_DEVICELOST while it cannot (the screen
    // is locked, another program owns the display); D3DERR_DEVICENOTRESET once Reset
    // may bring it back.
    virtual HResult TestCooperativeLevel() = 0;
    // Only with no default-pool resource left; everything in that pool, and the
    // device's states, must be made again afterwards.
    virtual HResult Reset(D3DPRESENT_PARAMETERS& params) = 0;
    // rectCount 0 clears the whole target.
    virtual HResult Clear(std::uint32_t rectCount, std::uint32_t flags, D3DCOLOR color, float z,
                          std::uint32_t stencil) = 0;

    virtual HResult SetRenderState(std::uint32_t state, std::uint32_t value) = 0;
    virtual HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) = 0;
    virtual HResult SetTransform(std::uint32_t state, const D3DMATRIX& matrix) = 0;
    virtual HResult GetTransform(std::uint32_t state, D3DMATRIX& matrix) = 0;
    virtual HResult SetLight(std::uint32_t index, const D3DLIGHT8& light) = 0;
    virtual HResult LightEnable(std::uint32_t index, bool enable) = 0;

    virtual HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool,
                                       std::shared_ptr<IRenderVertexBuffer>& buffer) = 0;
    // A null buffer or texture unbinds the stream or stage.
    virtual HResult SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) = 0;
    // Fixed-function pipeline: the handle is the vertex format.
    virtual HResult SetVertexShader(std::uint32_t handle) = 0;
    virtual HResult DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) = 0;
    virtual HResult SetTexture(std::uint32_t stage, IRenderTexture* texture) = 0;

    // The platform object (IDirect3DDevice8*), for the texture loader; null where none.
    virtual void* NativeHandle() { return nullptr; }
};

// The Direct3D object: adapters and device creation.
class IRenderD3D {
public:
    virtual ~IRenderD3D() = default;
    virtual HResult GetAdapterDisplayMode(std::uint32_t adapter, D3DDISPLAYMODE& mode) = 0;
    virtual HResult CreateDevice(std::uint32_t adapter, std::uint32_t deviceType, WindowHandle focusWindow,
                                 std::uint32_t behaviorFlags, D3DPRESENT_PARAMETERS& params,
                                 std::shared_ptr<IRenderDevice>& device) = 0;
};

// Direct3DCreate8: the Direct3D object for an SDK version, or null.
using Direct3DCreateFn = std::function<std::shared_ptr<IRenderD3D>(std::uint32_t sdkVersion)>;

}  // namespace vtl
