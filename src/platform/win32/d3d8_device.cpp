// Render-device seam over Direct3D 8. Every method forwards one call to the COM
// object with the numbers unchanged: the seam carries Direct3D's own values. Present
// always presents the whole back buffer to the device window; nothing else is left out.
#include "platform/win32/d3d8_device.h"

#include <windows.h>

#include <d3d8.h>

#include "platform/hooks/faults.h"
#include "platform/win32/win32_libraries.h"

namespace vtl::win32 {

static_assert(sizeof(vtl::D3DMATRIX) == sizeof(::D3DMATRIX), "matrix layout");
static_assert(sizeof(vtl::D3DLIGHT8) == sizeof(::D3DLIGHT8), "light layout");
static_assert(sizeof(vtl::D3DDISPLAYMODE) == sizeof(::D3DDISPLAYMODE), "display mode layout");
static_assert(sizeof(vtl::D3DPRESENT_PARAMETERS) == sizeof(::D3DPRESENT_PARAMETERS), "present parameters layout");
static_assert(offsetof(vtl::D3DPRESENT_PARAMETERS, hDeviceWindow) == offsetof(::D3DPRESENT_PARAMETERS, hDeviceWindow),
              "present parameters layout");

namespace {

template <typename T>
struct ComRef {
    explicit ComRef(T* p) : ptr(p) {}
    ~ComRef() {
        if (ptr) ptr->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    T* ptr;
};

class D3D8VertexBuffer : public IRenderVertexBuffer {
public:
    explicit D3D8VertexBuffer(IDirect3DVertexBuffer8* buffer) : ref_(buffer) {}
    HResult Lock(std::uint32_t offset, std::uint32_t size, std::uint8_t** data, std::uint32_t flags) override {
        BYTE* bytes = nullptr;
        const HRESULT hr = ref_.ptr->Lock(offset, size, &bytes, flags);
        if (data) *data = bytes;
        return hr;
    }
    HResult Unlock() override { return ref_.ptr->Unlock(); }
    void* NativeHandle() override { return ref_.ptr; }

private:
    ComRef<IDirect3DVertexBuffer8> ref_;
};

class D3D8Texture : public IRenderTexture {
public:
    explicit D3D8Texture(IDirect3DTexture8* texture) : ref_(texture) {}
    void* NativeHandle() override { return ref_.ptr; }

private:
    ComRef<IDirect3DTexture8> ref_;
};

class D3D8Device : public IRenderDevice {
public:
    explicit D3D8Device(IDirect3DDevice8* device) : ref_(device) {}

    HResult BeginScene() override { return dev()->BeginScene(); }
    HResult EndScene() override { return dev()->EndScene(); }
    HResult Present() override {
        // The injected loss: the first present finds the device lost, and the next
        // question finds it ready to be reset, so the real Reset runs.
        if (FaultInjected("present") && faultState_ == 0) {
            faultState_ = 1;
            return D3DERR_DEVICELOST;
        }
        return dev()->Present(nullptr, nullptr, nullptr, nullptr);
    }
    HResult TestCooperativeLevel() override {
        if (faultState_ == 1) {
            faultState_ = 2;
            return D3DERR_DEVICENOTRESET;
        }
        return dev()->TestCooperativeLevel();
    }
    HResult Reset(vtl::D3DPRESENT_PARAMETERS& params) override {
        return dev()->Reset(reinterpret_cast<::D3DPRESENT_PARAMETERS*>(&params));
    }
    HResult PresentTo(WindowHandle window) override {
        // The whole client area named: Windows scales into it by itself, Wine's
        // Direct3D only when told where.
        RECT client{};
        if (!GetClientRect(static_cast<HWND>(window), &client)) return D3DERR_INVALIDCALL;
        return dev()->Present(nullptr, &client, static_cast<HWND>(window), nullptr);
    }
    HResult Clear(std::uint32_t rectCount, std::uint32_t flags, D3DCOLOR color, float z,
                  std::uint32_t stencil) override {
        return dev()->Clear(rectCount, nullptr, flags, color, z, stencil);
    }
    HResult SetRenderState(std::uint32_t state, std::uint32_t value) override {
        return dev()->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
    }
    HResult SetTextureStageState(std::uint32_t stage, std::uint32_t type, std::uint32_t value) override {
        return dev()->SetTextureStageState(stage, static_cast<D3DTEXTURESTAGESTATETYPE>(type), value);
    }
    HResult SetTransform(std::uint32_t state, const vtl::D3DMATRIX& matrix) override {
        return dev()->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state),
                                   reinterpret_cast<const ::D3DMATRIX*>(&matrix));
    }
    HResult GetTransform(std::uint32_t state, vtl::D3DMATRIX& matrix) override {
        return dev()->GetTransform(static_cast<D3DTRANSFORMSTATETYPE>(state), reinterpret_cast<::D3DMATRIX*>(&matrix));
    }
    HResult SetLight(std::uint32_t index, const vtl::D3DLIGHT8& light) override {
        return dev()->SetLight(index, reinterpret_cast<const ::D3DLIGHT8*>(&light));
    }
    HResult LightEnable(std::uint32_t index, bool enable) override { return dev()->LightEnable(index, enable); }
    HResult CreateVertexBuffer(std::uint32_t length, std::uint32_t usage, std::uint32_t fvf, std::uint32_t pool,
                               std::shared_ptr<IRenderVertexBuffer>& buffer) override {
        IDirect3DVertexBuffer8* created = nullptr;
        const HRESULT hr = dev()->CreateVertexBuffer(length, usage, fvf, static_cast<D3DPOOL>(pool), &created);
        if (SUCCEEDED(hr) && created) buffer = std::make_shared<D3D8VertexBuffer>(created);
        return hr;
    }
    HResult SetStreamSource(std::uint32_t stream, IRenderVertexBuffer* buffer, std::uint32_t stride) override {
        auto* native = buffer ? static_cast<IDirect3DVertexBuffer8*>(buffer->NativeHandle()) : nullptr;
        return dev()->SetStreamSource(stream, native, stride);
    }
    HResult SetVertexShader(std::uint32_t handle) override { return dev()->SetVertexShader(handle); }
    HResult DrawPrimitive(std::uint32_t type, std::uint32_t startVertex, std::uint32_t primitiveCount) override {
        return dev()->DrawPrimitive(static_cast<D3DPRIMITIVETYPE>(type), startVertex, primitiveCount);
    }
    HResult SetTexture(std::uint32_t stage, IRenderTexture* texture) override {
        auto* native = texture ? static_cast<IDirect3DTexture8*>(texture->NativeHandle()) : nullptr;
        return dev()->SetTexture(stage, native);
    }
    void* NativeHandle() override { return ref_.ptr; }

private:
    int faultState_ = 0;  // the injected loss: 0 none yet, 1 lost, 2 over
    IDirect3DDevice8* dev() const { return ref_.ptr; }
    ComRef<IDirect3DDevice8> ref_;
};

class D3D8Object : public IRenderD3D {
public:
    explicit D3D8Object(IDirect3D8* d3d) : ref_(d3d) {}
    HResult GetAdapterDisplayMode(std::uint32_t adapter, vtl::D3DDISPLAYMODE& mode) override {
        return ref_.ptr->GetAdapterDisplayMode(adapter, reinterpret_cast<::D3DDISPLAYMODE*>(&mode));
    }
    HResult CreateDevice(std::uint32_t adapter, std::uint32_t deviceType, WindowHandle focusWindow,
                         std::uint32_t behaviorFlags, vtl::D3DPRESENT_PARAMETERS& params,
                         std::shared_ptr<IRenderDevice>& device) override {
        IDirect3DDevice8* created = nullptr;
        if (FaultInjected("device")) return D3DERR_NOTAVAILABLE;
        const HRESULT hr =
            ref_.ptr->CreateDevice(adapter, static_cast<D3DDEVTYPE>(deviceType), static_cast<HWND>(focusWindow),
                                   behaviorFlags, reinterpret_cast<::D3DPRESENT_PARAMETERS*>(&params), &created);
        if (SUCCEEDED(hr) && created) device = std::make_shared<D3D8Device>(created);
        return hr;
    }

private:
    ComRef<IDirect3D8> ref_;
};

using Direct3DCreate8Fn = IDirect3D8*(WINAPI*)(UINT);

Direct3DCreate8Fn EntryPoint() {
    // Loaded once; freed by the system when the process ends.
    static const Direct3DCreate8Fn entry = [] {
        HMODULE library = win32::LoadSystemLibrary(L"D3d8.dll");
        if (!library) return Direct3DCreate8Fn(nullptr);
        return reinterpret_cast<Direct3DCreate8Fn>(reinterpret_cast<void*>(GetProcAddress(library, "Direct3DCreate8")));
    }();
    return entry;
}

}  // namespace

std::shared_ptr<IRenderD3D> CreateD3D8(std::uint32_t sdkVersion) {
    Direct3DCreate8Fn create = EntryPoint();
    if (!create) return nullptr;
    IDirect3D8* d3d = create(sdkVersion);
    if (!d3d) return nullptr;
    return std::make_shared<D3D8Object>(d3d);
}

std::shared_ptr<IRenderTexture> AdoptD3D8Texture(void* texture) {
    if (!texture) return nullptr;
    return std::make_shared<D3D8Texture>(static_cast<IDirect3DTexture8*>(texture));
}

std::shared_ptr<IRenderDevice> AdoptD3D8Device(void* device) {
    if (!device) return nullptr;
    return std::make_shared<D3D8Device>(static_cast<IDirect3DDevice8*>(device));
}

}  // namespace vtl::win32
